// The block the setup program hands to Execute: packed, little-endian, six
// machine words, the language byte, one more word; 29 bytes in the 32-bit
// product. The plug-in reads the product name, TARGETDIR and the language
// byte; the texts belong to the setup and live only for the call.
#pragma once

#include <cstddef>
#include <cstdint>

using PlugInMessageFunction = int (*)(const char* flags, ...);
using PlugInLogFunction = int (*)(const char* format, ...);

#pragma pack(push, 1)
struct PlugInBlockView {
    const char* productName;
    const char* emulatorName;
    const char* simulatorName;
    const char* targetDir;
    PlugInMessageFunction doMessage;
    const char* setupFolder;
    uint8_t language;  // 0 English, any other value Russian
    PlugInLogFunction logPrintf;
};
#pragma pack(pop)

namespace plugin_block_layout {
constexpr size_t kWord = sizeof(void*);
}  // namespace plugin_block_layout

static_assert(offsetof(PlugInBlockView, productName) == 0);
static_assert(offsetof(PlugInBlockView, emulatorName) == plugin_block_layout::kWord);
static_assert(offsetof(PlugInBlockView, simulatorName) == 2 * plugin_block_layout::kWord);
static_assert(offsetof(PlugInBlockView, targetDir) == 3 * plugin_block_layout::kWord);
static_assert(offsetof(PlugInBlockView, doMessage) == 4 * plugin_block_layout::kWord);
static_assert(offsetof(PlugInBlockView, setupFolder) == 5 * plugin_block_layout::kWord);
static_assert(offsetof(PlugInBlockView, language) == 6 * plugin_block_layout::kWord);
static_assert(offsetof(PlugInBlockView, logPrintf) == 6 * plugin_block_layout::kWord + 1);
static_assert(sizeof(PlugInBlockView) == 7 * plugin_block_layout::kWord + 1);
static_assert(sizeof(void*) != 4 || sizeof(PlugInBlockView) == 29, "the product's block is 29 bytes");
static_assert(sizeof(void*) != 4 || offsetof(PlugInBlockView, targetDir) == 12);
static_assert(sizeof(void*) != 4 || offsetof(PlugInBlockView, language) == 24);
static_assert(sizeof(void*) != 4 || offsetof(PlugInBlockView, logPrintf) == 25);
