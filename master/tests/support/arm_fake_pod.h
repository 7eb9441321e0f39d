// A small fake of the pod for the debug port's tests: it takes the engine's
// requests off the transport slots, clocks every 16-clock step bit by bit
// through either a JTAG chain (TDI -> A (IR 5) -> debug port (IR 4) ->
// C (IR 7) -> TDO) or a Serial Wire line, and answers with the bits the
// line carried. Behind both wires sits one model of the debug port and a
// MEM-AP over a word memory, with knobs that inject each fault the port must
// handle and logs that tests assert on.
//
// Wire conventions it follows:
//  - a step is a command word (0x88000903 write, 0x8A000903 read,
//    0x8C000903 exchange), a TMS unit and a TDI unit, bit 0 clocked first;
//    read and exchange steps return one unit of 16 captured bits;
//  - Serial Wire: the TMS unit is the drive mask (1 = the pod drives the data
//    line in that clock), the TDI unit the data; a captured bit is the line
//    level (an undriven line reads 1, the pull-up);
//  - scripts: the command list is stored by 0x97000903 and run by
//    0x80000903 | P << 12, patched by 0x96000903 | P << 12, as the header of
//    master/arm/pod_scripts.h describes it; a run answers its fixed
//    footprint, the units it did not reach read 0;
//  - JTAG-DP: a DPACC or APACC capture holds ACK (1 WAIT, 2 OK) and the last
//    read result; a request scanned while the port answers WAIT is ignored.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "master/core/transport_slots.h"

namespace arm_test {

// The MEM-AP and the memory behind it.
struct mem_ap_model {
    std::map<uint32_t, uint32_t> memory;        // word address -> value (absent reads 0)
    std::map<uint32_t, unsigned> reads;         // word address -> DRW reads
    std::vector<uint32_t> tar_writes;
    uint32_t csw = 0x23000040;                  // DeviceEn set
    uint32_t tar = 0;
    uint32_t wrap_mask = 0x3FF;                 // TAR increments within 1 KB
    uint32_t base = 0xE00FF003;
    uint32_t bus_error_from = 0xFFFFFFFF;       // [from, to) answers with a bus error
    uint32_t bus_error_to = 0;
    bool tr_in_prog = false;                    // CSW bit 7 until a DAPABORT
    bool device_disabled = false;               // CSW bit 6 clear
    // The core's debug registers (DHCSR, DCRSR, DCRDR) when core is set.
    bool core = false;
    uint32_t dhcsr = 0x00030003;                // halted, register ready, debug enabled
    uint32_t core_regs[21] = {};
    unsigned regrdy_delay = 0;                  // DHCSR reads without S_REGRDY after DCRSR
    unsigned regrdy_pending = 0;
    uint32_t dcrsr = 0;
    std::vector<uint32_t> dcrsr_writes;

    uint32_t read(uint32_t reg, bool& bus_error);
    void write(uint32_t reg, uint32_t value, bool& bus_error);

private:
    void advance();
};

// The debug port's registers, shared by both wires.
struct dap_model {
    // Knobs.
    unsigned waits_after_ap = 0;      // every AP transaction keeps the port busy N answers
    unsigned waits_next_ap = 0;       // only the next AP transaction does
    bool stuck = false;               // busy until a DAPABORT
    unsigned stick_after = 0;         // stuck once this many more AP transactions are done
    bool no_response = false;         // Serial Wire: the target never drives the line
    unsigned bad_parity_reads = 0;    // Serial Wire: the next N read data phases
    bool sticky_unclearable = false;  // ABORT and CTRL/STAT writes do not clear the flags
    unsigned power_ack_after = 0;     // STAT reads before the power-up acknowledges show
    bool no_debug_power = false;      // CDBGPWRUPACK never comes

    // State.
    uint32_t idcode = 0x4BA00477;     // JTAG-DP IDCODE
    uint32_t dpidr = 0x2BA01477;      // SW-DP DPIDR
    uint32_t ctrl_stat = 0;
    uint32_t select = 0;
    uint32_t read_result = 0;         // JTAG: what the next capture returns
    uint32_t rdbuff = 0;              // Serial Wire: the posted AP read result
    unsigned busy = 0;
    mem_ap_model ap;

