#include "setup/port_service.h"

#include <cstdio>
#include <string>

#include "framework/base/file_utils.h"
#include "framework/base/sys_error.h"
#include "framework/base/sys_version.h"
#include "framework/ui/message.h"
#include "setup/install_seams.h"
#include "setup/setup_messages.h"

namespace {

constexpr const char* kServiceName = "PortTalk";
constexpr const char* kDeviceName = "\\\\.\\PortTalk";
constexpr const char* kImagePath = "System32\\Drivers\\PortTalk.sys";
// The system folder is read into a buffer of this size; a longer folder is
// taken as a failure rather than cut.
constexpr UINT kSystemDirSize = 55;


const ServiceControlApi kPlatformApi = {&OpenSCManagerA, &OpenServiceA, &CreateServiceA, &StartServiceA,
                                        &CloseServiceHandle};
const ServiceControlApi* g_api = &kPlatformApi;

void Report(const char* text) { DoMessage("s", text); }

std::string DriverSource(const char* supportDir) { return std::string(supportDir ? supportDir : "") + "\\porttalk.sys"; }

bool OpenDevice()
{
    HANDLE device = CreateFileA(kDeviceName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    CloseHandle(device);
    return true;
}

// Closes a service handle when leaving the scope, whichever way.
class ServiceHandle {
public:
    explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceHandle() { Reset(nullptr); }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    SC_HANDLE Get() const { return handle_; }
    void Reset(SC_HANDLE handle)
    {
        if (handle_) g_api->closeHandle(handle_);
        handle_ = handle;
    }

private:
    SC_HANDLE handle_;
};

// Checks that `root`\`path` exists by opening its parent for queries and the
// key below it. On failure the error code is in `error`.
bool KeyExists(HKEY root, const std::string& path, LONG& error)
{
    const size_t cut = path.rfind('\\');
    HKEY parent = nullptr;
    error = RegOpenKeyExA(root, cut == std::string::npos ? "" : path.substr(0, cut).c_str(), 0, KEY_QUERY_VALUE,
                          &parent);
    if (error != ERROR_SUCCESS) return false;
    HKEY child = nullptr;
    error = RegOpenKeyExA(parent, cut == std::string::npos ? path.c_str() : path.c_str() + cut + 1, 0,
                          KEY_QUERY_VALUE, &child);
    RegCloseKey(parent);
    if (error != ERROR_SUCCESS) return false;
    RegCloseKey(child);
    return true;
}

}  // namespace

const ServiceControlApi* SetServiceControlApi(const ServiceControlApi* api)
{
    const ServiceControlApi* previous = g_api;
    g_api = api ? api : &kPlatformApi;
    return previous;
}

bool InstallPortService(const char* supportDir, SC_HANDLE manager)
{
    char system[kSystemDirSize];
    const UINT length = GetSystemDirectoryA(system, kSystemDirSize);
    if (length == 0 || length >= kSystemDirSize) {
        Report("PortTalk: Failed to get System Directory.\n"
               "PortTalk: Please manually copy driver to your system32/driver directory.");
        return false;
    }
    const std::string target = std::string(system) + "\\Drivers\\PortTalk.sys";
    if (!CopyFileA(DriverSource(supportDir).c_str(), target.c_str(), FALSE)) {
        DoMessage("s", "PortTalk: Failed to copy driver to %s", target.c_str());
        return false;
    }
    SC_HANDLE service = g_api->createService(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                             SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                             kImagePath, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service) {
        // The copy alone does not install anything: say so rather than
        // leaving the failure to the device test that follows.
        DoMessage("s", "PortTalk: Unable to create the PortTalk service:\n%s", GetLastErrorString().c_str());
        return false;
    }
    g_api->closeHandle(service);
    return true;
}

int StartPortService(const char* supportDir)
{
    ServiceHandle manager(g_api->openManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager.Get()) {
        if (GetLastError() == ERROR_ACCESS_DENIED)
            Report("You do not have rights to access the Service Control Manager and the PortTalk driver is not "
                   "installed.");
        return 0;
    }
    ServiceHandle service(g_api->openService(manager.Get(), kServiceName, SERVICE_ALL_ACCESS));
    if (!service.Get()) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
            Report("You do not have rights to the PortTalk service database");
            return 0;
        }
        if (error == ERROR_INVALID_NAME) {
            Report("The specified service name is invalid.");
            return 0;
        }
        if (error != ERROR_SERVICE_DOES_NOT_EXIST) return 0;
        if (!InstallPortService(supportDir, manager.Get())) return 0;
        service.Reset(g_api->openService(manager.Get(), kServiceName, SERVICE_ALL_ACCESS));
        if (!service.Get()) return 0;
    }
    if (!g_api->startService(service.Get(), 0, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_ALREADY_RUNNING)
            DoMessage("is", "PortTalk: The PortTalk driver is already running.");
        else
            DoMessage("s", "PortTalk: Unknown error while starting PortTalk driver service:\n%s",
                      GetLastErrorString(error).c_str());
    }
    return 1;
}

