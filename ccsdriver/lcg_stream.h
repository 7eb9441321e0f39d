// The scrambling stream of the trace log and of the board information: the
// classic C runtime's linear congruential recurrence. Each user keeps its own
// instance, so unscrambling board information in the middle of a log does
// not shift the log's stream (and the other way round).
#pragma once

#include <cstdint>

class LcgStream {
public:
    void Seed(uint32_t seed) { state_ = seed; }
    // state = state * 22695477 + 1 (mod 2^32); the value is bits 16-30.
    uint32_t Next()
    {
        state_ = state_ * 22695477u + 1u;
        return (state_ >> 16) & 0x7FFFu;
    }
    // XORs each byte with the low byte of the next value.
    void Apply(uint8_t* bytes, uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i) bytes[i] ^= static_cast<uint8_t>(Next() & 0xFF);
    }

private:
    uint32_t state_ = 0;
};