    // Logs.
    std::vector<uint32_t> aborts;     // values written to ABORT (either wire)
    std::vector<uint32_t> ctrl_writes;
    std::vector<uint32_t> select_writes;
    unsigned ap_transactions = 0;
    unsigned stat_reads = 0;
    unsigned waits_answered = 0;
    unsigned faults_answered = 0;

    // JTAG-DP: capture of a DPACC/APACC scan (sets ignored when WAIT) and
    // the update that carries a request.
    uint64_t jtag_capture(bool& ignored);
    void jtag_update(bool apacc, uint64_t request);
    void abort_write(uint32_t value, bool swd);

    // Serial Wire: the ACK (1 OK, 2 WAIT, 4 FAULT) of a header; read data of
    // an OK read; the data of an OK write.
    uint32_t swd_ack(bool apndp, bool rnw, uint32_t a);
    uint32_t swd_read(bool apndp, uint32_t a);
    void swd_write(bool apndp, uint32_t a, uint32_t value);

private:
    uint32_t ap_access(bool rnw, uint32_t a, uint32_t value);
    uint32_t read_stat();
    void write_ctrl(uint32_t value, bool swd);
};

class fake_pod {
public:
    // Installs itself in the transport slots; the destructor empties them.
    explicit fake_pod(bool swd);
    ~fake_pod();
    fake_pod(const fake_pod&) = delete;
    fake_pod& operator=(const fake_pod&) = delete;

    dap_model dap;
    bool swd;

    // Logs.
    unsigned exchanges = 0;           // requests answered
    unsigned line_contentions = 0;    // clocks in which both sides drove the line
    unsigned header_errors = 0;       // Serial Wire headers with a wrong parity or framing
    unsigned unknown_commands = 0;
    unsigned lists_stored = 0;
    unsigned scripts_run = 0;
    unsigned script_errors = 0;       // a script the pod could not run
    // A script that ends early answers only the units it captured, short of
    // its fixed footprint (a pod that breaks the script contract).
    bool cut_early_script_reply = false;

    // Transport entry points (through the slots).
    uint32_t take_request(const uint16_t* units, uint32_t count);
    uint32_t give_reply(void* buffer, uint32_t* byte_count);

private:
    struct jtag_device {
        unsigned ir_length;
        bool is_dp;
        uint32_t ir = 0;
        uint64_t ir_shift = 0;
        uint64_t dr_shift = 0;
        unsigned dr_length = 1;
        bool ignored = false;
    };

    bool clock(bool tms_or_drive, bool tdi);
    void step(uint16_t tms, uint16_t tdi, bool captured, std::vector<uint16_t>& data);
    void run_script(uint32_t at, std::vector<uint16_t>& data);
    void patch(uint32_t at, const uint16_t* units, uint32_t n);
    uint32_t entry_length(uint32_t at) const;
    uint32_t block_end(uint32_t at) const;
    uint32_t script_footprint(uint32_t at) const;
    bool jtag_clock(bool tms, bool tdi);
    bool swd_clock(bool drive, bool bit);
    void jtag_capture_dr();
    void jtag_update_dr();
    void jtag_reset();

    std::vector<jtag_device> chain_;
    unsigned tap_ = 0;

    // Serial Wire line state.
    enum class sw { idle, header, turn_to_target, ack, data_out, turn_to_host, data_in, turn_after };
    sw sw_state_ = sw::idle;
    unsigned sw_count_ = 0;
    uint32_t sw_header_ = 0;
    uint32_t sw_ack_ = 0;
    uint64_t sw_data_ = 0;
    bool sw_apndp_ = false;
    bool sw_rnw_ = false;
    uint32_t sw_a_ = 0;
    bool target_drives_ = false;
    bool target_bit_ = false;

    std::vector<uint8_t> reply_;
    std::vector<uint32_t> list_;  // the stored command list
};

} // namespace arm_test
