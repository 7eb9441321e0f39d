// A small module built only for the seam's test: it makes the device calls a
// driver makes, through its own imports, so the test can patch them.
#include <windows.h>
#include <setupapi.h>

#include <cstring>

namespace {

const GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

} // namespace

extern "C" {

// Lists the USB device interfaces and copies the path of the first one whose
// service is "KVUSBDEV"; returns how many interfaces were listed, -1 when
// the list could not be made, and leaves `path` empty when none matched.
__declspec(dllexport) int probe_find_board(char* path, int size) {
    path[0] = '\0';
    HDEVINFO set = SetupDiGetClassDevsA(&kUsbDeviceInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return -1;
    int listed = 0;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof iface;
        if (!SetupDiEnumDeviceInterfaces(set, &info, &kUsbDeviceInterface, 0, &iface)) continue;
        ++listed;
        DWORD need = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &need, nullptr);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || need == 0) continue;
        auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(HeapAlloc(GetProcessHeap(), 0, need));
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        char service[256] = {};
        const bool got = SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, need, nullptr, nullptr) &&
                         SetupDiGetDeviceRegistryPropertyA(set, &info, SPDRP_SERVICE, nullptr,
                                                           reinterpret_cast<BYTE*>(service), sizeof service, nullptr);
        if (got && lstrcmpiA(service, "KVUSBDEV") == 0 && path[0] == '\0' &&
            static_cast<int>(std::strlen(detail->DevicePath)) < size)
            std::strcpy(path, detail->DevicePath);
        HeapFree(GetProcessHeap(), 0, detail);
    }
    SetupDiDestroyDeviceInfoList(set);
    return listed;
}

__declspec(dllexport) HANDLE probe_open(const char* path, DWORD disposition) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

__declspec(dllexport) BOOL probe_ioctl(HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                                       DWORD* returned) {
    return DeviceIoControl(h, code, in, in_size, out, out_size, returned, nullptr);
}

__declspec(dllexport) BOOL probe_read(HANDLE h, void* buffer, DWORD count, DWORD* done) {
    return ReadFile(h, buffer, count, done, nullptr);
}

__declspec(dllexport) BOOL probe_write(HANDLE h, const void* buffer, DWORD count, DWORD* done) {
    return WriteFile(h, buffer, count, done, nullptr);
}

__declspec(dllexport) BOOL probe_close(HANDLE h) { return CloseHandle(h); }

__declspec(dllexport) DWORD probe_last_error() { return GetLastError(); }

__declspec(dllexport) void probe_sleep(DWORD ms) { Sleep(ms); }

__declspec(dllexport) DWORD probe_ticks() { return GetTickCount(); }

// A function bound at run time by name, as a module may bind its calls.
__declspec(dllexport) void* probe_bind(const char* dll, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name));
}

} // extern "C"
