// The text of a numeric combo box item by display type, and reading it back.
//   0 bit string; 1, 10 "0x" hexadecimal; 2 unsigned decimal; 11 signed
//   decimal; 12 (64 bits) signed hexadecimal; 13 zero-padded hexadecimal
//   (8 digits, 16 for 64 bits) without "0x"; other types: empty.
#pragma once

#include <cstdint>
#include <string>

enum : uint32_t {
    INTVALUE_EMPTY_OK = 0x10,
    INTVALUE_NUMBER = 0x20,
    INTVALUE_NUMBER64 = 0x20000,
    INTVALUE_HEX = 0x100000,
};

std::string FormatIntValue(uint8_t displayType, bool wide, uint64_t value);

struct IntValueRead {
    uint64_t value = 0;
    bool ok = false;
    uint16_t messageId = 0;  // the message shown on failure (8055 or 8121)
};

// Reads `text` written in `displayType` back; each form reads its own
// output, so a dialog can always be OK'd with its initial value. Unless
// `quiet`, a failure shows its message.
IntValueRead ReadIntValue(uint8_t displayType, bool wide, bool hexFlag, const char* text, bool quiet);
