// The emulator board's USB transport: the kernel driver's device interface,
// its control codes, chunked writes and reads, the error latch, the flush and
// the re-open after the board restarts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ccsdriver/io_buffer.h"
#include "framework/base/base_object.h"

// Control codes of the kernel driver (device type 0x22).
constexpr DWORD kIoctlHandleCheck = 0x22201C;  // out u32; 0xC0000008 = unusable
constexpr DWORD kIoctlVersionText = 0x22200C;  // out text, 512 bytes
constexpr DWORD kIoctlSetTimeout = 0x222010;   // in u32 ms
constexpr DWORD kIoctlReadStatus = 0x222018;   // out u32; 258 = timed out
constexpr DWORD kIoctlWrite = 0x222002;        // in bytes (non-WDF driver)
constexpr DWORD kIoctlRead = 0x222005;         // out bytes (non-WDF driver)

constexpr uint32_t kDefaultBufferSize = 1024;
constexpr uint32_t kReadTimedOut = 258;
constexpr uint32_t kOpenTimeoutMs = 5000;

class KvUSBDevice : public BaseObject {
public:
    // Enumerates the boards and opens the first free one.
    KvUSBDevice();
    explicit KvUSBDevice(const char* path);
    explicit KvUSBDevice(HANDLE handle);
    ~KvUSBDevice() override;
    KvUSBDevice(const KvUSBDevice&) = delete;
    KvUSBDevice& operator=(const KvUSBDevice&) = delete;

    virtual void Idle() { Sleep(0); }
    virtual uint32_t WriteFlash(const void*, uint32_t, uint32_t) { return 1; }
    virtual void FlashBegin() {}
    virtual void FlashProgress(uint32_t, uint32_t) {}
    virtual void FlashEnd(uint32_t) {}

    HANDLE Open(const char* path);
    bool OpenFirst();
    void Init(HANDLE handle);
    bool Control(DWORD code, const void* in, uint32_t inLength, void* out, uint32_t outLength);
    bool Read(uint32_t count, void* buffer);
    bool Write(uint32_t count, const void* buffer);
    bool WriteChunked(uint32_t count, const void* buffer);
    bool SetTimeout(uint32_t ms);
    void Flush();
    bool Reinit();
    // The command now in the out buffer, for traces: " [seq.NAME: bytes] XX XX...".
    std::string Describe(bool force) const;

    HANDLE Handle() const { return handle_; }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool WasError() const { return wasError_ != 0; }
    void ClearError() { wasError_ = 0; }
    uint32_t LastCount() const { return lastCount_; }
    uint32_t InBufferSize() const { return inSize_; }
    uint32_t OutBufferSize() const { return outSize_; }
    uint32_t TimeoutMs() const { return timeoutMs_; }
    bool IsWdf() const { return wdf_ != 0; }
    const std::string& Path() const { return path_; }
    IOBuffer& Buffer() { return buffer_; }
    uint8_t SequenceNumber() const { return sequence_ & 0x1F; }

protected:
    void ResetFields();
    // Opens the first free board when it is listed under another path than
    // the kept one; invalid when there is none.
    HANDLE OpenMovedBoard();
    void SetSequenceNumber(uint8_t number) { sequence_ = static_cast<uint8_t>((sequence_ & 0xE0) | (number & 0x1F)); }

    IOBuffer buffer_{32768, 32768};
    uint32_t inSize_ = kDefaultBufferSize;
    uint32_t outSize_ = kDefaultBufferSize;
    uint32_t lastCount_ = 0;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    uint32_t wasError_ = 0;
    uint32_t acceptNotSupported_ = 0;
    uint32_t command_ = 0;
    uint32_t lastStatus_ = 0;
    uint32_t postSendDelayMs_ = 0;
    uint32_t timeoutMs_ = 0;
    std::string path_;
    void (*completion_)() = nullptr;
    HANDLE event_ = nullptr;  // nothing in this system sets it
    uint32_t wdf_ = 0;
    uint8_t sequence_ = 0;
    uint8_t noRecoveryDump_ = 0;
    uint8_t keepTraceLevel_ = 0;
};
