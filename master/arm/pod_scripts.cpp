// Recording the MEM-AP's pod scripts into the command list.
#include "master/arm/pod_scripts.h"

#include <array>

namespace mst {

namespace {

constexpr uint32_t a_tar = dp::ap_tar >> 2;
constexpr uint32_t a_drw = dp::ap_drw >> 2;
constexpr uint32_t dhcsr = 0xE000EDF0u;
constexpr uint32_t dcrsr = 0xE000EDF4u;
constexpr uint32_t dcrdr = 0xE000EDF8u;
// Halted, debug enabled, not sleeping, not locked up, no reset or retire
// since the last read.
constexpr uint32_t dhcsr_halted_value = 0x00020001u;
constexpr uint32_t dhcsr_halted_mask = 0x030E0001u;
constexpr uint32_t dhcsr_regrdy = 0x00010000u;
// Serial Wire: the ACK clocks (13-15) of the request step say OK.
constexpr uint32_t swd_ack_ok_compare = 0xE0002000u;

struct placed {
    uint32_t data = 0;  // list position of the patchable data step
    script_capture capture;
};

class recorder {
public:
    recorder(dap_regset& regs, cmd_list& list) : regs_(regs), list_(list), swd_(regs.swd()) {}

    uint32_t here() const { return list_.count; }
    void word(uint32_t w) { list_.list_word(w); }
    void pair(uint32_t w0, uint32_t w1) { list_.list_pair(w1, w0); }

    // [8F 300] transfer [8E ACK] [8B P] [90] [93 0] [81] P: (Serial Wire:
    // the data phase). A transfer that never answers OK ends the script.
    placed retried(uint32_t rnw, uint32_t a, uint32_t data)
    {
        pair(script_cmd::block, script_cmd::block_passes);
        const placed head = transfer_head(rnw, a, data, true);
        ack_compare(head.capture);
        const uint32_t slot = jump_placeholder();
        word(script_cmd::next_pass);
        pair(script_cmd::failed, 0);
        word(script_cmd::end);
        land(slot);
        if (!swd_)
            return head;
        const placed tail = data_phase(rnw, data);
        return {tail.data, {0, head.capture.units + tail.capture.units}};
    }

    // A transfer without retries (the DRW read that only posts a read):
    // JTAG a write scan, nothing captured; Serial Wire the whole frame,
    // captured, so that the line stays in step.
    placed plain(uint32_t rnw, uint32_t a, uint32_t data)
    {
        const placed head = transfer_head(rnw, a, data, swd_);
        if (!swd_)
            return head;
        const placed tail = data_phase(rnw, data);
        return {tail.data, {0, head.capture.units + tail.capture.units}};
    }

    void compare_bits(uint32_t value, uint32_t mask, uint32_t bit_offset)
    {
        std::array<split_pair, 8> pairs{};
        uint32_t n = 0;
        split16(pairs, n, value, mask, bit_offset);
        uint32_t words[8] = {};
        for (uint32_t i = 0; i < n; ++i)
            words[i] = (uint32_t{pairs[i].hi} << 16) | pairs[i].lo;
        list_.list_block(words, n, script_cmd::compare);
    }

    uint32_t jump_placeholder() { return list_.list_pair(0, script_cmd::jump) + 1; }
    void land(uint32_t slot)
    {
        if (slot < cmd_list::capacity)
            list_.words[slot] = list_.count;
    }

private:
    placed transfer_head(uint32_t rnw, uint32_t a, uint32_t data, bool captured)
    {
        placed p;
        if (!swd_) {
            const uint64_t request = dp::jtag_request(rnw, a, data);
            uint32_t bits[2] = {static_cast<uint32_t>(request), static_cast<uint32_t>(request >> 32)};
            bitchain chain;
            chain.attach(bits, dp::request_bits);
            const queued_result q =
                regs_.engine.queued_scan(list_, reg_kind::dr, captured ? scan_mode::exchange : scan_mode::write,
                                         chain, regs_.owner.dr_bits_before);
            p.data = q.handle;
            p.capture = {q.bit_offset, q.data_steps};
            return p;
        }
        const uint16_t mask = dp::mask_request;
        const uint16_t step = dp::swd_request_step(true, rnw != 0, a);
        regs_.engine.queued_raw_transfer(list_, scan_mode::exchange, &mask, &step);
        p.capture = {0, 1};
        return p;
    }

