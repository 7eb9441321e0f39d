// The board's firmware signature and the firmware file it is compared with.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ccsdriver/board_commands.h"
#include "ccsdriver/real_usb_device.h"
#include "ccsdriver/usb_trace.h"

namespace {

constexpr char kMakerTag[] = "Korvan";  // with its NUL, 7 bytes

std::string DosDateTimeText(uint32_t value)
{
    FILETIME local;
    SYSTEMTIME t = {};
    if (!DosDateTimeToFileTime(static_cast<WORD>(value >> 16), static_cast<WORD>(value), &local) ||
        !FileTimeToSystemTime(&local, &t))
        return "?";
    char text[32];
    snprintf(text, sizeof text, "%02u.%02u.%04u %02u:%02u:%02u", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute,
             t.wSecond);
    return text;
}

std::string HostFolder()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

bool HasTrgExtension(const std::string& path)
{
    size_t dot = path.rfind('.');
    return dot != std::string::npos && lstrcmpiA(path.c_str() + dot + 1, "trg") == 0;
}

uint32_t FileDosDateTime(HANDLE file)
{
    FILETIME written, local;
    WORD date = 0, time = 0;
    if (GetFileTime(file, nullptr, nullptr, &written) && FileTimeToLocalFileTime(&written, &local))
        FileTimeToDosDateTime(&local, &date, &time);
    return (static_cast<uint32_t>(date) << 16) | time;
}

}  // namespace

bool RealUSBDevice::ReadSignature(BoardSignature& record)
{
    record = BoardSignature();
    Begin(kCmdRdSignat);
    if (!Transact()) return false;
    buffer_.GetU32(record.signature);
    uint8_t n = 0;
    char text[256];
    if (buffer_.GetU8(n) && buffer_.GetBytes(text, n)) record.fileName.assign(text, n);
    if (buffer_.InRemaining() > 0 && buffer_.GetU8(n) && buffer_.GetBytes(text, n)) record.text.assign(text, n);
    if (buffer_.InRemaining() > 0 && buffer_.GetU8(n)) {
        if (n > buffer_.InRemaining()) n = static_cast<uint8_t>(buffer_.InRemaining());
        record.status.assign(n, 0);
        buffer_.GetBytes(record.status.data(), n);
    }
    return true;
}

bool RealUSBDevice::CheckFirmware(std::string& path, uint32_t& fileSignature)
{
    path.clear();
    fileSignature = 0;
    BoardSignature record;
    ReadSignature(record);
    if (record.signature == BoardSignature::kNone) return false;
    signatureText_ = record.text;
    signatureRead_ = true;
    std::string extra = record.text.empty() ? std::string() : ", String: \"" + record.text + "\"";
    std::string status;
    char hex[4];
    for (uint8_t b : record.status) {
        snprintf(hex, sizeof hex, " %02X", b);
        status += hex;
    }
    UsbTrace("Signature: %08X (%s), File Name: \"%s\"%s, Status:%s\n", record.signature,
             DosDateTimeText(record.signature).c_str(), record.fileName.c_str(), extra.c_str(), status.c_str());
    if (skipFirmwareUpdate_) return true;

    path = HostFolder() + "PodWare\\" + record.fileName;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        UsbTrace("File %s does not exist\n", path.c_str());
        return false;
    }
    fileSignature = FileDosDateTime(file);
    uint8_t header[36] = {};
    DWORD got = 0;
    ReadFile(file, header, sizeof header, &got, nullptr);
    CloseHandle(file);
    if (got >= 16 && memcmp(header, kMakerTag, sizeof kMakerTag) == 0)
        memcpy(&fileSignature, header + 12, 4);
    if (fileSignature != record.signature) return false;
    UsbTrace("File signature match\n");
    return true;
}

bool RealUSBDevice::FirmwareExists(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    if (HasTrgExtension(path)) {
        FlashEnd(2);
        return false;
    }
    UsbError("Failed to open file '%s'", path.c_str());
    return false;
}
