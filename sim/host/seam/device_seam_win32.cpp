#include "sim/host/seam/device_seam.h"

#include <setupapi.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>

namespace sim::host {

namespace {

using sim::usb::BusEntry;
using sim::usb::SimUsbDevice;

// The sizes the platform's callers set in the size fields, on this platform
// (the detail record is byte-packed on 32-bit Windows only).
#if defined(_WIN64)
static_assert(sizeof(SP_DEVINFO_DATA) == 32 && sizeof(SP_DEVICE_INTERFACE_DATA) == 32 &&
              sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 8);
#else
static_assert(sizeof(SP_DEVINFO_DATA) == 28 && sizeof(SP_DEVICE_INTERFACE_DATA) == 28 &&
              sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5);
#endif

constexpr GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr GUID kUsbClass = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// A device information set of the simulated bus: a snapshot of its listing.
struct SimDeviceSet {
    GUID interface_guid;
    std::vector<BusEntry> entries;
};

// The real functions, for everything that is not the device's.
struct RealFunctions {
    decltype(&::CreateFileA) create_file = nullptr;
    decltype(&::DeviceIoControl) device_io_control = nullptr;
    decltype(&::ReadFile) read_file = nullptr;
    decltype(&::WriteFile) write_file = nullptr;
    decltype(&::CloseHandle) close_handle = nullptr;
    decltype(&::Sleep) sleep = nullptr;
    decltype(&::GetTickCount) get_tick_count = nullptr;
    decltype(&::GetProcAddress) get_proc_address = nullptr;
    decltype(&::CreateEventA) create_event = nullptr;
    decltype(&::SetupDiGetClassDevsA) get_class_devs = nullptr;
    decltype(&::SetupDiEnumDeviceInfo) enum_device_info = nullptr;
    decltype(&::SetupDiEnumDeviceInterfaces) enum_interfaces = nullptr;
    decltype(&::SetupDiGetDeviceInterfaceDetailA) interface_detail = nullptr;
    decltype(&::SetupDiGetDeviceRegistryPropertyA) registry_property = nullptr;
    decltype(&::SetupDiDestroyDeviceInfoList) destroy_list = nullptr;
};

struct SeamState {
    std::mutex mutex;
    RealFunctions real;
    SimUsbDevice* device = nullptr;
    SeamOptions options;
    int installed = 0;
    std::map<HANDLE, sim::usb::Handle> handles; // stand-in event -> device handle
    std::set<SimDeviceSet*> sets;
    SeamCounters counters;
    std::uint64_t virtual_ms = 0;
};

SeamState& state() {
    static SeamState s;
    return s;
}

template <class F>
void bind(F& slot, HMODULE module, const char* name) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void bind_real_functions() {
    RealFunctions& r = state().real;
    if (r.create_file) return;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    HMODULE setup = LoadLibraryA("setupapi.dll");
    bind(r.create_file, kernel, "CreateFileA");
    bind(r.device_io_control, kernel, "DeviceIoControl");
    bind(r.read_file, kernel, "ReadFile");
    bind(r.write_file, kernel, "WriteFile");
    bind(r.close_handle, kernel, "CloseHandle");
    bind(r.sleep, kernel, "Sleep");
    bind(r.get_tick_count, kernel, "GetTickCount");
    bind(r.get_proc_address, kernel, "GetProcAddress");
    bind(r.create_event, kernel, "CreateEventA");
    bind(r.get_class_devs, setup, "SetupDiGetClassDevsA");
    bind(r.enum_device_info, setup, "SetupDiEnumDeviceInfo");
    bind(r.enum_interfaces, setup, "SetupDiEnumDeviceInterfaces");
    bind(r.interface_detail, setup, "SetupDiGetDeviceInterfaceDetailA");
    bind(r.registry_property, setup, "SetupDiGetDeviceRegistryPropertyA");
    bind(r.destroy_list, setup, "SetupDiDestroyDeviceInfoList");
}

// The device handle behind a stand-in handle; 0 when it is not the device's.
sim::usb::Handle device_handle(HANDLE h) {
    auto it = state().handles.find(h);
    return it == state().handles.end() ? 0 : it->second;
}

SimDeviceSet* device_set(HDEVINFO set) {
    auto* p = static_cast<SimDeviceSet*>(set);
    return state().sets.count(p) ? p : nullptr;
}

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL report(const sim::usb::IoResult& r, LPDWORD bytes) {
    if (bytes) *bytes = r.bytes;
    SetLastError(r.ok ? ERROR_SUCCESS : r.error);
    return r.ok ? TRUE : FALSE;
}

// A call that `find` (run under the lock) says is the simulated device's goes
// to `on_device` under the lock and counts as a device call; any other goes to
// `on_real` outside it and counts as passed through.
template <class Find, class OnDevice, class OnReal>
BOOL route(Find&& find, OnDevice&& on_device, OnReal&& on_real) {
    SeamState& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (const auto ours = find(s)) {
            ++s.counters.device_calls;
            return on_device(s, ours);
        }
        ++s.counters.passed_through;
    }
    return on_real(s.real);
}

// Calls on a device information set of the simulated bus.
template <class OnDevice, class OnReal>
BOOL route_set(HDEVINFO set, OnDevice&& on_device, OnReal&& on_real) {
    return route([&](SeamState&) { return device_set(set); }, on_device, on_real);
}

// Calls on a stand-in handle of the simulated device.
template <class OnDevice, class OnReal>
BOOL route_handle(HANDLE h, OnDevice&& on_device, OnReal&& on_real) {
    return route([&](SeamState& s) { return s.device ? device_handle(h) : sim::usb::Handle{0}; }, on_device,
                 on_real);
}

// ---------------------------------------------------------------- setupapi

HDEVINFO WINAPI SimSetupDiGetClassDevsA(const GUID* guid, PCSTR enumerator, HWND parent, DWORD flags) {
    SeamState& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.device && guid && IsEqualGUID(*guid, kUsbDeviceInterface) && (flags & DIGCF_DEVICEINTERFACE) &&
            !enumerator) {
            ++s.counters.device_calls;
            if (s.device->faults().enumeration_fails) {
                SetLastError(ERROR_INVALID_DATA);
                return INVALID_HANDLE_VALUE;
            }
            auto* set = new SimDeviceSet{*guid, s.device->enumerate()};
            s.sets.insert(set);
            SetLastError(ERROR_SUCCESS);
            return set;
        }
        ++s.counters.passed_through;
    }
    return s.real.get_class_devs(guid, enumerator, parent, flags);
}

