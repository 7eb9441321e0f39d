// The emulator board as the driver sees it: the USB transport plus the
// board's command protocol (one packet out, one reply back, matched by the
// command code and a 5-bit sequence number) and the connect sequence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ccsdriver/kv_usb_device.h"

// What RD_SIGNAT reports about the firmware the board holds.
struct BoardSignature {
    static constexpr uint32_t kNone = 0x7FFFFFFF;
    uint32_t signature = kNone;
    std::string fileName;
    std::string text;
    std::vector<uint8_t> status;
};

// Bounds on what the board may announce.
constexpr uint32_t kMinBoardBufferSize = 64;
constexpr uint32_t kMaxSerialBytes = 1024;
constexpr uint32_t kMaxBoardInfoBytes = 65536;
constexpr uint32_t kMaxDebugTraceEntries = 256;
constexpr uint32_t kDrainReads = 16;

class RealUSBDevice : public KvUSBDevice {
public:
    // Opens the first free board and, when nothing failed, agrees the buffer
    // sizes with it (SET_EXCHANGE).
    RealUSBDevice();
    ~RealUSBDevice() override;

    uint32_t WriteFlash(const void* data, uint32_t byteCount, uint32_t address) override;
    virtual bool Connect();
    virtual uint32_t FlashInit();

    // Starts a command: clears the out buffer and the latch, puts the length
    // placeholder and the code; the caller puts the parameters.
    IOBuffer& Begin(uint32_t code);
    // Sends the packet and checks the reply; the caller gets the reply data
    // from the buffer and tests the latch.
    bool Transact();

    bool GetStatus();
    bool SetExchange();
    bool GetVersions();
    bool GetBootVersion();
    bool GetSerial();
    bool ReadSignature(BoardSignature& record);
    bool ReadBoardInfo(uint32_t parameter);
    bool SetDebug();
    // Reads the board's signature and compares it with the firmware file in
    // PodWare beside the host program; `path` is empty when there is none.
    bool CheckFirmware(std::string& path, uint32_t& fileSignature);
    bool FirmwareExists(const std::string& path);
    // Writes a HEX file (runs of up to `chunkLimit` bytes per LOAD_TARGET;
    // 0 writes each record alone) or a binary image into the flash; false
    // on a bad file, a failed transfer or any flash status but FLASH_OK.
    bool LoadFirmware(uint32_t chunkLimit, const std::string& path);

    uint32_t LastStatus() const { return lastStatus_; }
    uint32_t BoardStatus() const { return boardStatus_; }
    uint32_t BootVersion() const { return bootVersion_; }
    uint32_t TargetVersion() const { return targetVersion_; }
    const std::string& BootVersionText() const { return bootText_; }
    const std::string& TargetVersionText() const { return targetText_; }
    const std::string& SerialText() const { return serialText_; }
    const std::vector<uint8_t>& SerialBytes() const { return serialBytes_; }
    const std::string& SignatureText() const { return signatureText_; }
    const std::vector<uint8_t>& BoardInfo() const { return boardInfo_; }

    // Behaviour flags (all clear unless a caller sets them).
    void SetSkipFirmwareUpdate(bool on) { skipFirmwareUpdate_ = on ? 1 : 0; }
    void SetNoRecoveryDump(bool on) { noRecoveryDump_ = on ? 1 : 0; }
    void SetKeepTraceLevel(bool on) { keepTraceLevel_ = on ? 1 : 0; }
    void SetAcceptNotSupported() { acceptNotSupported_ = 1; }
    void SetPostSendDelay(uint32_t ms) { postSendDelayMs_ = ms; }

private:
    bool TransactOnce();
    void WaitForEvent();
    bool Failure(bool kindA, const char* message, bool dump);
    void RecoveryDump();
    void Drain();
    bool ReadReply();
    bool StartTarget();
    bool LoadImage(const std::vector<uint8_t>& file, const std::string& path);
    // RESET_TARGET, re-open, GET_STATUS, SET_EXCHANGE; true in the boot loader.
    bool RestartIntoBootLoader();
    // FLASH_INIT, re-open, the file, WR_SIGNAT, between the FlashBegin and
    // FlashEnd notices.
    bool UpdateFirmware(const std::string& path, uint32_t fileSignature);
    bool WriteFirmware(const std::string& path, uint32_t fileSignature);

    uint32_t boardStatus_ = 0;
    uint32_t bootVersion_ = 0;
    uint32_t targetVersion_ = 0;
    std::string bootText_;
    std::string targetText_;
    std::string serialText_;
    std::vector<uint8_t> serialBytes_;
    std::string signatureText_;
    bool signatureRead_ = false;
    std::vector<uint8_t> boardInfo_;
    uint8_t skipFirmwareUpdate_ = 0;
};
