#include "setup/install_log_format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

uint32_t LogRootCode(HKEY root)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(root));
}

HKEY LogRootFromCode(uint32_t code)
{
    // The predefined handles are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(code)));
}

namespace {

std::string FormatEntry(HKEY root, const char* path, const char* separator, const char* name)
{
    char rootText[16];
    std::snprintf(rootText, sizeof rootText, "%08X", LogRootCode(root));
    std::string out(rootText);
    out += '\\';
    out += path ? path : "";
    out += separator;
    out += name ? name : "";
    return out;
}

bool ParseEntry(const char* text, const char* separator, LogRegistryEntry& out)
{
    if (!text || std::strlen(text) < 10 || text[8] != '\\') return false;
    for (int i = 0; i < 8; ++i) {
        if (!std::strchr("0123456789abcdefABCDEF", text[i])) return false;
    }
    const std::string rest(text + 9);
    const size_t at = rest.rfind(separator);
    if (at == std::string::npos) return false;
    char digits[9];
    std::memcpy(digits, text, 8);
    digits[8] = '\0';
    out.root = LogRootFromCode(static_cast<uint32_t>(std::strtoul(digits, nullptr, 16)));
    out.path = rest.substr(0, at);
    out.name = rest.substr(at + std::strlen(separator));
    return true;
}

}  // namespace

std::string FormatLogKeyEntry(HKEY root, const char* parentPath, const char* keyName)
{
    return FormatEntry(root, parentPath, ",", keyName);
}

std::string FormatLogValueEntry(HKEY root, const char* keyPath, const char* valueName)
{
    return FormatEntry(root, keyPath, ", ", valueName);
}

bool ParseLogKeyEntry(const char* text, LogRegistryEntry& out)
{
    return ParseEntry(text, ",", out);
}

bool ParseLogValueEntry(const char* text, LogRegistryEntry& out)
{
    return ParseEntry(text, ", ", out);
}
