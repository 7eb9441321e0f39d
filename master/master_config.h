// MasterConfig: the 158-byte configuration record the host hands to
// Master_SetConfig and gets back from Master_GetConfig. Little-endian, no
// padding; bytes without a name here are kept and returned as they came.
//
// Most chain fields come twice ("set 1" and "set 2"); a zero set selector
// copies set 2 over set 1 before use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mst {

#pragma pack(push, 1)
struct MasterConfig {
    uint8_t unused_0;
    uint8_t wire_mode;            // 0 JTAG, non-zero Serial Wire Debug
    uint8_t wire_mode_2;
    uint8_t clock_start;          // speed search starts here (0 fastest .. 7)
    uint8_t clock_found;          // out: found clock, 8 when none worked
    uint8_t positions_given;      // 0: find the target by the position search
    uint8_t positions_given_2;
    uint8_t devices_after;        // devices between the target and the TDI end
    uint8_t devices_after_2;
    uint8_t line_select;          // 0: lines (A 0, B 4), else (A 4, B 0); 2: TAP reset by line
    uint16_t ir_bits_after;       // instruction bits between the target and the TDI end
    uint16_t ir_bits_after_2;
    uint8_t target_devices;       // devices that make up the target
    uint8_t tms_marker;           // written as 8 for the TMS320C54x
    uint8_t devices_added;        // added to devices_after
    uint8_t ir_bits_added;        // added to ir_bits_after
    uint8_t unused_18[2];
    uint32_t set_selector;
    uint32_t target_ir_length;
    // Position search patterns, up to 128 bits each, bit 0 first.
    uint32_t ir_capture_value[4];
    uint32_t ir_capture_mask[4];
    uint32_t idcode_length;
    uint32_t idcode_value[4];
    uint32_t idcode_mask[4];
    uint32_t target_variant;      // 2 with JTAG: the combined target
    uint32_t ident_address;
    uint32_t ident_count;         // u32 words of the identification read
    uint32_t ident_expected[4];
    uint32_t ident_mask[4];
    uint8_t unused_140[12];
    uint16_t pod_voltage_0;       // out: voltage value 0 of the pod
    uint16_t target_millivolts;   // out: Vtrg
    uint8_t unused_156[2];
};
#pragma pack(pop)

constexpr uint32_t master_config_size = 158;

static_assert(sizeof(MasterConfig) == master_config_size);
static_assert(offsetof(MasterConfig, line_select) == 9);
static_assert(offsetof(MasterConfig, ir_bits_after) == 10);
static_assert(offsetof(MasterConfig, ir_bits_after_2) == 12);
static_assert(offsetof(MasterConfig, target_devices) == 14);
static_assert(offsetof(MasterConfig, ir_bits_added) == 17);
static_assert(offsetof(MasterConfig, set_selector) == 20);
static_assert(offsetof(MasterConfig, target_ir_length) == 24);
static_assert(offsetof(MasterConfig, ir_capture_value) == 28);
static_assert(offsetof(MasterConfig, ir_capture_mask) == 44);
static_assert(offsetof(MasterConfig, idcode_length) == 60);
static_assert(offsetof(MasterConfig, idcode_value) == 64);
static_assert(offsetof(MasterConfig, idcode_mask) == 80);
static_assert(offsetof(MasterConfig, target_variant) == 96);
static_assert(offsetof(MasterConfig, ident_address) == 100);
static_assert(offsetof(MasterConfig, ident_count) == 104);
static_assert(offsetof(MasterConfig, ident_expected) == 108);
static_assert(offsetof(MasterConfig, ident_mask) == 124);
static_assert(offsetof(MasterConfig, pod_voltage_0) == 152);
static_assert(offsetof(MasterConfig, target_millivolts) == 154);

} // namespace mst