BOOL WINAPI SimSetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) {
    return route_set(
        set,
        [&](SeamState&, SimDeviceSet* ours) {
            if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) return fail(ERROR_INVALID_USER_BUFFER);
            if (index >= ours->entries.size()) return fail(ERROR_NO_MORE_ITEMS);
            data->ClassGuid = kUsbClass;
            data->DevInst = ours->entries[index].dev_inst;
            data->Reserved = index + 1;
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        },
        [&](RealFunctions& real) { return real.enum_device_info(set, index, data); });
}

BOOL WINAPI SimSetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA info, const GUID* guid, DWORD member,
                                           PSP_DEVICE_INTERFACE_DATA data) {
    return route_set(
        set,
        [&](SeamState&, SimDeviceSet* ours) {
            if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || !guid)
                return fail(ERROR_INVALID_USER_BUFFER);
            // Each element has one interface of the set's class.
            std::size_t element = member;
            if (info) {
                if (info->cbSize != sizeof(SP_DEVINFO_DATA) || info->Reserved == 0) return fail(ERROR_INVALID_PARAMETER);
                if (member != 0) return fail(ERROR_NO_MORE_ITEMS);
                element = info->Reserved - 1;
            }
            if (element >= ours->entries.size() || !IsEqualGUID(*guid, ours->interface_guid))
                return fail(ERROR_NO_MORE_ITEMS);
            data->InterfaceClassGuid = *guid;
            data->Flags = SPINT_ACTIVE;
            data->Reserved = element + 1;
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        },
        [&](RealFunctions& real) { return real.enum_interfaces(set, info, guid, member, data); });
}

