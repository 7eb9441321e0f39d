// The board's firmware signature and the firmware file it is compared with.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ccsdriver/board_commands.h"
#include "ccsdriver/firmware_file.h"
#include "ccsdriver/real_usb_device.h"
#include "ccsdriver/usb_trace.h"
#include "framework/base/datetime.h"

namespace {

constexpr uint32_t kSignatureDateFlags = 15;

// The signature read as a DOS date (high 16 bits) and time (low 16 bits),
// in the framework's date-time text.
std::string DosDateTimeText(uint32_t value)
{
    return PDateTime(value, false).LocalText(kSignatureDateFlags).c_str();
}

// The file name comes from the board: it names a file inside PodWare and
// nothing else (no folder, no drive, no way up).
bool IsPlainFileName(const std::string& name)
{
    if (name == "." || name == "..") return false;
    return name.find_first_of("\\/:") == std::string::npos;
}

std::string HostFolder()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
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
    bool read = ReadSignature(record);
    // No signature read: nothing to compare. A board that answered with no
    // signature but named its file was erased by an update that broke off;
    // it goes on to the file, so that it is written again.
    if (!read || (record.signature == BoardSignature::kNone && record.fileName.empty())) return false;
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

    if (record.fileName.empty()) return false;  // the board names no file
    if (!IsPlainFileName(record.fileName)) {
        UsbError("Firmware file name \"%s\" is not a plain file name\n", record.fileName.c_str());
        return false;
    }
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
    if (got >= 16 && IsFirmwareImage(header, got)) memcpy(&fileSignature, header + 12, 4);
    if (record.signature == BoardSignature::kNone || fileSignature != record.signature) return false;
    UsbTrace("File signature match\n");
    return true;
}
