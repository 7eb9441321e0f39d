// Master result codes and the raise that reports them.
//
// A master result code is a u32: high 16 bits the origin, low 16 bits the
// message number that format_error turns into text; 0 is success.
//
// Promises to every layer of the engine:
//  - raise_error(code) records the code in the process-wide error record and
//    abandons the whole operation by throwing call_abandoned; the frame that
//    opened the call (call_frame.h) catches it and returns the recorded code.
//    Nothing else may catch call_abandoned.
//  - In collect mode (error_record::held_code all ones) raise_error only keeps
//    the code and returns to its caller; see error_record.h.
//  - set_param(i, v) fills a placeholder of the message; it writes only while
//    no code is collected, so a collected code keeps its own parameters.
#pragma once

#include <cstdint>

namespace mst {

class error_record;

// Origins (high half) of the codes the library raises.
namespace origin {
constexpr uint16_t pod = 0x0121;      // pod transport and buffers
constexpr uint16_t usb = 0x0401;      // USB connection
constexpr uint16_t target = 0x0D39;   // target, emulation and chain
constexpr uint16_t config = 0x0521;   // configuration (0xF007 only)
} // namespace origin

constexpr uint32_t make_code(uint16_t org, uint16_t number) {
    return (uint32_t{org} << 16) | number;
}
constexpr uint16_t code_origin(uint32_t code) { return static_cast<uint16_t>(code >> 16); }
constexpr uint16_t code_number(uint32_t code) { return static_cast<uint16_t>(code & 0xFFFFu); }

// The codes raised inside the engine, by what they report.
namespace rc {
constexpr uint32_t ok = 0;
constexpr uint32_t no_device = 0x01210001;          // transport result 1
constexpr uint32_t usb_general = 0x01210002;        // transport result 2
constexpr uint32_t usb_connection_3 = 0x04010003;   // transport result 3
constexpr uint32_t usb_connection_4 = 0x04010004;   // transport result 4
constexpr uint32_t reply_timeout = 0x01210010;      // reply length 0
constexpr uint32_t output_overflow = 0x01210011;    // request (or command list) full
constexpr uint32_t input_overflow = 0x01210012;     // reply longer than the reply area
constexpr uint32_t ir_broken = 0x0D390020;
constexpr uint32_t dr_broken = 0x0D390021;
constexpr uint32_t ir_marker_lost = 0x0D390022;
constexpr uint32_t dr_marker_lost = 0x0D390023;
constexpr uint32_t ir_length_unstable = 0x0D390024;
constexpr uint32_t dr_length_unstable = 0x0D390025;
constexpr uint32_t target_not_connected = 0x0D390026;
constexpr uint32_t command_too_long = 0x0D390040;
constexpr uint32_t register_under_read = 0x0D390041;
constexpr uint32_t illegal_reset = 0x0D390042;
constexpr uint32_t reset_assert_failed = 0x0D390043;
constexpr uint32_t memory_type = 0x0D390044;
constexpr uint32_t unknown_register = 0x0D390045;
constexpr uint32_t invalid_command = 0x0D390046;    // pod answered 0xE0000006
constexpr uint32_t invalid_reply = 0x0D390047;      // wrong echo or short reply; param[0] = echo
constexpr uint32_t no_power = 0x0D390048;
constexpr uint32_t power_too_high = 0x0D390049;
constexpr uint32_t fuse_blown = 0x0D390050;
constexpr uint32_t debug_powerup = 0x0D390051;
constexpr uint32_t system_powerup = 0x0D390052;
constexpr uint32_t dp_wait_timeout = 0x0D390053;
constexpr uint32_t dp_invalid_ack = 0x0D390054;
constexpr uint32_t swd_fault = 0x0D390055;
constexpr uint32_t swd_ack_unknown = 0x0D390056;
constexpr uint32_t cpu_mode_change = 0x0D390080;
constexpr uint32_t cpu_mode_wrong = 0x0D390081;
constexpr uint32_t flash_timeout = 0x0D390082;
constexpr uint32_t unnamed_83 = 0x0D390083;
constexpr uint32_t step_in_run = 0x0D390100;
constexpr uint32_t breakpoint_in_run = 0x0D390101;
constexpr uint32_t breakpoint_count = 0x0D390102;
constexpr uint32_t access_in_run = 0x0D390103;
constexpr uint32_t hw_breakpoint_address = 0x0D390104;
constexpr uint32_t device_count = 0x0D39F000;
constexpr uint32_t ir_size = 0x0D39F001;
constexpr uint32_t unknown_device = 0x0D39F002;
constexpr uint32_t target_not_found = 0x0D39F003;
constexpr uint32_t not_initialised = 0x0D39F004;
constexpr uint32_t cpuid_wrong = 0x0D39F005;
constexpr uint32_t cpuid_family = 0x0D39F006;
constexpr uint32_t swd_one_core = 0x0521F007;
constexpr uint32_t swd_others_jtag = 0x0D39F008;
// Plain message numbers used inside the engine (origin 0).
constexpr uint32_t plain_empty = 0x0000FFFE;        // formats as a lone bar
constexpr uint32_t plain_deliver = 0x0000FFFF;      // delivers a collected code
// Recorded by a frame when something other than a raise (for example an
// allocation failure) tries to leave it: a number the message table does not
// hold, so it reads "Unknown Error" and runs no recovery.
constexpr uint32_t internal_failure = 0x0D39FFFF;
} // namespace rc

// Thrown by raise_error to abandon the operation; carries nothing, the code
// is in the error record. Only call frames catch it.
struct call_abandoned {};

// Raise on the process-wide error record (the_error_record()).
void raise_error(uint32_t code);
void raise_error(error_record& record, uint32_t code);

// Placeholder i (0..4) of the message about to be raised; written only while
// held_code is 0.
void set_param(unsigned index, uint32_t value);
void set_param(error_record& record, unsigned index, uint32_t value);

// A voltage in millivolts as whole volts and hundredths, rounded to the
// nearest hundredth with the carry taken into the volts (4995 -> 5, 0).
struct volts_hundredths {
    uint32_t volts;
    uint32_t hundredths;
};
volts_hundredths split_millivolts(uint32_t millivolts);

} // namespace mst
