#include "setupplugin/reg_key.h"

#include <cstdlib>
#include <cstring>
#include <utility>

RegKey::RegKey(HKEY root, const char* subKey, REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey, 0, access, &key) == ERROR_SUCCESS) key_ = key;
}

RegKey::RegKey(CreateTag, HKEY root, const char* parentPath, const char* name, REGSAM access)
{
    // Creating a sub-key needs its own right on the parent, whatever the
    // caller asked for the new key.
    RegKey parent(root, parentPath, access | KEY_CREATE_SUB_KEY);
    if (!parent.IsOpen()) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(parent.Key(), name, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
        key_ = key;
}

RegKey::~RegKey()
{
    if (key_) RegCloseKey(key_);
    FreeValue();
}

void RegKey::FreeValue()
{
    free(value_);
    value_ = nullptr;
    size_ = 0;
}

namespace {

// A zero-filled block two bytes longer than the value: a text without its
// NUL (or a multi-string without its final pair) still ends inside it.
char* NewValueBuffer(uint32_t size) { return static_cast<char*>(calloc(static_cast<size_t>(size) + 2, 1)); }

}  // namespace

uint32_t RegKey::Query(const char* valueName)
{
    type_ = kNoType;
    FreeValue();
    if (!key_) return kNoKey;

    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key_, valueName, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    char* buffer = NewValueBuffer(size);
    if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
    // The value may have grown since the size was asked: the read fails
    // with ERROR_MORE_DATA and nothing is handed out.
    rc = RegQueryValueExA(key_, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (rc != ERROR_SUCCESS) {
        free(buffer);
        return static_cast<uint32_t>(rc);
    }
    value_ = buffer;
    size_ = size;

    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsA(value_, nullptr, 0);
        char* expanded = needed ? NewValueBuffer(needed) : nullptr;
        if (!expanded) {
            FreeValue();
            return needed ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
        }
        DWORD written = ExpandEnvironmentStringsA(value_, expanded, needed);
        if (!written || written > needed) {
            free(expanded);
            FreeValue();
            return ERROR_MORE_DATA;
        }
        free(value_);
        value_ = expanded;
        size_ = static_cast<uint32_t>(strlen(expanded) + 1);
    } else if (type == REG_DWORD_BIG_ENDIAN && size_ >= 4) {
        std::swap(value_[0], value_[3]);
        std::swap(value_[1], value_[2]);
    }
    type_ = type;
    return 0;
}

uint32_t RegKey::GetDword() const
{
    if (!key_ || !value_ || size_ < 4) return 0;
    if (type_ != REG_DWORD && type_ != REG_DWORD_BIG_ENDIAN) return 0;
    uint32_t value;
    memcpy(&value, value_, sizeof value);
    return value;
}

const char* RegKey::GetString() const
{
    if (!key_ || !value_) return nullptr;
    if (type_ != REG_SZ && type_ != REG_EXPAND_SZ && type_ != REG_MULTI_SZ) return nullptr;
    return value_;
}

LONG RegKey::SetValue(const char* valueName, const void* data, uint32_t type, uint32_t size)
{
    if (!key_) return ERROR_INVALID_HANDLE;
    if (type == REG_SZ) size = static_cast<uint32_t>(strlen(static_cast<const char*>(data)) + 1);
    else if (type == REG_DWORD) size = 4;
    return RegSetValueExA(key_, valueName, 0, type, static_cast<const BYTE*>(data), size);
}

LONG RegKey::SetDword(const char* valueName, uint32_t value) { return SetValue(valueName, &value, REG_DWORD, 4); }
LONG RegKey::SetString(const char* valueName, const char* text) { return SetValue(valueName, text, REG_SZ, 0); }
LONG RegKey::SetBinary(const char* valueName, const void* data, uint32_t size)
{
    return SetValue(valueName, data, REG_BINARY, size);
}

LONG RegKey::NextSubKey(char* nameBuffer, uint32_t bufferSize)
{
    if (!key_) return ERROR_INVALID_HANDLE;
    DWORD size = bufferSize;
    LONG rc = RegEnumKeyExA(key_, index_, nameBuffer, &size, nullptr, nullptr, nullptr, nullptr);
    ++index_;
    return rc;
}

LONG RegKey::DeleteValue(const char* valueName)
{
    return key_ ? RegDeleteValueA(key_, valueName) : ERROR_INVALID_HANDLE;
}

LONG RegKey::DeleteKey(const char* subKey) { return key_ ? RegDeleteKeyA(key_, subKey) : ERROR_INVALID_HANDLE; }
