// Single-word access through the MEM-AP.
#include "master/arm/mem_ap.h"

namespace mst {

namespace {
constexpr uint32_t csw_size_mask = 7u;
constexpr uint32_t csw_size_word = 2u;  // 32-bit, no address increment
constexpr uint32_t demcr = 0xE000EDFCu;
constexpr uint32_t demcr_trcena = 0x01000000u;
} // namespace

void mem_ap::select_ap(uint32_t apsel)
{
    ap = apsel;
    const uint32_t csw = read_ap(dp::ap_csw);
    write_ap((csw & ~csw_size_mask) | csw_size_word, dp::ap_csw);
    // One read: the posted result is collected through RDBUFF, so the first
    // read already returns BASE itself.
    rom_base = read_ap(dp::ap_base);
    write_word(demcr_trcena, demcr);
}

uint32_t mem_ap::read_word(uint32_t address)
{
    const uint32_t csw = read_ap(dp::ap_csw);
    const uint32_t wanted = (csw & 0xFFFFFFC8u) | csw_size_word;
    if (wanted != csw)
        write_csw(wanted);
    // DRW is read once: its result is the posted one that the wait's first
    // CSW read returns. With the scripts in the pod, TAR and the read go
    // with the wait's first exchange, retried there.
    if (scripts.recorded != 0) {
        start_run(address, true);
    } else {
        write_ap(address, dp::ap_tar);
        post_read_ap(dp::ap_drw);
    }
    uint32_t value = 0;
    wait_idle(&value);
    return value;
}

void mem_ap::write_word(uint32_t value, uint32_t address)
{
    const uint32_t csw = read_ap(dp::ap_csw);
    write_csw((csw & 0xFFFFFFC0u) | csw_size_word);
    if (scripts.recorded != 0) {
        start_run(address, false);
        script_drw_write(value);
    } else {
        write_ap(address, dp::ap_tar);
        write_ap(value, dp::ap_drw);
    }
    wait_idle();
}

uint32_t mem_ap::poll_csw(uint32_t* posted)
{
    regs.select.set_if_changed((dp::ap_csw & 0xF0u) | (ap << 24));
    if (regs.swd()) {
        // The RDBUFF read that collects CSW comes in with STAT's request.
        swd_ap_read_request(regs, dp::ap_csw);
        if (posted != nullptr)
            *posted = posted_result(regs);
        regs.stat.forget();
        const uint32_t stat = regs.stat.get();
        const uint32_t csw = regs.rdbuff.get();
        check_sticky_value(regs, stat);
        return csw;
    }
    // JTAG: CSW and STAT in one exchange, STAT's request collecting CSW.
    uint32_t csw = 0;
    uint32_t stat = 0;
    bool seen = false;
    const bool whole = jtag_read_pair(regs, regs.apacc, dp::ap_csw, dp::addr_ctrl_stat, csw, stat, seen);
    const uint32_t before = regs.posted_jtag;
    if (whole) {
        regs.stat.known(stat);
        if (posted != nullptr)
            *posted = before;
        check_sticky_value(regs, stat);
        return csw;
    }
    // The DP ignored a scan of the pair: the two reads again, one by one.
    csw = read_ap(dp::ap_csw);
    if (posted != nullptr)
        *posted = seen ? before : regs.posted_jtag;
    check_sticky_errors(regs);
    return csw;
}

uint32_t mem_ap::wait_idle(uint32_t* posted)
{
    for (uint32_t i = 0; i < dp::poll_attempts; ++i) {
        const uint32_t csw = poll_csw(i == 0 ? posted : nullptr);
        if ((csw & dp::csw_device_en) != 0)
            return csw;
    }
    raise_error(regs.record(), rc::dp_wait_timeout);
    return 0;
}

} // namespace mst
