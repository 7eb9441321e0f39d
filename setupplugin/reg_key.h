// One open Windows registry key: open or create it, read a value of any type
// into a buffer the key owns (environment strings expanded, big-endian
// numbers turned into the machine's order), hand it out as a number or a
// text, write values, enumerate sub-keys, delete values and keys.
//
// Promises to callers:
//  - every read leaves the value buffer two bytes longer than the value and
//    zero-filled, so a text stored without its NUL, or an empty value, is
//    still a terminated text and no getter reads past the buffer;
//  - after any failed read the type is -1 and the getters give 0 or null,
//    never the bytes of an earlier read;
//  - GetDword answers only for a value of at least four bytes.
// Nothing here shows a message: errors are returned, or leave the key null.
#pragma once

#include <windows.h>

#include <cstdint>

class RegKey {
public:
    static constexpr uint32_t kNoType = 0xFFFFFFFFu;
    static constexpr uint32_t kNoKey = 0xFFFFFFFFu;

    // Opens `subKey` under `root`; on failure the key stays null.
    RegKey(HKEY root, const char* subKey, REGSAM access);
    // Creates (or opens) `name` below `parentPath` under `root`. The parent
    // is opened with `access` plus the right to create sub-keys; a missing
    // parent leaves the key null.
    enum CreateTag { kCreate };
    RegKey(CreateTag, HKEY root, const char* parentPath, const char* name, REGSAM access);
    ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY Key() const { return key_; }
    bool IsOpen() const { return key_ != nullptr; }
    uint32_t Type() const { return type_; }
    uint32_t Size() const { return size_; }

    // Reads one value: 0, a registry error code, or kNoKey when no key is open.
    uint32_t Query(const char* valueName);
    // The value's first four bytes for REG_DWORD and REG_DWORD_BIG_ENDIAN
    // values of at least four bytes; else 0.
    uint32_t GetDword() const;
    // The value as a text for REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ; else null.
    const char* GetString() const;

    // RegSetValueExA with the size that the type implies: REG_SZ the text and
    // its NUL, REG_DWORD 4, any other type `size`.
    LONG SetValue(const char* valueName, const void* data, uint32_t type, uint32_t size);
    LONG SetDword(const char* valueName, uint32_t value);
    LONG SetString(const char* valueName, const char* text);
    LONG SetBinary(const char* valueName, const void* data, uint32_t size);

    // The sub-key name at the current index (bufferSize in characters), then
    // the index moves on whatever the result: a name too long for the buffer
    // is skipped by the next call. ERROR_NO_MORE_ITEMS ends an enumeration.
    LONG NextSubKey(char* nameBuffer, uint32_t bufferSize);
    LONG DeleteValue(const char* valueName);
    LONG DeleteKey(const char* subKey);

private:
    void FreeValue();

    HKEY key_ = nullptr;
    char* value_ = nullptr;
    uint32_t type_ = kNoType;
    uint32_t index_ = 0;
    uint32_t size_ = 0;
};
