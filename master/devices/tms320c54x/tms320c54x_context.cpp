// The CPU state that the emulation disturbs while the DSP is halted: saved
// before instructions are fed, put back before the DSP resumes.
#include <algorithm>
#include <vector>

#include "master/core/error_record.h"
#include "master/core/result.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"

namespace mst {

namespace {

constexpr uint32_t pools_12 = 0x3u;                // upper images of pools 1 and 2
constexpr uint32_t pools_12_both = 0x30003u;       // both images of pools 1 and 2
constexpr uint32_t upper_345 = 0x1Cu;
constexpr uint32_t all_upper = 0x1Fu;
constexpr uint32_t halt_pc_images = 0x150015u;     // pools 1, 3 and 5
constexpr uint32_t pool1_both = 0x10001u;
constexpr uint32_t ccl_value = 4;
constexpr uint32_t m3bl_m5_value = 28;
constexpr uint32_t d3j_m2m5_value = 16;
constexpr uint16_t cpl_bit = 0x4000;
constexpr uint16_t braf_bit = 0x8000;

pool_from_set& image(poolset& pools, uint32_t i)
{
    return i < poolset::pool_count ? pools.upper(i) : pools.lower(i - poolset::pool_count);
}

uint32_t image_bit(uint32_t i)
{
    return i < poolset::pool_count ? 1u << i : 0x10000u << (i - poolset::pool_count);
}

std::vector<uint32_t> words_of(const bitchain& chain)
{
    return {chain.words, chain.words + bitchain::words_for(chain.count)};
}

} // namespace

void TMS320C54x_jtag_device::capture_halt_state()
{
    // Changed bits under a right length and echo are not told from the
    // DSP's own by one reply, so the halt state is read twice, in separate
    // exchanges and before the emulation changes anything: the saved context
    // is the program's only copy until the run, and a capture whose reads
    // disagree is dropped, to be taken again by the next call.
    pools.read_missing(poolset::all_images);
    const uint32_t taken = pools.valid & ~pools.dirty & poolset::all_images;
    std::vector<std::vector<uint32_t>> first(2 * poolset::pool_count);
    for (uint32_t i = 0; i < first.size(); ++i)
        if ((taken & image_bit(i)) != 0)
            first[i] = words_of(image(pools, i).chain);
    const uint32_t etdr_first = etdr.get();
    pools.valid &= ~taken;
    pools.read(taken);
    etdr.reset();
    bool same = etdr.get() == etdr_first && (pools.valid & taken) == taken;
    for (uint32_t i = 0; i < first.size() && same; ++i)
        if ((taken & image_bit(i)) != 0)
            same = words_of(image(pools, i).chain) == first[i];
    if (!same)
        drop_halt_capture();
}

void TMS320C54x_jtag_device::drop_halt_capture()
{
    pools.forget();
    etdr.reset();
    raise_error(engine().prot().record(), rc::internal_failure);
}

void TMS320C54x_jtag_device::save_context()
{
    if (has(c54x_state::context_saved))
        return;
    capture_halt_state();
    // The upper images are what restore writes back.
    pools.dirty |= upper_345;
    pools.lower(3).fill(0);
    ccl_lower.set_later(ccl_value);
    saved_cpl = cpl_upper.get() != 0 ? cpl_bit : 0;
    cpl_upper.set_later(0);
    saved_dp = static_cast<uint16_t>(dp_upper.get());
    dp_upper.set_later(0);
    saved_braf = braf_upper.get() != 0 ? braf_bit : 0;
    braf_upper.set_later(0);
    m3bl_m5.set_later(m3bl_m5_value);
    saved_etdr = static_cast<uint16_t>(etdr.get());
    pools.request(pools_12, scan_mode::write);
    // Pools 1 and 2 now hold the emulation's values: both images are
    // unknown, so feeding leaves them alone and restore reads them again.
    pools.valid &= ~pools_12_both;
    pools.read_pending &= ~pools_12_both;
    pools.write_pending &= ~pools_12_both;
    pools.dirty &= ~pools_12_both;
    status |= c54x_state::context_saved;
}

void TMS320C54x_jtag_device::restore_context()
{
    const bool saved = has(c54x_state::context_saved);
    if (saved) {
        pools.read(pools_12);
        cpl_upper.set_later(saved_cpl != 0 ? 1 : 0);
        dp_upper.set_later(saved_dp);
        braf_upper.set_later(saved_braf != 0 ? 1 : 0);
        status &= ~c54x_state::context_saved;
    }
    if (pc != halt_pc || has(c54x_state::write_pc)) {
        pools.upper(4).fill(0);
        pools.upper(3).fill(0);
        ccl_upper.set_later(ccl_value);
        pools.upper(2).fill(0);
        d3j_m2m5.set_later(d3j_m2m5_value);
        pools.upper(0).fill(0);
        saved_braf = 0;
        par.set_later(pc);
        pc_field.set_later(pc);
        status &= ~c54x_state::write_pc;
    }
    pools.request(all_upper, scan_mode::write);
    pools.forget();
    // ETDR goes back only when save took it; otherwise it holds the
    // program's own value still.
    if (saved)
        etdr.force_set(saved_etdr);
}

void TMS320C54x_jtag_device::read_pc_at_halt()
{
    pools.read_missing(halt_pc_images);
    if ((d3j_m2m5.get() & 1u) == 0) {
        pc = static_cast<uint16_t>(par.get());
        pools.valid &= ~pool1_both;
    } else {
        pc = static_cast<uint16_t>(racomm_r.get());
    }
    halt_pc = pc;
}

} // namespace mst