BOOL WINAPI SimSetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA iface,
                                                PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size,
                                                PDWORD required, PSP_DEVINFO_DATA info) {
    return route_set(
        set,
        [&](SeamState&, SimDeviceSet* ours) {
            if (!iface || iface->Reserved == 0 || iface->Reserved > ours->entries.size())
                return fail(ERROR_INVALID_PARAMETER);
            const std::size_t element = iface->Reserved - 1;
            const std::string& path = ours->entries[element].path;
            const DWORD need = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
            if (required) *required = need;
            if (!detail) return fail(size == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
            if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return fail(ERROR_INVALID_USER_BUFFER);
            if (size < need) return fail(ERROR_INSUFFICIENT_BUFFER);
            std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
            if (info) {
                if (info->cbSize != sizeof(SP_DEVINFO_DATA)) return fail(ERROR_INVALID_USER_BUFFER);
                info->ClassGuid = kUsbClass;
                info->DevInst = ours->entries[element].dev_inst;
                info->Reserved = element + 1;
            }
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        },
        [&](RealFunctions& real) { return real.interface_detail(set, iface, detail, size, required, info); });
}

BOOL WINAPI SimSetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA info, DWORD property, PDWORD type,
                                                 PBYTE buffer, DWORD size, PDWORD required) {
    return route_set(
        set,
        [&](SeamState&, SimDeviceSet* ours) {
            if (!info || info->cbSize != sizeof(SP_DEVINFO_DATA) || info->Reserved == 0 ||
                info->Reserved > ours->entries.size())
                return fail(ERROR_INVALID_PARAMETER);
            const BusEntry& e = ours->entries[info->Reserved - 1];
            std::string text;
            bool is_text = true;
            DWORD number = 0;
            switch (property) {
            case SPDRP_DEVICEDESC: case SPDRP_FRIENDLYNAME: text = e.description; break;
            case SPDRP_SERVICE: text = e.service; break;
            case SPDRP_CLASS: text = "USB"; break;
            case SPDRP_CLASSGUID: text = "{36fc9e60-c465-11cf-8056-444553540000}"; break;
            case SPDRP_MFG: text = e.manufacturer; break;
            case SPDRP_LOCATION_INFORMATION: text = e.location; break;
            case SPDRP_ENUMERATOR_NAME: text = "USB"; break;
            case SPDRP_ADDRESS: is_text = false; number = 2; break;
            case SPDRP_BUSNUMBER: is_text = false; number = 0; break;
            case SPDRP_UI_NUMBER: is_text = false; number = 2; break;
            default: return fail(ERROR_INVALID_DATA);
            }
            const DWORD need = is_text ? static_cast<DWORD>(text.size() + 1) : sizeof(DWORD);
            if (type) *type = is_text ? REG_SZ : REG_DWORD;
            if (required) *required = need;
            if (!buffer || size < need) return fail(ERROR_INSUFFICIENT_BUFFER);
            if (is_text)
                std::memcpy(buffer, text.c_str(), need);
            else
                std::memcpy(buffer, &number, sizeof number);
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        },
        [&](RealFunctions& real) { return real.registry_property(set, info, property, type, buffer, size, required); });
}

BOOL WINAPI SimSetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return route_set(
        set,
        [&](SeamState& s, SimDeviceSet* ours) {
            s.sets.erase(ours);
            delete ours;
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        },
        [&](RealFunctions& real) { return real.destroy_list(set); });
}

// ---------------------------------------------------------------- kernel32

HANDLE WINAPI SimCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE template_file) {
    SeamState& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.device && name && s.device->owns_path(name)) {
            ++s.counters.device_calls;
            const sim::usb::OpenResult r = s.device->open(name);
            if (r.handle == 0) {
                SetLastError(r.error);
                return INVALID_HANDLE_VALUE;
            }
            HANDLE stand_in = s.real.create_event(nullptr, TRUE, FALSE, nullptr);
            if (!stand_in) {
                s.device->close(r.handle);
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return INVALID_HANDLE_VALUE;
            }
            s.handles[stand_in] = r.handle;
            SetLastError(ERROR_SUCCESS);
            return stand_in;
        }
        ++s.counters.passed_through;
    }
    return s.real.create_file(name, access, share, security, disposition, flags, template_file);
}

BOOL WINAPI SimDeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD in_size, LPVOID out, DWORD out_size,
                               LPDWORD returned, LPOVERLAPPED overlapped) {
    return route_handle(
        h,
        [&](SeamState& s, sim::usb::Handle dh) {
            return report(s.device->control(dh, code, in, in_size, out, out_size), returned);
        },
        [&](RealFunctions& real) {
            return real.device_io_control(h, code, in, in_size, out, out_size, returned, overlapped);
        });
}

BOOL WINAPI SimReadFile(HANDLE h, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
    return route_handle(
        h,
        [&](SeamState& s, sim::usb::Handle dh) {
            return report(s.device->read_file(dh, buffer, count), read);
        },
        [&](RealFunctions& real) { return real.read_file(h, buffer, count, read, overlapped); });
}

BOOL WINAPI SimWriteFile(HANDLE h, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
    return route_handle(
        h,
        [&](SeamState& s, sim::usb::Handle dh) {
            return report(s.device->write_file(dh, buffer, count), written);
        },
        [&](RealFunctions& real) { return real.write_file(h, buffer, count, written, overlapped); });
}

BOOL WINAPI SimCloseHandle(HANDLE h) {
    return route_handle(
        h,
        [&](SeamState& s, sim::usb::Handle dh) {
            s.handles.erase(h);
            s.device->close(dh);
            s.real.close_handle(h);
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        },
        [&](RealFunctions& real) { return real.close_handle(h); });
}

void WINAPI SimSleep(DWORD ms) {
    SeamState& s = state();
    bool real_sleep = true;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.options.virtual_sleep) {
            s.virtual_ms += ms;
            s.counters.virtual_sleep_ms += ms;
            real_sleep = false;
        }
    }
    s.real.sleep(real_sleep ? ms : 0);
}

