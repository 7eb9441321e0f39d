#include "ccsdriver/io_buffer.h"

#include <cstring>

IOBuffer::IOBuffer(uint32_t outStep, uint32_t inStep)
    : outStep_(outStep ? outStep : 1), inStep_(inStep ? inStep : 1)
{
}

void IOBuffer::PutBytes(const void* data, uint32_t count)
{
    if (count == 0) return;
    if (outUsed_ + count > out_.size()) out_.resize(outUsed_ + count + outStep_);
    memcpy(out_.data() + outUsed_, data, count);
    outUsed_ += count;
}

void IOBuffer::PutU16(uint16_t value)
{
    uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    PutBytes(bytes, 2);
}

void IOBuffer::PutU32(uint32_t value)
{
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    PutBytes(bytes, 4);
}

void IOBuffer::Put64(uint32_t low, uint32_t high)
{
    PutU32(low);
    PutU32(high);
}

void IOBuffer::PutText(const char* text)
{
    if (!text) text = "";
    PutBytes(text, static_cast<uint32_t>(strlen(text)) + 1);
}

void IOBuffer::PatchU32(uint32_t offset, uint32_t value)
{
    if (offset + 4 > outUsed_) return;
    for (int i = 0; i < 4; ++i) out_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint8_t* IOBuffer::Reserve(uint32_t count)
{
    if (inEnd_ + count > in_.size()) in_.resize(inEnd_ + count + inStep_);
    return in_.data() + inEnd_;
}

void IOBuffer::Received(uint32_t count)
{
    if (inEnd_ + count > in_.size()) count = static_cast<uint32_t>(in_.size()) - inEnd_;
    inEnd_ += count;
}

bool IOBuffer::Fail(void* out, uint32_t count)
{
    error_ = "Cannot get input data beyond command buffer";
    if (out && count) memset(out, 0, count);
    return false;
}

bool IOBuffer::GetBytes(void* out, uint32_t count)
{
    if (count == 0) return true;
    if (count > InRemaining()) return Fail(out, count);
    memcpy(out, in_.data() + inRead_, count);
    inRead_ += count;
    return true;
}

bool IOBuffer::GetU16(uint16_t& value)
{
    uint8_t b[2];
    bool ok = GetBytes(b, 2);
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return ok;
}

bool IOBuffer::GetU32(uint32_t& value)
{
    uint8_t b[4];
    bool ok = GetBytes(b, 4);
    value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
            (static_cast<uint32_t>(b[3]) << 24);
    return ok;
}

bool IOBuffer::GetString(std::string& out)
{
    out.clear();
    const uint8_t* start = in_.data() + inRead_;
    const void* nul = memchr(start, 0, InRemaining());
    if (!nul) return Fail(nullptr, 0);
    uint32_t length = static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - start);
    out.assign(reinterpret_cast<const char*>(start), length);
    inRead_ += length + 1;
    return true;
}

bool IOBuffer::GetText(char* out, uint32_t size)
{
    std::string text;
    if (!GetString(text)) {
        if (out && size) out[0] = 0;
        return false;
    }
    if (out && size) {
        size_t n = text.size() < size - 1 ? text.size() : size - 1;
        memcpy(out, text.data(), n);
        out[n] = 0;
    }
    return true;
}

void IOBuffer::GetRest(std::vector<uint8_t>& out)
{
    out.assign(in_.data() + inRead_, in_.data() + inEnd_);
    inRead_ = inEnd_;
}
