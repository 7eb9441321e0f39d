#include "ccsdriver/kv_usb_device.h"

#include <cstring>
#include <memory>
#include <vector>

#include "ccsdriver/board_commands.h"
#include "ccsdriver/usb_device_list.h"
#include "ccsdriver/usb_trace.h"
#include "framework/base/sys_error.h"

namespace {

constexpr uint32_t kHandleUnusable = 0xC0000008;
constexpr DWORD kErrorSemaphoreTimeout = 121;
constexpr uint32_t kFlushBytes = 65535;
constexpr uint32_t kFlushRounds = 16;
constexpr uint32_t kReopenAttempts = 200;

}  // namespace

void KvUSBDevice::ResetFields()
{
    inSize_ = outSize_ = kDefaultBufferSize;
    lastCount_ = 0;
    handle_ = INVALID_HANDLE_VALUE;
    wasError_ = acceptNotSupported_ = command_ = lastStatus_ = postSendDelayMs_ = timeoutMs_ = 0;
    path_.clear();
    completion_ = nullptr;
    event_ = nullptr;
    wdf_ = 0;
    sequence_ = 0;
    noRecoveryDump_ = keepTraceLevel_ = 0;
}

KvUSBDevice::KvUSBDevice()
{
    ResetFields();
    OpenFirst();
}

KvUSBDevice::KvUSBDevice(const char* path)
{
    ResetFields();
    path_ = path ? path : "";
    Init(Open(path_.c_str()));
}

KvUSBDevice::KvUSBDevice(HANDLE handle)
{
    ResetFields();
    Init(handle);
}

KvUSBDevice::~KvUSBDevice()
{
    if (g_usbTrace.level >= 1) UsbTrace("Closing device\n");
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (event_) CloseHandle(event_);
    event_ = nullptr;
}

HANDLE KvUSBDevice::Open(const char* path)
{
    UsbTrace("Opening device \"%s\"\n", path ? path : "");
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        char system[512];
        GetLastErrorText(GetLastError(), system, sizeof system);
        UsbTrace("Cannot open device '%s': %s\n", path ? path : "", system);
        return INVALID_HANDLE_VALUE;
    }
    uint32_t check = 0;
    DWORD returned = 0;
    DeviceIoControl(handle, kIoctlHandleCheck, nullptr, 0, &check, sizeof check, &returned, nullptr);
    if (check == kHandleUnusable) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

bool KvUSBDevice::OpenFirst()
{
    KvUSBDeviceList list;
    list.Build(true, kKvUsbService, kUsbDeviceInterfaceGuid);
    const KvUSBDeviceInfo* chosen = nullptr;
    for (const auto& element : list.Elements()) {
        if (!element->inUse) {
            chosen = element.get();
            break;
        }
    }
    if (!chosen) {
        UsbTrace("Device list is empty\n");
        return false;
    }
    HANDLE handle = Open(chosen->path.c_str());
    if (handle == INVALID_HANDLE_VALUE) {
        UsbTrace("Error opening the device\n");
        return false;
    }
    path_ = chosen->path;
    Init(handle);
    return true;
}

void KvUSBDevice::Init(HANDLE handle)
{
    handle_ = handle;
    if (handle_ == INVALID_HANDLE_VALUE) return;
    UsbTrace("Device handle opened ok\n");
    char version[513] = {};
    Control(kIoctlVersionText, nullptr, 0, version, 512);
    version[512] = 0;
    UsbTrace("Driver version: %s\n", version);
    wdf_ = strstr(version, "WDF") ? 1 : 0;
    SetTimeout(kOpenTimeoutMs);
    Flush();
}

bool KvUSBDevice::Control(DWORD code, const void* in, uint32_t inLength, void* out, uint32_t outLength)
{
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(handle_, code, const_cast<void*>(in), inLength, out, outLength, &returned, nullptr);
    lastCount_ = returned;
    return ok != FALSE;
}

bool KvUSBDevice::Read(uint32_t count, void* buffer)
{
    if (wasError_) {
        UsbTrace("Read %u bytes: Skipped because of WasError\n", count);
        lastCount_ = 0;
        return false;
    }
    bool ok;
    if (handle_ == INVALID_HANDLE_VALUE) {
        ok = false;
        lastCount_ = 0;
    } else if (wdf_) {
        DWORD got = 0;
        ok = ReadFile(handle_, buffer, count, &got, nullptr) != FALSE;
        lastCount_ = got;
        // The WDF driver reports a time-out with no data as this error.
        if (!ok && GetLastError() == kErrorSemaphoreTimeout) {
            ok = true;
            lastCount_ = 0;
        }
    } else {
        ok = Control(kIoctlRead, nullptr, 0, buffer, count);
    }
    // The driver never hands back more than it was asked for.
    if (lastCount_ > count) lastCount_ = count;
    wasError_ = ok ? 0 : 1;
    if (!ok) {
        UsbTrace("\nReading data from driver failed\n");
        lastCount_ = 0;
    }
    return ok;
}

