// The seam between a loaded module and the simulated USB device: it patches
// the module's import address table so that the module's device calls reach
// a sim::usb::SimUsbDevice, and nothing in the module knows. The shipped
// driver carries no test hook; every line of its own USB code runs.
//
// Typical use (the stand-in host does exactly this):
//
//   sim::usb::SimEmulator emu;                      // pod, TMS320C54x, USB device
//   HMODULE tms = LoadLibraryA("VOQ-TMS.dll");
//   {
//       sim::host::DeviceSeam seam(tms, emu.device());
//       ... GTI_INIT_EX, GTI_READMEM_BLK, ... (emu.device().log(), emu.target())
//       FreeLibrary(tms);                           // the driver's unload still
//   }                                               // closes through the seam
//
// What is led to the device (imports by name of the module; other modules,
// and the module's imports from other DLLs, are untouched):
// - setupapi.dll: SetupDiGetClassDevsA, SetupDiEnumDeviceInfo,
//   SetupDiEnumDeviceInterfaces, SetupDiGetDeviceInterfaceDetailA,
//   SetupDiGetDeviceRegistryPropertyA, SetupDiDestroyDeviceInfoList. A class
//   query for GUID_DEVINTERFACE_USB_DEVICE with DIGCF_DEVICEINTERFACE gets a
//   device information set of the simulated bus (the board, when present,
//   after the foreign devices); any other query and any real set pass
//   through. The structures' size fields are checked as the platform does
//   (SP_DEVICE_INTERFACE_DETAIL_DATA_A: 5 on this platform).
// - kernel32.dll: CreateFileA of a path the device owns opens the device (the
//   handle is a real event object standing in, so it never collides with a
//   real handle); DeviceIoControl, ReadFile, WriteFile and CloseHandle on such
//   a handle go to the device; on any other handle (a log file) they pass
//   through to the real functions. The device's error numbers come back
//   through SetLastError.
// - kernel32.dll: Sleep and GetTickCount, when `virtual_sleep` is set: Sleep
//   returns at once (after a real Sleep(0)) and adds its time to a virtual
//   offset that GetTickCount adds, together with the device's own virtual
//   time (read time-outs); busy-waits on the tick count still run in real
//   time. The board restarts' 2000 ms pauses and 50 ms re-open retries then
//   cost nothing.
// - kernel32.dll: GetProcAddress, for a module that binds any of the above by
//   name at run time: it hands back the replacement.
// MsgWaitForMultipleObjects is not redirected: the simulated device sets no
// event, so it is only ever called on handles that are not the device's.
//
// Without the seam, under plain Wine, the class query lists no device of the
// service "KVUSBDEV": that is the "no board" case.
//
// One device at a time: seams installed together (on several modules) must
// all name the same device. The last seam removed closes the device handles
// and sets the module left open, so the device sees them closed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/host/seam/iat_patch.h"
#include "sim/usb/sim_usb_device.h"

namespace sim::host {

struct SeamOptions {
    bool virtual_sleep = true;
};

struct SeamCounters {
    std::uint64_t device_calls = 0;  // calls led to the simulated device
    std::uint64_t passed_through = 0; // calls of a redirected function that went to the real one
    std::uint64_t virtual_sleep_ms = 0;
};

class DeviceSeam {
public:
    // Patches `module`'s imports. Throws std::logic_error when another seam
    // is installed with a different device.
    DeviceSeam(HMODULE module, sim::usb::SimUsbDevice& device, SeamOptions options = {});
    // Restores the import table when the module is still loaded.
    ~DeviceSeam();
    DeviceSeam(const DeviceSeam&) = delete;
    DeviceSeam& operator=(const DeviceSeam&) = delete;

    // The import slots redirected, by function name (one per import).
    std::vector<std::string> patched_functions() const;
    bool patched(const char* function) const;

    static SeamCounters counters();
    static void reset_counters();

private:
    HMODULE module_;
    std::vector<PatchedImport> patched_;
};

} // namespace sim::host
