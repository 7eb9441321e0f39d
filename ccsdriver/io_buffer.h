// The byte buffer in which every board command is built (out side) and every
// reply is parsed (in side). Values are little-endian and unaligned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IOBuffer {
public:
    IOBuffer(uint32_t outStep, uint32_t inStep);

    // Out side. Puts never fail; the array grows by the step.
    void Reset() { outUsed_ = 0; }
    void PutU8(uint8_t value) { PutBytes(&value, 1); }
    void PutU16(uint16_t value);
    void PutU32(uint32_t value);
    void Put64(uint32_t low, uint32_t high);
    void PutText(const char* text);  // with its NUL
    void PutBytes(const void* data, uint32_t count);
    // Overwrites a u32 already put at `offset`.
    void PatchU32(uint32_t offset, uint32_t value);
    uint8_t* OutData() { return out_.data(); }
    const uint8_t* OutData() const { return out_.data(); }
    uint32_t OutSize() const { return outUsed_; }

    // In side: ClearIn, then Reserve room, read into it, Received the count.
    void ClearIn() { inRead_ = inEnd_ = 0; }
    uint8_t* Reserve(uint32_t count);
    void Received(uint32_t count);
    const uint8_t* InData() const { return in_.data(); }
    uint32_t InSize() const { return inEnd_; }
    uint32_t InRemaining() const { return inEnd_ - inRead_; }
    uint32_t InPosition() const { return inRead_; }

    // A get past the valid data zero-fills the destination, keeps the cursor,
    // sets the error text and returns false. A get of 0 bytes is true.
    bool GetBytes(void* out, uint32_t count);
    bool GetU8(uint8_t& value) { return GetBytes(&value, 1); }
    bool GetU16(uint16_t& value);
    bool GetU32(uint32_t& value);
    // A NUL-terminated text into a buffer of `size` bytes (cut to fit).
    bool GetText(char* out, uint32_t size);
    // A NUL-terminated text; the cursor passes its NUL, also for "".
    bool GetString(std::string& out);
    // Everything left.
    void GetRest(std::vector<uint8_t>& out);

    const std::string& Error() const { return error_; }
    void ClearErrorText() { error_.clear(); }

private:
    bool Fail(void* out, uint32_t count);
    std::vector<uint8_t> out_;
    uint32_t outUsed_ = 0;
    uint32_t outStep_;
    std::vector<uint8_t> in_;
    uint32_t inRead_ = 0;
    uint32_t inEnd_ = 0;
    uint32_t inStep_;
    std::string error_;
};
