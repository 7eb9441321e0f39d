// The block a setup plug-in's Execute receives: the product's names, the
// destination folder, the setup's folder and language, and the setup's
// message and log functions. Packed, without padding: the 32-bit product
// lays it out in 29 bytes (pointers at 0, 4, 8, 12, 16, 20, the language
// byte at 24, the log function at 25); the 64-bit test twin keeps the order
// with its own pointer width. The block and the texts it points to belong
// to the setup and are valid only during the call.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

using PlugInMessageFunction = int (*)(const char* flags, ...);
using PlugInLogFunction = int (*)(const char* format, ...);

#pragma pack(push, 1)
struct PlugInBlock {
    const char* productName;  // setup.ini [Product] "Name"
    const char* emuName;      // "EmuName"
    const char* simName;      // "SimName"
    const char* targetDir;    // TARGETDIR
    PlugInMessageFunction doMessage;
    const char* setupFolder;  // the setup program's folder
    uint8_t language;         // 0 English, any other value Russian
    PlugInLogFunction logPrintf;
};
#pragma pack(pop)

// The plug-in's entry: stdcall, the block's address; the result is not used.
using PlugInEntry = int32_t(__stdcall*)(PlugInBlock* block);

}  // extern "C"

constexpr size_t kPlugInPointer = sizeof(void*);
static_assert(offsetof(PlugInBlock, productName) == 0);
static_assert(offsetof(PlugInBlock, emuName) == 1 * kPlugInPointer);
static_assert(offsetof(PlugInBlock, simName) == 2 * kPlugInPointer);
static_assert(offsetof(PlugInBlock, targetDir) == 3 * kPlugInPointer);
static_assert(offsetof(PlugInBlock, doMessage) == 4 * kPlugInPointer);
static_assert(offsetof(PlugInBlock, setupFolder) == 5 * kPlugInPointer);
static_assert(offsetof(PlugInBlock, language) == 6 * kPlugInPointer);
static_assert(offsetof(PlugInBlock, logPrintf) == 6 * kPlugInPointer + 1);
static_assert(sizeof(PlugInBlock) == 7 * kPlugInPointer + 1);
static_assert(kPlugInPointer != 4 || sizeof(PlugInBlock) == 29, "the product's block is 29 bytes");
