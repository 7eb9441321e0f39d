// The emulator boards among the present USB device interfaces.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/base/base_object.h"

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}: GUID_DEVINTERFACE_USB_DEVICE.
extern const GUID kUsbDeviceInterfaceGuid;
constexpr const char* kKvUsbService = "KVUSBDEV";

class KvUSBDeviceInfo : public BaseObject {
public:
    SP_DEVINFO_DATA devInfo = {};
    HDEVINFO set = INVALID_HANDLE_VALUE;
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    std::string path;
    std::string location;
    std::string description;
    uint8_t inUse = 0;  // nothing in this system sets it
};

class KvUSBDeviceList {
public:
    KvUSBDeviceList() = default;
    ~KvUSBDeviceList();
    KvUSBDeviceList(const KvUSBDeviceList&) = delete;
    KvUSBDeviceList& operator=(const KvUSBDeviceList&) = delete;

    void Build(bool onlyFree, const char* service, const GUID& interfaceGuid);
    void Refresh(bool onlyFree);
    const std::vector<std::unique_ptr<KvUSBDeviceInfo>>& Elements() const { return elements_; }
    // Traces one element with its registry properties.
    void Dump(const KvUSBDeviceInfo& element) const;

private:
    void DestroySet();
    HDEVINFO set_ = INVALID_HANDLE_VALUE;
    GUID guid_ = {};
    std::string service_;
    std::vector<std::unique_ptr<KvUSBDeviceInfo>> elements_;
};

std::string GuidText(const GUID& guid);