DWORD WINAPI SimGetTickCount() {
    SeamState& s = state();
    std::uint64_t offset = 0;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        offset = s.virtual_ms + (s.device ? s.device->now_ms() : 0);
    }
    return s.real.get_tick_count() + static_cast<DWORD>(offset);
}

FARPROC WINAPI SimGetProcAddress(HMODULE module, LPCSTR name);

struct Redirect {
    const char* dll;
    const char* function;
    void* replacement;
    bool time = false; // only with virtual_sleep
};

const std::vector<Redirect>& redirects() {
    static const std::vector<Redirect> list = {
        {"setupapi.dll", "SetupDiGetClassDevsA", reinterpret_cast<void*>(&SimSetupDiGetClassDevsA)},
        {"setupapi.dll", "SetupDiEnumDeviceInfo", reinterpret_cast<void*>(&SimSetupDiEnumDeviceInfo)},
        {"setupapi.dll", "SetupDiEnumDeviceInterfaces", reinterpret_cast<void*>(&SimSetupDiEnumDeviceInterfaces)},
        {"setupapi.dll", "SetupDiGetDeviceInterfaceDetailA", reinterpret_cast<void*>(&SimSetupDiGetDeviceInterfaceDetailA)},
        {"setupapi.dll", "SetupDiGetDeviceRegistryPropertyA", reinterpret_cast<void*>(&SimSetupDiGetDeviceRegistryPropertyA)},
        {"setupapi.dll", "SetupDiDestroyDeviceInfoList", reinterpret_cast<void*>(&SimSetupDiDestroyDeviceInfoList)},
        {"kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&SimCreateFileA)},
        {"kernel32.dll", "DeviceIoControl", reinterpret_cast<void*>(&SimDeviceIoControl)},
        {"kernel32.dll", "ReadFile", reinterpret_cast<void*>(&SimReadFile)},
        {"kernel32.dll", "WriteFile", reinterpret_cast<void*>(&SimWriteFile)},
        {"kernel32.dll", "CloseHandle", reinterpret_cast<void*>(&SimCloseHandle)},
        {"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&SimGetProcAddress)},
        {"kernel32.dll", "Sleep", reinterpret_cast<void*>(&SimSleep), true},
        {"kernel32.dll", "GetTickCount", reinterpret_cast<void*>(&SimGetTickCount), true},
    };
    return list;
}

FARPROC WINAPI SimGetProcAddress(HMODULE module, LPCSTR name) {
    SeamState& s = state();
    // Names only: an ordinal is a small number in place of the pointer.
    if (name && reinterpret_cast<std::uintptr_t>(name) > 0xFFFF) {
        for (const Redirect& r : redirects()) {
            if (std::strcmp(r.function, name) != 0 || std::strcmp(r.function, "GetProcAddress") == 0) continue;
            if (r.time && !s.options.virtual_sleep) continue;
            HMODULE owner = GetModuleHandleA(r.dll);
            if (owner && owner == module) return reinterpret_cast<FARPROC>(r.replacement);
        }
    }
    return s.real.get_proc_address(module, name);
}

} // namespace

DeviceSeam::DeviceSeam(HMODULE module, sim::usb::SimUsbDevice& device, SeamOptions options) : module_(module) {
    bind_real_functions();
    SeamState& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.installed > 0 && s.device != &device)
            throw std::logic_error("a device seam with another device is installed");
        s.device = &device;
        s.options = options;
        ++s.installed;
    }
    std::vector<ImportRedirect> list;
    for (const Redirect& r : redirects())
        if (!r.time || options.virtual_sleep) list.push_back(ImportRedirect{r.dll, r.function, r.replacement});
    patched_ = patch_imports(module, list);
}

DeviceSeam::~DeviceSeam() {
    if (module_loaded(module_)) restore_imports(patched_);
    SeamState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (--s.installed > 0) return;
    for (auto& [stand_in, handle] : s.handles) {
        s.device->close(handle);
        s.real.close_handle(stand_in);
    }
    s.handles.clear();
    for (SimDeviceSet* set : s.sets) delete set;
    s.sets.clear();
    s.device = nullptr;
}

std::vector<std::string> DeviceSeam::patched_functions() const {
    std::vector<std::string> names;
    for (const PatchedImport& p : patched_) names.push_back(p.function);
    return names;
}

bool DeviceSeam::patched(const char* function) const {
    for (const PatchedImport& p : patched_)
        if (p.function == function) return true;
    return false;
}

SeamCounters DeviceSeam::counters() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().counters;
}

void DeviceSeam::reset_counters() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().counters = SeamCounters{};
}

} // namespace sim::host