int DisableWarmPoll(HKEY root, const char* parportKey, bool& rebootNeeded)
{
    const WindowsVersionInfo version = CurrentWindowsVersion();
    // The real major version: the version codes put Windows 10 beside XP.
    if (version.platform != VER_PLATFORM_WIN32_NT || version.major < 6) return 1;

    const std::string parport = parportKey;
    const std::string parameters = parport + "\\Parameters";
    LONG error = 0;
    if (!KeyExists(root, parport, error) || !KeyExists(root, parameters, error)) {
        ShowMessageById(SETUP_MSG_PORT_KEY_OPEN, parameters.c_str(), GetLastErrorString(static_cast<uint32_t>(error)).c_str());
        return 0;
    }
    HKEY key = nullptr;
    error = RegOpenKeyExA(root, parameters.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (error != ERROR_SUCCESS) {
        ShowMessageById(SETUP_MSG_PORT_KEY_OPEN, parameters.c_str(), GetLastErrorString(static_cast<uint32_t>(error)).c_str());
        return 0;
    }
    DWORD value = 0, size = sizeof value, type = 0;
    error = RegQueryValueExA(key, "DisableWarmPoll", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (error == ERROR_SUCCESS && value != 0) return 1;
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
        ShowMessageById(SETUP_MSG_PORT_VALUE_READ, parameters.c_str(), GetLastErrorString(static_cast<uint32_t>(error)).c_str());
        return 0;
    }
    error = RegOpenKeyExA(root, parameters.c_str(), 0, KEY_WRITE, &key);
    if (error != ERROR_SUCCESS) {
        ShowMessageById(SETUP_MSG_PORT_KEY_OPEN, parameters.c_str(), GetLastErrorString(static_cast<uint32_t>(error)).c_str());
        return 1;
    }
    const DWORD one = 1;
    error = RegistryRefusal(parameters.c_str());
    if (error == ERROR_SUCCESS)
        error = RegSetValueExA(key, "DisableWarmPoll", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS) {
        ShowMessageById(SETUP_MSG_PORT_VALUE_WRITE, parameters.c_str());
        return 1;
    }
    rebootNeeded = true;
    return 1;
}

int InstallPortDriver(const char* supportDir, bool& rebootNeeded)
{
    const WindowsVersionInfo version = CurrentWindowsVersion();
    if (WindowsVersionCode(version.platform, version.major, version.minor) <= 3) return 1;
    if (!FileExists(0, DriverSource(supportDir).c_str())) return 1;
    if (!OpenDevice()) {
        StartPortService(supportDir);
        if (!OpenDevice()) {
            Report("PortTalk: Couldn't access PortTalk Driver, Please ensure driver is loaded.");
            return 0;
        }
    }
    return DisableWarmPoll(HKEY_LOCAL_MACHINE, kParportKey, rebootNeeded);
}
