#include "ccsdriver/usb_device_list.h"

#include <cstdio>
#include <cstring>

#include "ccsdriver/usb_trace.h"
#include "framework/base/text_utils.h"

const GUID kUsbDeviceInterfaceGuid = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

std::string GuidText(const GUID& g)
{
    char text[96];
    snprintf(text, sizeof text, "{ %08X, %04X, %04X, %02X, %02X, %02X, %02X, %02X, %02X, %02X, %02X }",
             static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
             g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

namespace {

std::string ReadProperty(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property, uint32_t size, bool* ok = nullptr)
{
    std::vector<char> buffer(size + 1, 0);
    BOOL read = SetupDiGetDeviceRegistryPropertyA(set, &info, property, nullptr,
                                                  reinterpret_cast<BYTE*>(buffer.data()), size, nullptr);
    if (ok) *ok = read != FALSE;
    buffer[size] = 0;
    return read ? std::string(buffer.data()) : std::string();
}

}  // namespace

KvUSBDeviceList::~KvUSBDeviceList()
{
    elements_.clear();
    DestroySet();
}

void KvUSBDeviceList::DestroySet()
{
    if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
    set_ = INVALID_HANDLE_VALUE;
}

void KvUSBDeviceList::Build(bool onlyFree, const char* service, const GUID& interfaceGuid)
{
    guid_ = interfaceGuid;
    service_ = service ? service : "";
    Refresh(onlyFree);
}

void KvUSBDeviceList::Refresh(bool onlyFree)
{
    elements_.clear();
    DestroySet();
    set_ = SetupDiGetClassDevsA(&guid_, nullptr, GetDesktopWindow(), DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set_ == INVALID_HANDLE_VALUE) {
        UsbTrace("No devices with GUID %s\n", GuidText(guid_).c_str());
        return;
    }
    for (DWORD index = 0;; ++index) {
        auto element = std::make_unique<KvUSBDeviceInfo>();
        element->devInfo.cbSize = sizeof(SP_DEVINFO_DATA);
        if (!SetupDiEnumDeviceInfo(set_, index, &element->devInfo)) break;
        element->set = set_;
        element->interfaceData.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
        if (!SetupDiEnumDeviceInterfaces(set_, &element->devInfo, &guid_, 0, &element->interfaceData)) {
            UsbError("SetupDiEnumDeviceInterfaces() failed\n");
        } else {
            DWORD needed = 0;
            SetupDiGetDeviceInterfaceDetailA(set_, &element->interfaceData, nullptr, 0, &needed, nullptr);
            // The detail holds a u32 size and the path; a size below that or
            // absurdly large is not believed.
            if (needed > sizeof(DWORD) && needed < 65536) {
                std::vector<uint8_t> storage(needed + 1, 0);
                auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
                // The record's own size: 5 on 32-bit Windows (byte-packed),
                // 8 on 64-bit; the path that follows is not counted.
                detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
                if (SetupDiGetDeviceInterfaceDetailA(set_, &element->interfaceData, detail, needed, nullptr, nullptr))
                    element->path = detail->DevicePath;
                else
                    UsbError("SetupDiGetDeviceInterfaceDetail() failed\n");
            } else {
                UsbError("SetupDiGetDeviceInterfaceDetail() failed\n");
            }
        }
        element->location = ReadProperty(set_, element->devInfo, SPDRP_LOCATION_INFORMATION, 512);
        element->description = ReadProperty(set_, element->devInfo, SPDRP_DEVICEDESC, 512);

        bool keep = !element->path.empty() && !(onlyFree && element->inUse);
        if (keep && !service_.empty()) {
            bool read = false;
            std::string svc = ReadProperty(set_, element->devInfo, SPDRP_SERVICE, 256, &read);
            keep = read && CompareNoCase(svc.c_str(), service_.c_str()) == 0;
        }
        if (keep) elements_.push_back(std::move(element));
    }
}

void KvUSBDeviceList::Dump(const KvUSBDeviceInfo& e) const
{
    std::string flags;
    if (e.interfaceData.Flags & 1) flags += "SPINT_ACTIVE ";
    if (e.interfaceData.Flags & 2) flags += "SPINT_DEFAULT ";
    if (e.interfaceData.Flags & 4) flags += "SPINT_REMOVED ";
    UsbTrace("ClassGuid:          %s\nDevInst:            %08X\nDevice Path:        \"%s\"\n"
             "Description:        \"%s\"\nIn Use:             %s\nSPINT flags:        %s\n",
             GuidText(e.devInfo.ClassGuid).c_str(), static_cast<unsigned>(e.devInfo.DevInst), e.path.c_str(),
             e.description.c_str(), e.inUse ? "Yes" : "No", flags.c_str());
    static const struct {
        const char* title;
        DWORD property;
    } kProperties[] = {
        {"Friendly name:      ", 12}, {"Description:        ", 0},  {"Class:              ", 7},
        {"Class GUID:         ", 8},  {"Object name:        ", 14}, {"Hardware Id:        ", 1},
        {"Service:            ", 4},  {"Driver:             ", 9},  {"Manufacturer:       ", 11},
        {"Location Info:      ", 13}, {"Enumerator Name:    ", 22}, {"UI number:          ", 16},
        {"Bus number:         ", 21}, {"Device Type:        ", 25}, {"Exclusive-access:   ", 26},
        {"Device Address:     ", 28}, {"UiNumberDescFormat: ", 29}, {"Install State:      ", 34},
    };
    SP_DEVINFO_DATA info = e.devInfo;
    for (const auto& p : kProperties) {
        uint8_t buffer[513] = {};
        DWORD type = 0;
        if (!SetupDiGetDeviceRegistryPropertyA(e.set, &info, p.property, &type, buffer, 512, nullptr)) {
            UsbTrace("%s<Unknown>\n", p.title);
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            UsbTrace("%s\"%s\"\n", p.title, reinterpret_cast<const char*>(buffer));
        } else if (type == REG_DWORD) {
            uint32_t value;
            memcpy(&value, buffer, 4);
            UsbTrace("%s0x%08X\n", p.title, value);
        } else {
            UsbTrace("%sUnknown Reg Data Type\n", p.title);
        }
    }
}
