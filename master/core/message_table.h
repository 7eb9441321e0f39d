// The message table behind format_error and the recovery at the next call.
#pragma once

#include <cstdint>

namespace mst {

// Recovery steps at the next call, run in the order of the bits.
namespace recovery {
constexpr uint8_t resync = 0x01;          // pod re-sync
constexpr uint8_t tap_unknown = 0x02;     // chain engine: TAP state unknown
constexpr uint8_t chain_redetect = 0x04;  // slowest clock, detect chain, kept clock
constexpr uint8_t reconfigure = 0x08;     // apply the kept configuration again
constexpr uint8_t device_hook = 0x10;     // current device's read_status
constexpr uint8_t stop = 0x20;            // the master's Stop
constexpr uint8_t power_check = 0x40;     // power check, then reconfigure
} // namespace recovery

// English half, Russian half (code page 866); printf formats whose
// placeholders take param[0], param[1] ... in order.
struct bilingual_text {
    const char* en;
    const char* ru;
};

struct message_entry {
    uint16_t number;
    bilingual_text text;
    uint16_t host_number;  // host message of kind 224; 0: none
    uint8_t recovery;      // recovery:: bits
};

extern const message_entry message_table[];
extern const unsigned message_count;
extern const bilingual_text none_error_text;
extern const bilingual_text error_header_text;
extern const bilingual_text unknown_message_text;
extern const bilingual_text unknown_error_text;

// nullptr when the number is not in the table.
const message_entry* find_message(uint16_t number);

// Host message of a number: table A (the pairs 0x46 -> 0, 0x47 -> 1) gives
// kind 230 for a non-zero value; otherwise table B (the host column, kind 224)
// or kind 224 with number 0.
struct host_message {
    uint32_t kind;
    uint32_t number;
};
host_message lookup_host_message(uint16_t number);

} // namespace mst
