#include "setup/registry_keys.h"

#include "framework/ui/message.h"
#include "setup/install_log.h"
#include "setup/install_seams.h"
#include "setup/setup_messages.h"

namespace {

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

RegistryWriter::RegistryWriter(InstallLog* log, const char* productName)
    : log_(log), product_(productName ? productName : "")
{
}

int RegistryWriter::CreateKey(const char* path, const char* name, HKEY root, bool forced)
{
    const std::string full = std::string(path) + "\\" + name;
    if (KeyExists(root, full)) {
        if (forced && log_) log_->AddRegistryKey(true, name, path, root);
        return 1;
    }
    LONG error = RegistryRefusal(full.c_str());
    HKEY parent = nullptr;
    if (error == ERROR_SUCCESS) error = RegOpenKeyExA(root, path, 0, KEY_CREATE_SUB_KEY, &parent);
    HKEY key = nullptr;
    if (error == ERROR_SUCCESS) {
        DWORD disposition = 0;
        error = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                                &disposition);
        RegCloseKey(parent);
    }
    if (error != ERROR_SUCCESS) {
        ShowMessageById(SETUP_MSG_REGISTRY_CREATE, product_.c_str());
        return 2;
    }
    RegCloseKey(key);
    if (log_) log_->AddRegistryKey(forced, name, path, root);
    return 1;
}

int RegistryWriter::SetValue(const char* path, const char* name, DWORD type, const void* data, DWORD size,
                             HKEY root)
{
    LONG error = RegistryRefusal(path);
    HKEY key = nullptr;
    if (error == ERROR_SUCCESS) error = RegOpenKeyExA(root, path, 0, KEY_WRITE, &key);
    if (error == ERROR_SUCCESS) {
        error = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    if (error != ERROR_SUCCESS) {
        ShowMessageById(SETUP_MSG_REGISTRY_WRITE, product_.c_str());
        return 2;
    }
    return 1;
}

int RegistryWriter::SetString(const char* path, const char* name, const char* text, HKEY root, bool record)
{
    const char* value = text ? text : "";
    const int result = SetValue(path, name, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1), root);
    if (result == 1 && record && log_) log_->AddRegistryValue(name, path, root);
    return result;
}

int RegistryWriter::SetDword(const char* path, const char* name, uint32_t value, HKEY root)
{
    const DWORD data = value;
    return SetValue(path, name, REG_DWORD, &data, sizeof data, root);
}
