// Registry keys and values written by the installation, each key created
// recorded in the install log so that the uninstaller can remove it.
//
// All three calls return 1 on success and 2 after a failure, which they have
// reported: message 2007 for a key that cannot be created, 2008 for a value
// that cannot be written (both name the product).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class InstallLog;

class RegistryWriter {
public:
    // `log` may be null (nothing is recorded).
    RegistryWriter(InstallLog* log, const char* productName);

    // Creates `path`\`name` under `root`. A key that exists already is
    // recorded only when `forced` ("FKey"); a new one is recorded as "FKey"
    // when forced, else "Key".
    int CreateKey(const char* path, const char* name, HKEY root, bool forced);
    // REG_SZ with its NUL; recorded as a value when `record`.
    int SetString(const char* path, const char* name, const char* text, HKEY root, bool record);
    // REG_DWORD, never recorded.
    int SetDword(const char* path, const char* name, uint32_t value, HKEY root);

private:
    int SetValue(const char* path, const char* name, DWORD type, const void* data, DWORD size, HKEY root);
    InstallLog* log_;
    std::string product_;
};