    placed data_phase(uint32_t rnw, uint32_t data)
    {
        placed p;
        uint16_t chunks[3] = {};
        if (rnw != 0) {
            regs_.engine.queued_raw_transfer(list_, scan_mode::read, dp::mask_read, chunks);
            p.capture = {0, 3};
            return p;
        }
        dp::swd_write_chunks(data, chunks);
        p.data = regs_.engine.queued_raw_transfer(list_, scan_mode::write, dp::mask_write, chunks).handle;
        return p;
    }

    void ack_compare(const script_capture& capture)
    {
        if (swd_) {
            const uint32_t w = swd_ack_ok_compare;
            list_.list_block(&w, 1, script_cmd::compare);
            return;
        }
        compare_bits(dp::jtag_wire_ok, 7, capture.offset);
    }

    dap_regset& regs_;
    cmd_list& list_;
    bool swd_;
};

} // namespace

void record_scripts(pod_scripts& s, dap_regset& regs, cmd_list& list)
{
    if (s.recorded != 0)
        list.count = 0;
    // Every script starts from Run-Test/Idle.
    regs.engine.enter_idle();
    recorder r(regs, list);
    const bool swd = regs.swd();

    s.drw_read = r.here();
    s.read_capture = r.retried(1, a_drw, 0).capture;
    r.word(script_cmd::end);

    s.drw_write = r.here();
    const placed drw = r.retried(0, a_drw, 0);
    s.drw_data = drw.data;
    s.write_capture = drw.capture;
    r.word(script_cmd::end);

    s.tar_write = r.here();
    s.tar_data = r.retried(0, a_tar, 0).data;
    r.word(script_cmd::end);

    // Wait until the core is halted and its register transfer done: DHCSR
    // read again until S_REGRDY; a core in any other state ends the script.
    s.wait_ready = r.here();
    uint32_t units = r.retried(0, a_tar, dhcsr).capture.units;
    r.pair(script_cmd::block, script_cmd::block_passes);
    units += r.plain(1, a_drw, 0).capture.units;
    const placed status = r.retried(1, a_drw, 0);
    units += status.capture.units;
    const uint32_t data_offset = swd ? 16 : status.capture.offset + 3;
    r.compare_bits(dhcsr_halted_value, dhcsr_halted_mask, data_offset);
    uint32_t slot = r.jump_placeholder();
    r.pair(script_cmd::failed, 0);
    r.word(script_cmd::end);
    r.land(slot);
    r.compare_bits(dhcsr_regrdy, dhcsr_regrdy, data_offset);
    slot = r.jump_placeholder();
    r.word(script_cmd::next_pass);
    r.pair(script_cmd::failed, 0);
    r.land(slot);
    r.word(script_cmd::end);
    s.wait_units = units;

    // DCRSR := the register number (patched). Its DRW write is retried like
    // the others: a write data phase sent after a WAIT would be taken by the
    // SW-DP as a new header.
    s.dcrsr_write = r.here();
    units = r.retried(0, a_tar, dcrsr).capture.units;
    const placed sel = r.retried(0, a_drw, 0);
    s.dcrsr_data = sel.data;
    units += sel.capture.units;
    r.word(script_cmd::end);
    s.dcrsr_units = units;

    // DCRDR read: a read posted, then the captured read returns it.
    s.dcrdr_read = r.here();
    units = r.retried(0, a_tar, dcrdr).capture.units;
    units += r.plain(1, a_drw, 0).capture.units;
    units += r.retried(1, a_drw, 0).capture.units;
    r.word(script_cmd::end);
    s.dcrdr_units = units;

    s.recorded = 1;
}

uint32_t write_patch_units(bool swd, uint32_t word, uint32_t bit_offset, uint32_t units,
                           uint16_t* out, uint32_t capacity, uint32_t ap_register)
{
    if (swd) {
        if (capacity < 3)
            return 0;
        dp::swd_write_chunks(word, out);
        return 3;
    }
    // The whole request at its place in the data steps; the bits around it
    // are the DR fill (zeros) the steps were recorded with.
    const uint64_t placed = dp::jtag_request(0, ap_register >> 2, word) << (bit_offset & 15u);
    const uint32_t n = units < capacity ? units : capacity;
    for (uint32_t i = 0; i < n; ++i)
        out[i] = i < 4 ? static_cast<uint16_t>(placed >> (16 * i)) : 0;
    return n;
}

} // namespace mst
