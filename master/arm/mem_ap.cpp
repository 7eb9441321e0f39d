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
        write_ap(wanted, dp::ap_csw);
    write_ap(address, dp::ap_tar);
    const uint32_t value = read_ap(dp::ap_drw);
    wait_idle();
    return value;
}

void mem_ap::write_word(uint32_t value, uint32_t address)
{
    const uint32_t csw = read_ap(dp::ap_csw);
    write_ap((csw & 0xFFFFFFC0u) | csw_size_word, dp::ap_csw);
    write_ap(address, dp::ap_tar);
    write_ap(value, dp::ap_drw);
    wait_idle();
}

uint32_t mem_ap::wait_idle(uint32_t* posted)
{
    for (uint32_t i = 0; i < dp::poll_attempts; ++i) {
        const uint32_t csw = read_ap(dp::ap_csw);
        if (i == 0 && posted != nullptr)
            *posted = posted_result(regs);
        check_sticky_errors(regs);
        if ((csw & dp::csw_device_en) != 0)
            return csw;
    }
    raise_error(regs.record(), rc::dp_wait_timeout);
    return 0;
}

} // namespace mst