bool KvUSBDevice::Write(uint32_t count, const void* buffer)
{
    bool ok;
    if (handle_ == INVALID_HANDLE_VALUE) {
        ok = false;
        lastCount_ = 0;
    } else if (wdf_) {
        DWORD put = 0;
        ok = WriteFile(handle_, buffer, count, &put, nullptr) != FALSE;
        lastCount_ = put;
        if (!ok) {
            char system[512];
            GetLastErrorText(GetLastError(), system, sizeof system);
            UsbTrace("%s\n", system);
        }
    } else {
        ok = Control(kIoctlWrite, buffer, count, nullptr, 0);
        // The control code reports no count of its own for input data.
        if (ok && lastCount_ == 0) lastCount_ = count;
    }
    // Fewer bytes than asked for lose data: that is a failed write.
    if (ok && lastCount_ < count) ok = false;
    wasError_ = ok ? 0 : 1;
    if (!ok) UsbTrace("\nSending data to driver failed\n");
    return ok;
}

bool KvUSBDevice::WriteChunked(uint32_t count, const void* buffer)
{
    if (wasError_) {
        UsbTrace("Write %u bytes: Skipped because of WasError\n", count);
        return false;
    }
    // The out size is checked when the board announces it; 0 never reaches here.
    uint32_t chunk = outSize_ ? outSize_ : kDefaultBufferSize;
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        uint32_t n = count < chunk ? count : chunk;
        if (!Write(n, bytes)) return false;
        bytes += n;
        count -= n;
    }
    return true;
}

bool KvUSBDevice::SetTimeout(uint32_t ms)
{
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    if (g_usbTrace.level >= 1) UsbTrace("Setting timeout = %u ms\n", ms);
    timeoutMs_ = ms;
    return Control(kIoctlSetTimeout, &ms, sizeof ms, nullptr, 0);
}

void KvUSBDevice::Flush()
{
    uint32_t kept = timeoutMs_;
    SetTimeout(100);
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[kFlushBytes]);
    if (scratch && handle_ != INVALID_HANDLE_VALUE) {
        for (uint32_t round = 0; round < kFlushRounds; ++round) {
            if (wdf_) {
                DWORD got = 0;
                BOOL ok = ReadFile(handle_, scratch.get(), kFlushBytes, &got, nullptr);
                if (!ok && GetLastError() == kErrorSemaphoreTimeout) break;
                if (ok && got == 0) break;  // nothing left to drain
            } else {
                wasError_ = 0;
                Control(kIoctlRead, nullptr, 0, scratch.get(), kFlushBytes);
                uint32_t status = 0;
                if (Control(kIoctlReadStatus, nullptr, 0, &status, sizeof status) && status == kReadTimedOut) break;
            }
        }
    }
    wasError_ = 0;
    timeoutMs_ = kept;
    SetTimeout(kept);
}

bool KvUSBDevice::Reinit()
{
    Sleep(2000);  // the board restarts and enumerates again
    if (handle_ != INVALID_HANDLE_VALUE && !CloseHandle(handle_)) {
        char system[512];
        GetLastErrorText(GetLastError(), system, sizeof system);
        UsbTrace("Re-initialization: CloseHandle() failed: %s\n", system);
        handle_ = INVALID_HANDLE_VALUE;
        return false;
    }
    // Never close this value twice: it may belong to another object by now.
    handle_ = INVALID_HANDLE_VALUE;
    for (uint32_t attempt = 0; attempt < kReopenAttempts; ++attempt) {
        HANDLE handle = Open(path_.c_str());
        if (handle == INVALID_HANDLE_VALUE) handle = OpenMovedBoard();
        if (handle != INVALID_HANDLE_VALUE) {
            Init(handle);
            return true;
        }
        Sleep(50);
    }
    UsbTrace("Re-initialization failed\n");
    return false;
}

HANDLE KvUSBDevice::OpenMovedBoard()
{
    // A boot loader may enumerate under another path than the firmware did:
    // the first free board of the service is taken instead.
    KvUSBDeviceList list;
    list.Build(true, kKvUsbService, kUsbDeviceInterfaceGuid);
    for (const auto& element : list.Elements()) {
        if (element->inUse) continue;
        if (lstrcmpiA(element->path.c_str(), path_.c_str()) == 0) return INVALID_HANDLE_VALUE;
        HANDLE handle = Open(element->path.c_str());
        if (handle == INVALID_HANDLE_VALUE) return handle;
        UsbTrace("Re-initialization: the board came back as \"%s\"\n", element->path.c_str());
        path_ = element->path;
        return handle;
    }
    return INVALID_HANDLE_VALUE;
}

std::string KvUSBDevice::Describe(bool force) const
{
    if (g_usbTrace.level < 1 && !force) return std::string();
    std::string name = CommandName(command_);
    if (!name.empty() && name[0] == '*') {
        if (!force) return std::string();
        name.erase(0, 1);
    }
    char line[2048];
    const char* form = (g_usbTrace.displayFlags & kUsbColours) ? " <YELLOW>[%02X.%s: %u]<>" : " [%02X.%s: %u]";
    snprintf(line, sizeof line, form, SequenceNumber(), name.c_str(), buffer_.OutSize());
    if (!(g_usbTrace.displayFlags & kUsbNoDumps)) AppendHexDump(line, sizeof line, buffer_.OutData(), buffer_.OutSize());
    return line;
}
