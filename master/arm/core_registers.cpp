// The core register file through DCRSR and DCRDR, all registers in one batch.
#include "master/arm/mem_ap.h"

namespace mst {

namespace {
constexpr uint32_t last_register = 20;
constexpr uint32_t unused_register = 19;
constexpr uint32_t run_word_units = 2;
uint32_t patch_units(uint32_t n) { return ((n + 2) / 2 + 1) * 2; }

// Where the captured transfers of a script run lie, relative to its first
// reply unit, and what checks each.
enum class check { idle, status, data };
struct capture_at {
    uint32_t unit;
    check by;
};

// Serial Wire: TAR and DRW writes capture one unit (the request step), the
// posted DRW read and the captured DRW read four (request and data phase).
constexpr capture_at swd_wait[] = {{0, check::idle}, {1, check::idle}, {5, check::status}};
constexpr capture_at swd_register[] = {{0, check::idle},  {1, check::idle},   {2, check::idle},
                                       {3, check::idle},  {7, check::status}, {11, check::idle},
                                       {12, check::idle}, {16, check::data}};
// JTAG: every captured transfer is one capture of c units; the posted read
// captures nothing.
constexpr check jtag_wait[] = {check::idle, check::status};
constexpr check jtag_register[] = {check::idle, check::idle, check::idle, check::status, check::idle, check::data};
} // namespace

void mem_ap::read_core_registers(uint32_t* cache)
{
    trn_prot& prot = regs.prot();
    pending_log& log = prot.log();
    const bool swd = regs.swd();
    const script_capture c = scripts.write_capture;  // every JTAG capture has this layout
    regs.engine.enter_idle();
    data.out = cache;
    regs.apacc.read_waiter.reset();

    auto waiter = [&](check by) -> synchro& {
        return by == check::idle ? static_cast<synchro&>(idle)
                                 : by == check::status ? static_cast<synchro&>(status) : data;
    };
    // Queues the checkers of a script run that starts at reply position p.
    auto queue_swd = [&](uint32_t p, const capture_at* at, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const uint32_t pos = p + 16 * at[i].unit;
            const uint32_t flag = at[i].by == check::idle ? dp::pos_request : dp::pos_whole_frame;
            log.queue_read(waiter(at[i].by), (pos & 0xFFFFu) | flag, &waiter(at[i].by));
        }
    };
    auto queue_jtag = [&](uint32_t p, const check* at, size_t n) {
        for (size_t i = 0; i < n; ++i)
            log.queue_read(waiter(at[i]), p + 16 * c.units * static_cast<uint32_t>(i) + c.offset,
                           &waiter(at[i]));
    };

    make_room(run_word_units, scripts.wait_units, 3);
    uint32_t p = prot.next_reply_position();
    prot.req_word(script_cmd::run | (scripts.wait_ready << 12));
    prot.add_reply_units(scripts.wait_units);
    if (swd)
        queue_swd(p, swd_wait, std::size(swd_wait));
    else
        queue_jtag(p, jtag_wait, std::size(jtag_wait));

    const uint32_t units = scripts.dcrsr_units + scripts.wait_units + scripts.dcrdr_units;
    for (uint32_t r = 0; r <= last_register; ++r) {
        if (r == unused_register)
            continue;
        uint16_t patch[8] = {};
        const uint32_t n = write_patch_units(swd, r, c.offset, c.units, patch, 8);
        make_room(patch_units(n) + 3 * run_word_units, units, swd ? std::size(swd_register) : std::size(jtag_register));
        prot.req_block16(patch, n, script_cmd::patch | (scripts.dcrsr_data << 12));
        p = prot.next_reply_position();
        prot.req_word(script_cmd::run | (scripts.dcrsr_write << 12));
        prot.req_word(script_cmd::run | (scripts.wait_ready << 12));
        prot.req_word(script_cmd::run | (scripts.dcrdr_read << 12));
        prot.add_reply_units(units);
        if (swd)
            queue_swd(p, swd_register, std::size(swd_register));
        else
            queue_jtag(p, jtag_register, std::size(jtag_register));
    }
    prot.end_batch();
    check_sticky_errors(regs);
    cache[last_register] = cache[unused_register];
}

} // namespace mst
