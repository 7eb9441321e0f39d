// Writing a firmware file into the board's flash, and the update steps of
// the connect sequence around it: reset into the boot loader, erase, write,
// signature.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "ccsdriver/board_commands.h"
#include "ccsdriver/firmware_file.h"
#include "ccsdriver/real_usb_device.h"
#include "ccsdriver/usb_trace.h"

namespace {

constexpr uint32_t kFlashOk = 0;
// The command header that shares the out buffer with a LOAD_TARGET chunk.
constexpr uint32_t kChunkReserve = 256;

bool HasTrgExtension(const std::string& path)
{
    size_t dot = path.rfind('.');
    size_t slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    return lstrcmpiA(path.c_str() + dot + 1, "trg") == 0;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    uint8_t block[65536];
    size_t n;
    bool ok = true;
    while ((n = fread(block, 1, sizeof block, f)) > 0) {
        if (bytes.size() + n > kMaxFirmwareFileBytes) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), block, block + n);
    }
    if (ferror(f)) ok = false;
    fclose(f);
    return ok;
}

// Joins data blocks at consecutive addresses into runs of up to the chunk
// limit and writes each run with one LOAD_TARGET.
class WriteCombiningBuffer {
public:
    WriteCombiningBuffer(KvUSBDevice& device, uint32_t capacity) : device_(device), capacity_(capacity)
    {
        storage_.reserve(capacity);
    }

    bool Put(const uint8_t* data, uint32_t count, uint32_t address)
    {
        if (count >= capacity_) {
            // The pending run goes first: it lies below or beside this block,
            // and an overlap must end with the newer bytes in the flash.
            if (!Flush()) return false;
            return device_.WriteFlash(data, count, address) != 0;
        }
        if (storage_.empty()) {
            base_ = address;
        } else if (storage_.size() + count > capacity_ || address != base_ + storage_.size()) {
            if (!Flush()) return false;
            base_ = address;
        }
        storage_.insert(storage_.end(), data, data + count);
        return true;
    }

    bool Flush()
    {
        if (storage_.empty()) return true;
        bool ok = device_.WriteFlash(storage_.data(), static_cast<uint32_t>(storage_.size()), base_) != 0;
        storage_.clear();
        return ok;
    }

    void Discard() { storage_.clear(); }

private:
    KvUSBDevice& device_;
    uint32_t capacity_;
    std::vector<uint8_t> storage_;
    uint32_t base_ = 0;
};

}  // namespace

uint32_t RealUSBDevice::WriteFlash(const void* data, uint32_t byteCount, uint32_t address)
{
    UsbTrace("Writing Flash: Addr = %08X, len = %u...", address, byteCount);
    IOBuffer& out = Begin(kCmdLoadTarget);
    out.PutU32(address);
    out.PutU32(byteCount);
    out.PutBytes(data, byteCount);
    if (!Transact()) {
        UsbTrace("Error!\n");
        return 0;
    }
    uint32_t status = kFlashOk;
    if (!buffer_.GetU32(status)) status = ~0u;  // no status word: not a success
    UsbTrace("%s\n", FlashStatusName(status));
    return status == kFlashOk ? 1 : 0;
}

uint32_t RealUSBDevice::FlashInit()
{
    Begin(kCmdFlashInit).PutU32(kCommandKey);
    // A transfer that failed has no status: it must never read as FLASH_OK.
    uint32_t word = ~0u;
    if (Transact() && !buffer_.GetU32(word)) word = ~0u;
    return word;
}

bool RealUSBDevice::LoadFirmware(uint32_t chunkLimit, const std::string& path)
{
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path, file)) {
        // The board is erased by now: a file that vanished since the check
        // is a failed update, whatever its extension.
        UsbError("Failed to open file '%s'", path.c_str());
        return false;
    }
    if (IsFirmwareImage(file.data(), file.size())) return LoadImage(file, path);

    std::vector<HexDataRecord> records;
    std::string error;
    if (!ParseHexFirmware(std::string(file.begin(), file.end()), path, records, error)) {
        UsbError("%s", error.c_str());
        return false;
    }
    WriteCombiningBuffer combined(*this, chunkLimit);
    for (const HexDataRecord& r : records) {
        bool ok = chunkLimit ? combined.Put(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()), r.address)
                             : WriteFlash(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()), r.address) != 0;
        if (!ok || WasError()) {
            combined.Discard();
            return false;
        }
    }
    return combined.Flush() && !WasError();
}

bool RealUSBDevice::LoadImage(const std::vector<uint8_t>& file, const std::string& path)
{
    uint32_t headerSize = 0;
    std::vector<ImageRecord> records;
    if (!ParseFirmwareImage(file, headerSize, records)) {
        UsbError("Invalid '%s' file format\n", path.c_str());
        return false;
    }
    const uint32_t total = static_cast<uint32_t>(file.size()) - headerSize;
    for (const ImageRecord& r : records) {
        IOBuffer& out = Begin(kCmdLoadBinary);
        out.PutU32(r.address);
        out.PutU32(r.length);
        out.PutBytes(file.data() + r.offset + kImageRecordDataOffset, r.carried);
        if (!Transact()) {
            UsbTrace("Error!\n");
            return false;
        }
        uint32_t status = ~0u;
        buffer_.GetU32(status);
        UsbTrace("%s\n", FlashStatusName(status));
        if (status != kFlashOk) return false;
        FlashProgress(r.end - headerSize, total);
    }
    FlashProgress(total, total);
    return true;
}

bool RealUSBDevice::RestartIntoBootLoader()
{
    Begin(kCmdResetTarget).PutU32(kCommandKey);
    if (!Transact()) return false;
    if (!Reinit() || !GetStatus() || !SetExchange()) return false;
    if (!(boardStatus_ & kBootBit)) {
        UsbTrace("Error: BOOT_BIT is off after RESET_TARGET\n");
        return false;
    }
    return true;
}

bool RealUSBDevice::UpdateFirmware(const std::string& path, uint32_t fileSignature)
{
    FlashBegin();
    bool ok = WriteFirmware(path, fileSignature);
    if (!ok) {
        // The board holds no current firmware now; the next GTI_INIT_EX
        // finds the signature differing and tries again.
        UsbError("Firmware update from '%s' failed\n", path.c_str());
        FlashEnd(0);
        return false;
    }
    FlashEnd(1);
    return true;
}

bool RealUSBDevice::WriteFirmware(const std::string& path, uint32_t fileSignature)
{
    uint32_t status = FlashInit();
    if (WasError()) return false;
    UsbTrace("%s\n", FlashStatusName(status));
    if (status != kFlashOk) return false;
    // The board restarts after erasing; its boot loader may announce other
    // buffer sizes than the firmware before it.
    if (!Reinit() || !GetStatus() || !SetExchange()) return false;
    if (outSize_ <= kChunkReserve) {
        UsbError("Cannot write the firmware: out-buffer size %u leaves no room for data\n", outSize_);
        return false;
    }
    if (!LoadFirmware(outSize_ - kChunkReserve, path)) return false;
    // The signature marks the firmware current: only after every record
    // was written with FLASH_OK.
    Begin(kCmdWrSignat).PutU32(fileSignature);
    if (!Transact()) return false;
    status = ~0u;
    buffer_.GetU32(status);
    UsbTrace("%s\n", FlashStatusName(status));
    return status == kFlashOk;
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
