#include "master/tests/support/arm_fake_pod.h"

#include <cstring>

namespace arm_test {

namespace {

fake_pod* active = nullptr;

uint32_t VOQ_STDCALL send_slot(const void* data, uint32_t byte_count)
{
    return active->take_request(static_cast<const uint16_t*>(data), byte_count / 2);
}

uint32_t VOQ_STDCALL reply_slot(void* buffer, uint32_t* byte_count)
{
    return active->give_reply(buffer, byte_count);
}

uint32_t VOQ_STDCALL timeout_slot(uint32_t) { return 0; }

constexpr uint32_t step_write = 0x88000903u;
constexpr uint32_t step_read = 0x8A000903u;
constexpr uint32_t step_exchange = 0x8C000903u;
constexpr uint32_t end_of_batch = 0x92000903u;
constexpr uint32_t set_lines = 0x80000905u;
constexpr uint32_t read_voltages = 0x80000901u;
constexpr uint32_t end_marker = 0x80FFFFFFu;
constexpr uint32_t unknown_reply = 0xE0000006u;
constexpr uint32_t store_list = 0x97000903u;
constexpr uint32_t repeat = 0x95000903u;
constexpr uint32_t run_script_word = 0x80000903u;
constexpr uint32_t patch_word = 0x96000903u;
constexpr uint32_t script_end = 0x81000903u;
constexpr uint32_t script_jump = 0x8B000903u;
constexpr uint32_t script_compare = 0x8E000903u;
constexpr uint32_t script_block = 0x8F000903u;
constexpr uint32_t script_next_pass = 0x90000903u;
constexpr uint32_t script_failed = 0x93000903u;

constexpr uint32_t sticky_swd = 0xB2;
constexpr uint32_t stickyerr = 1u << 5;
constexpr uint32_t wdataerr = 1u << 7;

uint32_t parity32(uint32_t v)
{
    v ^= v >> 16;
    v ^= v >> 8;
    v ^= v >> 4;
    v ^= v >> 2;
    v ^= v >> 1;
    return v & 1u;
}

// TAP controller states.
enum tap_state : unsigned {
    tlr, rti, sel_dr, cap_dr, sh_dr, ex1_dr, pause_dr, ex2_dr, upd_dr,
    sel_ir, cap_ir, sh_ir, ex1_ir, pause_ir, ex2_ir, upd_ir
};

unsigned tap_next(unsigned s, bool tms)
{
    static const unsigned next[16][2] = {
        {rti, tlr},       {rti, sel_dr},     {cap_dr, sel_ir},  {sh_dr, ex1_dr},
        {sh_dr, ex1_dr},  {pause_dr, upd_dr}, {pause_dr, ex2_dr}, {sh_dr, upd_dr},
        {rti, sel_dr},    {cap_ir, tlr},     {sh_ir, ex1_ir},   {sh_ir, ex1_ir},
        {pause_ir, upd_ir}, {pause_ir, ex2_ir}, {sh_ir, upd_ir}, {rti, sel_dr}};
    return next[s][tms ? 1 : 0];
}

constexpr uint32_t ir_abort = 8, ir_dpacc = 10, ir_apacc = 11, ir_idcode = 14;

} // namespace

// ---- MEM-AP ---------------------------------------------------------------

void mem_ap_model::advance()
{
    if (((csw >> 4) & 3u) == 1u)
        tar = (tar & ~wrap_mask) | ((tar + 4) & wrap_mask);
}

uint32_t mem_ap_model::read(uint32_t reg, bool& bus_error)
{
    bus_error = false;
    switch (reg) {
    case 0x00: {
        uint32_t v = csw & ~0xC0u;
        if (!device_disabled)
            v |= 0x40u;
        if (tr_in_prog)
            v |= 0x80u;
        return v;
    }
    case 0x04:
        return tar;
    case 0x0C: {
        const uint32_t at = tar & ~3u;
        if (at >= bus_error_from && at < bus_error_to) {
            bus_error = true;
            advance();
            return 0;
        }
        ++reads[at];
        if (core && at == 0xE000EDF0u) {
            uint32_t v = dhcsr;
            if (regrdy_pending > 0) {
                --regrdy_pending;
                v &= ~0x00010000u;
            }
            advance();
            return v;
        }
        if (core && at == 0xE000EDF8u) {
            advance();
            return (dcrsr & 0x1Fu) <= 20 ? core_regs[dcrsr & 0x1Fu] : 0;
        }
        const auto it = memory.find(at);
        const uint32_t v = it == memory.end() ? 0 : it->second;
        advance();
        return v;
    }
    case 0xF8:
        return base;
    case 0xFC:
        return 0x24770011;
    default:
        return 0;
    }
}

void mem_ap_model::write(uint32_t reg, uint32_t value, bool& bus_error)
{
    bus_error = false;
    switch (reg) {
    case 0x00:
        csw = (csw & ~0x3Fu) | (value & 0x3Fu);
        break;
    case 0x04:
        tar = value;
        tar_writes.push_back(value);
        break;
    case 0x0C: {
        const uint32_t at = tar & ~3u;
        if (at >= bus_error_from && at < bus_error_to) {
            bus_error = true;
        } else if (core && at == 0xE000EDF4u) {
            dcrsr = value;
            dcrsr_writes.push_back(value);
            regrdy_pending = regrdy_delay;
        } else {
            memory[at] = value;
        }
        advance();
        break;
    }
    default:
        break;
    }
}

// ---- debug port -----------------------------------------------------------

uint32_t dap_model::read_stat()
{
    ++stat_reads;
    uint32_t v = ctrl_stat & ~0xA0000000u;
    if (stat_reads > power_ack_after) {
        if ((ctrl_stat & (1u << 28)) != 0 && !no_debug_power)
            v |= 1u << 29;
        if ((ctrl_stat & (1u << 30)) != 0)
            v |= 1u << 31;
    }
    return v;
}

void dap_model::write_ctrl(uint32_t value, bool swd)
{
    ctrl_writes.push_back(value);
    uint32_t sticky = ctrl_stat & sticky_swd;
    // JTAG-DP: the sticky flags are cleared by writing one to them; an SW-DP
    // ignores the write to them (read-only).
    if (!swd && !sticky_unclearable)
        sticky &= ~(value & 0x32u);
    ctrl_stat = (value & 0x50000F00u) | sticky;
}

void dap_model::abort_write(uint32_t value, bool swd)
{
    aborts.push_back(value);
    if ((value & 1u) != 0) {
        busy = 0;
        stuck = false;
        ap.tr_in_prog = false;
    }
    if (!swd || sticky_unclearable)
        return;
    if ((value & 0x02u) != 0)
        ctrl_stat &= ~(1u << 4);
    if ((value & 0x04u) != 0)
        ctrl_stat &= ~stickyerr;
    if ((value & 0x08u) != 0)
        ctrl_stat &= ~wdataerr;
    if ((value & 0x10u) != 0)
        ctrl_stat &= ~(1u << 1);
}

uint32_t dap_model::ap_access(bool rnw, uint32_t a, uint32_t value)
{
    ++ap_transactions;
    const uint32_t reg = (select & 0xF0u) | (a << 2);
    bool bus_error = false;
    uint32_t result = 0;
    if ((select >> 24) == 0) {
        if (rnw)
            result = ap.read(reg, bus_error);
        else
            ap.write(reg, value, bus_error);
    }
    if (bus_error)
        ctrl_stat |= stickyerr;
    busy = waits_after_ap + waits_next_ap;
    waits_next_ap = 0;
    if (stick_after > 0 && --stick_after == 0)
        stuck = true;
    return result;
}

uint64_t dap_model::jtag_capture(bool& ignored)
{
    if (stuck || busy > 0) {
        if (!stuck)
            --busy;
        ++waits_answered;
        ignored = true;
        return 1;  // WAIT; the data are not meaningful
    }
    ignored = false;
    return 2u | (uint64_t{read_result} << 3);
}

void dap_model::jtag_update(bool apacc, uint64_t request)
{
    const bool rnw = (request & 1u) != 0;
    const uint32_t a = static_cast<uint32_t>((request >> 1) & 3u);
    const uint32_t data = static_cast<uint32_t>(request >> 3);
    if (apacc) {
        // While a sticky flag is set the JTAG-DP discards AP transactions.
        if ((ctrl_stat & 0x32u) != 0)
            return;
        const uint32_t v = ap_access(rnw, a, data);
        if (rnw)
            read_result = v;
        return;
    }
    if (rnw) {
        switch (a) {
        case 1: read_result = read_stat(); break;
        case 2: read_result = select; break;
        default: read_result = 0; break;  // RDBUFF reads as zero on a JTAG-DP
        }
        return;
    }
    if (a == 1)
        write_ctrl(data, false);
    else if (a == 2) {
        select = data;
        select_writes.push_back(data);
    }
}

uint32_t dap_model::swd_ack(bool apndp, bool rnw, uint32_t a)
{
    // DPIDR and CTRL/STAT reads and ABORT writes are always answered.
    if (!apndp && ((rnw && a <= 1) || (!rnw && a == 0)))
        return 1;
    if ((ctrl_stat & sticky_swd) != 0) {
        ++faults_answered;
        return 4;
    }
    if (stuck || busy > 0) {
        if (!stuck)
            --busy;
        ++waits_answered;
        return 2;
    }
    return 1;
}

uint32_t dap_model::swd_read(bool apndp, uint32_t a)
{
    if (apndp) {
        const uint32_t posted = rdbuff;
        rdbuff = ap_access(true, a, 0);
        return posted;
    }
    switch (a) {
    case 0: return dpidr;
    case 1: return read_stat();
    case 2: return select;
    default: return rdbuff;
    }
}

void dap_model::swd_write(bool apndp, uint32_t a, uint32_t value)
{
    if (apndp) {
        ap_access(false, a, value);
        return;
    }
    switch (a) {
    case 0: abort_write(value, true); break;
    case 1: write_ctrl(value, true); break;
    case 2:
        select = value;
        select_writes.push_back(value);
        break;
    default: break;
    }
}

// ---- the pod --------------------------------------------------------------

fake_pod::fake_pod(bool serial_wire) : swd(serial_wire)
{
    chain_.push_back({5, false});
    chain_.push_back({4, true});
    chain_.push_back({7, false});
    jtag_reset();
    active = this;
    SendTargetRequest = send_slot;
    GetTargetReply = reply_slot;
    SetTargetTimeout = timeout_slot;
}

fake_pod::~fake_pod()
{
    active = nullptr;
    SendTargetRequest = nullptr;
    GetTargetReply = nullptr;
    SetTargetTimeout = nullptr;
}

void fake_pod::jtag_reset()
{
    tap_ = tlr;
    for (jtag_device& d : chain_) {
        d.ir = d.is_dp ? ir_idcode : (1u << d.ir_length) - 1;
        d.dr_length = d.is_dp ? 32 : 1;
    }
}

void fake_pod::jtag_capture_dr()
{
    for (jtag_device& d : chain_) {
        d.ignored = false;
        d.dr_length = 1;
        d.dr_shift = 0;
        if (!d.is_dp)
            continue;
        switch (d.ir) {
        case ir_abort:
            d.dr_length = 35;
            break;
        case ir_dpacc:
        case ir_apacc:
            d.dr_length = 35;
            d.dr_shift = dap.jtag_capture(d.ignored);
            break;
        case ir_idcode:
            d.dr_length = 32;
            d.dr_shift = dap.idcode;
            break;
        default:
            break;
        }
    }
}

void fake_pod::jtag_update_dr()
{
    for (jtag_device& d : chain_) {
        if (!d.is_dp || d.ignored)
            continue;
        if (d.ir == ir_abort && (d.dr_shift & 7u) == 0)
            dap.abort_write(static_cast<uint32_t>(d.dr_shift >> 3), false);
        else if (d.ir == ir_dpacc || d.ir == ir_apacc)
            dap.jtag_update(d.ir == ir_apacc, d.dr_shift);
    }
}

bool fake_pod::jtag_clock(bool tms, bool tdi)
{
    bool tdo = false;
    if (tap_ == sh_dr || tap_ == sh_ir) {
        const bool ir = tap_ == sh_ir;
        bool in = tdi;
        for (jtag_device& d : chain_) {
            uint64_t& sr = ir ? d.ir_shift : d.dr_shift;
            const unsigned len = ir ? d.ir_length : d.dr_length;
            const bool out = (sr & 1u) != 0;
            sr = (sr >> 1) | (uint64_t{in ? 1u : 0u} << (len - 1));
            in = out;
        }
        tdo = in;
    }
    tap_ = tap_next(tap_, tms);
    switch (tap_) {
    case tlr:
        jtag_reset();
        break;
    case cap_dr:
        jtag_capture_dr();
        break;
    case upd_dr:
        jtag_update_dr();
        break;
    case cap_ir:
        for (jtag_device& d : chain_)
            d.ir_shift = 1;
        break;
    case upd_ir:
        for (jtag_device& d : chain_)
            d.ir = static_cast<uint32_t>(d.ir_shift & ((1u << d.ir_length) - 1));
        break;
    default:
        break;
    }
    return tdo;
}

bool fake_pod::swd_clock(bool drive, bool bit)
{
    // What the target drives in this clock.
    target_drives_ = false;
    switch (sw_state_) {
    case sw::ack:
        if (!dap.no_response) {
            target_drives_ = true;
            target_bit_ = ((sw_ack_ >> sw_count_) & 1u) != 0;
        }
        break;
    case sw::data_out:
        target_drives_ = true;
        target_bit_ = ((sw_data_ >> sw_count_) & 1u) != 0;
        break;
    default:
        break;
    }
    if (drive && target_drives_)
        ++line_contentions;
    const bool line = drive ? bit : (target_drives_ ? target_bit_ : true);

    // What the target makes of the clock.
    switch (sw_state_) {
    case sw::idle:
        if (drive && bit) {
            sw_state_ = sw::header;
            sw_header_ = 1;
            sw_count_ = 1;
        }
        break;
    case sw::header:
        sw_header_ |= uint32_t{line ? 1u : 0u} << sw_count_;
        if (++sw_count_ < 8)
            break;
        sw_apndp_ = (sw_header_ >> 1) & 1u;
        sw_rnw_ = (sw_header_ >> 2) & 1u;
        sw_a_ = (sw_header_ >> 3) & 3u;
        if (parity32((sw_header_ >> 1) & 0xFu) != ((sw_header_ >> 5) & 1u) ||
            ((sw_header_ >> 6) & 1u) != 0 || ((sw_header_ >> 7) & 1u) != 1) {
            ++header_errors;
            sw_state_ = sw::idle;
            break;
        }
        sw_state_ = sw::turn_to_target;
        break;
    case sw::turn_to_target:
        sw_ack_ = dap.no_response ? 7 : dap.swd_ack(sw_apndp_, sw_rnw_, sw_a_);
        sw_state_ = sw::ack;
        sw_count_ = 0;
        break;
    case sw::ack:
        if (++sw_count_ < 3)
            break;
        sw_count_ = 0;
        if (sw_ack_ == 1 && sw_rnw_) {
            const uint32_t v = dap.swd_read(sw_apndp_, sw_a_);
            uint32_t p = parity32(v);
            if (dap.bad_parity_reads > 0) {
                --dap.bad_parity_reads;
                p ^= 1u;
            }
            sw_data_ = v | (uint64_t{p} << 32);
            sw_state_ = sw::data_out;
        } else if (sw_ack_ == 1) {
            sw_state_ = sw::turn_to_host;
        } else {
            sw_state_ = sw::turn_after;
        }
        break;
    case sw::data_out:
        if (++sw_count_ == 33)
            sw_state_ = sw::turn_after;
        break;
    case sw::turn_to_host:
        sw_state_ = sw::data_in;
        sw_data_ = 0;
        sw_count_ = 0;
        break;
    case sw::data_in:
        sw_data_ |= uint64_t{line ? 1u : 0u} << sw_count_;
        if (++sw_count_ == 33) {
            const uint32_t v = static_cast<uint32_t>(sw_data_);
            if (parity32(v) != ((sw_data_ >> 32) & 1u))
                dap.ctrl_stat |= wdataerr;
            else
                dap.swd_write(sw_apndp_, sw_a_, v);
            sw_state_ = sw::idle;
        }
        break;
    case sw::turn_after:
        sw_state_ = sw::idle;
        break;
    }
    return line;
}

bool fake_pod::clock(bool first, bool second)
{
    return swd ? swd_clock(first, second) : jtag_clock(first, second);
}

void fake_pod::step(uint16_t tms, uint16_t tdi, bool captured, std::vector<uint16_t>& data)
{
    uint16_t bits = 0;
    for (unsigned b = 0; b < 16; ++b) {
        if (clock(((tms >> b) & 1u) != 0, ((tdi >> b) & 1u) != 0))
            bits |= static_cast<uint16_t>(1u << b);
    }
    if (captured)
        data.push_back(bits);
}

uint32_t fake_pod::entry_length(uint32_t at) const
{
    const uint32_t w = list_[at];
    if (w == step_write || w == step_read || w == step_exchange || w == script_block ||
        w == script_jump || w == script_failed)
        return 2;
    if (w == repeat)
        return 3;
    if (w == script_compare)
        return at + 1 < list_.size() ? 2 + list_[at + 1] : 2;
    return 1;  // end, next pass, anything unknown
}

// The position of the 0x90000903 that closes the block opened at at.
uint32_t fake_pod::block_end(uint32_t at) const
{
    unsigned depth = 0;
    for (uint32_t pc = at; pc < list_.size(); pc += entry_length(pc)) {
        if (list_[pc] == script_block)
            ++depth;
        else if (list_[pc] == script_next_pass && --depth == 0)
            return pc;
    }
    return static_cast<uint32_t>(list_.size());
}

// One unit for every capturing step reachable from at, following jumps and
// falling through up to the end-of-script entries.
uint32_t fake_pod::script_footprint(uint32_t at) const
{
    std::vector<bool> seen(list_.size(), false);
    std::vector<uint32_t> todo{at};
    uint32_t units = 0;
    while (!todo.empty()) {
        uint32_t pc = todo.back();
        todo.pop_back();
        while (pc < list_.size() && !seen[pc]) {
            seen[pc] = true;
            const uint32_t w = list_[pc];
            if (w == script_end)
                break;
            if (w == step_read || w == step_exchange)
                ++units;
            if (w == script_jump && pc + 1 < list_.size())
                todo.push_back(list_[pc + 1]);
            pc += entry_length(pc);
        }
    }
    return units;
}

void fake_pod::run_script(uint32_t at, std::vector<uint16_t>& data)
{
    ++scripts_run;
    struct open_block {
        uint32_t body;        // first entry of the body
        uint32_t end;         // its closing 0x90000903
        uint32_t passes_left;
        size_t reply_start;
    };
    std::vector<open_block> blocks;
    size_t base = data.size();
    bool matched = false;
    uint32_t pc = at;
    for (unsigned budget = 0; budget < 2000000; ++budget) {
        if (pc >= list_.size()) {
            ++script_errors;
            return;
        }
        const uint32_t w = list_[pc];
        if (w == step_write || w == step_read || w == step_exchange) {
            const uint32_t e = list_[pc + 1];
            step(static_cast<uint16_t>(e), static_cast<uint16_t>(e >> 16), w != step_write, data);
            pc += 2;
        } else if (w == repeat) {
            const uint32_t e = list_[pc + 2];
            for (uint32_t i = 0; i < list_[pc + 1]; ++i)
                step(static_cast<uint16_t>(e), static_cast<uint16_t>(e >> 16), false, data);
            pc += 3;
        } else if (w == script_block) {
            blocks.push_back({pc + 2, block_end(pc), list_[pc + 1], data.size()});
            base = data.size();
            pc += 2;
        } else if (w == script_compare) {
            const uint32_t n = list_[pc + 1];
            matched = true;
            for (uint32_t i = 0; i < n; ++i) {
                const uint32_t c = list_[pc + 2 + i];
                const uint16_t mask = static_cast<uint16_t>(c >> 16);
                const uint16_t unit = base + i < data.size() ? data[base + i] : 0;
                if ((unit & mask) != (c & mask))
                    matched = false;
            }
            pc += 2 + n;
        } else if (w == script_jump) {
            if (!matched) {
                pc += 2;
                continue;
            }
            pc = list_[pc + 1];
            while (!blocks.empty() && blocks.back().end < pc)
                blocks.pop_back();
        } else if (w == script_next_pass) {
            if (blocks.empty()) {
                ++script_errors;
                return;
            }
            open_block& b = blocks.back();
            if (--b.passes_left > 0) {
                data.resize(b.reply_start);
                base = b.reply_start;
                pc = b.body;
            } else {
                blocks.pop_back();
                ++pc;
            }
        } else if (w == script_failed) {
            pc += 2;
        } else if (w == script_end) {
            return;
        } else {
            ++script_errors;
            return;
        }
    }
    ++script_errors;
}

void fake_pod::patch(uint32_t at, const uint16_t* units, uint32_t n)
{
    uint32_t pc = at;
    for (uint32_t i = 0; i < n && pc + 1 < list_.size(); pc += entry_length(pc)) {
        const uint32_t w = list_[pc];
        if (w != step_write && w != step_read && w != step_exchange)
            continue;
        list_[pc + 1] = (list_[pc + 1] & 0xFFFFu) | (uint32_t{units[i]} << 16);
        ++i;
    }
}

uint32_t fake_pod::take_request(const uint16_t* units, uint32_t count)
{
    ++exchanges;
    reply_.clear();
    auto word_at = [&](uint32_t i) { return units[i] | (uint32_t{units[i + 1]} << 16); };
    std::vector<uint16_t> data;
    uint32_t echo = unknown_reply;
    uint32_t i = 0;
    while (i + 2 <= count) {
        const uint32_t w = word_at(i);
        i += 2;
        if (w == step_write || w == step_read || w == step_exchange) {
            if (i + 2 > count)
                break;
            step(units[i], units[i + 1], w != step_write, data);
            i += 2;
            continue;
        }
        if (w == store_list) {
            if (i + 2 > count)
                break;
            const uint32_t n = word_at(i);
            i += 2;
            list_.clear();
            for (uint32_t k = 0; k < n && i + 2 <= count; ++k, i += 2)
                list_.push_back(word_at(i));
            ++lists_stored;
            continue;
        }
        if ((w & 0xFF000FFFu) == run_script_word) {
            const uint32_t at = (w >> 12) & 0xFFFu;
            const size_t full = data.size() + script_footprint(at);
            run_script(at, data);
            if (!cut_early_script_reply && data.size() < full)
                data.resize(full, 0);
            continue;
        }
        if ((w & 0xFF000FFFu) == patch_word) {
            if (i >= count)
                break;
            const uint32_t n = units[i];
            if (i + 1 + n > count)
                break;
            patch((w >> 12) & 0xFFFu, units + i + 1, n);
            i += 1 + n + (n % 2 == 0 ? 1 : 0);
            continue;
        }
        if (w == end_marker)
            continue;
        if (w == end_of_batch) {
            echo = w;
            break;
        }
        if (w == set_lines) {
            echo = w;
            break;
        }
        if (w == read_voltages) {
            echo = w;
            data.assign({0, 3300, 3300, 0, 0});
            break;
        }
        ++unknown_commands;
        echo = unknown_reply;
        break;
    }
    reply_.resize(4 + 2 * data.size());
    std::memcpy(reply_.data(), &echo, 4);
    if (!data.empty())
        std::memcpy(reply_.data() + 4, data.data(), 2 * data.size());
    return 0;
}

uint32_t fake_pod::give_reply(void* buffer, uint32_t* byte_count)
{
    const size_t n = reply_.size() < 2008 ? reply_.size() : 2008;
    std::memcpy(buffer, reply_.data(), n);
    *byte_count = static_cast<uint32_t>(reply_.size());
    return 0;
}

} // namespace arm_test
