// Block transfers through the MEM-AP's pod scripts.
#include "master/arm/mem_ap.h"

namespace mst {

namespace {
constexpr uint32_t csw_low_bits = 0xFFFFFFC0u;
constexpr uint32_t csw_word_increment = 0x12u;  // 32-bit size, single increment
constexpr uint32_t csw_increment = 0x30u;
constexpr uint32_t csw_size_word = 2u;
constexpr uint32_t run_word_units = 2;

uint32_t patch_units(uint32_t n) { return ((n + 2) / 2 + 1) * 2; }
} // namespace

void mem_ap::make_room(uint32_t request_units, uint32_t reply_units, uint32_t entries)
{
    trn_prot& prot = regs.prot();
    // The entry that fills the log exchanges the batch at once; it must not
    // be one in the middle of a script run.
    if (prot.log().size() + entries >= pending_log::capacity)
        prot.end_batch();
    if (!prot.reserve(reply_units, (request_units + 1) / 2))
        raise_error(regs.record(), rc::command_too_long);
}

uint32_t mem_ap::collect_last()
{
    if (!regs.swd())
        return jtag_collect(regs);
    regs.rdbuff.forget();
    return regs.rdbuff.get();
}

void mem_ap::read_block(uint32_t* buffer, uint32_t count, uint32_t address)
{
    if (count == 0)
        return;
    trn_prot& prot = regs.prot();
    const bool swd = regs.swd();
    wait_idle();
    const uint32_t csw = read_ap(dp::ap_csw);
    write_ap((csw & csw_low_bits) | csw_word_increment, dp::ap_csw);

    for (uint32_t done = 0; done < count;) {
        // One run of words up to the end or to where TAR wraps.
        if (done != 0)
            wait_idle();
        write_ap(address, dp::ap_tar);
        const uint32_t to_wrap = ((wrap_mask & ~3u) - (address & wrap_mask & ~3u)) / 4 + 1;
        const uint32_t n = count - done < to_wrap ? count - done : to_wrap;

        // The first read only posts: each script run reads the next word and
        // returns the one before.
        if (swd)
            regs.apacc.transfer_with_retry(1, 0, dp::ap_drw);
        else
            regs.apacc.jtag_checked(1, 0, dp::ap_drw);
        data.out = buffer + done;
        regs.engine.enter_idle();

        const script_capture& c = scripts.read_capture;
        for (uint32_t i = 0; i + 1 < n; ++i) {
            make_room(run_word_units, c.units, 1);
            const uint32_t position = prot.next_reply_position();
            prot.req_word(script_cmd::run | (scripts.drw_read << 12));
            prot.add_reply_units(c.units);
            prot.log().queue_read(data,
                                  swd ? (position & 0xFFFFu) | dp::pos_whole_frame : position + c.offset,
                                  &data);
        }
        buffer[done + n - 1] = collect_last();
        done += n;
        address += 4 * n;
    }

    wait_idle();
    write_ap((csw & csw_low_bits) | csw_size_word, dp::ap_csw);
    regs.engine.enter_idle();
    prot.end_batch();
}

void mem_ap::write_block(const uint32_t* buffer, uint32_t count, uint32_t address)
{
    if (count == 0)
        return;
    trn_prot& prot = regs.prot();
    const bool swd = regs.swd();
    wait_idle();
    const uint32_t csw = read_ap(dp::ap_csw);
    const uint32_t written = (csw & csw_low_bits) | csw_word_increment;
    write_ap(written, dp::ap_csw);
    write_ap(address, dp::ap_tar);
    regs.engine.enter_idle();

    const script_capture& c = scripts.write_capture;
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t units[8] = {};
        const uint32_t n = write_patch_units(swd, buffer[i], c.offset, c.units, units, 8);
        make_room(patch_units(n) + run_word_units, c.units, 1);
        prot.req_block16(units, n, script_cmd::patch | (scripts.drw_data << 12));
        const uint32_t position = prot.next_reply_position();
        prot.req_word(script_cmd::run | (scripts.drw_write << 12));
        prot.add_reply_units(c.units);
        prot.log().queue_read(idle, swd ? (position & 0xFFFFu) | dp::pos_request : position + c.offset,
                              &idle);
        address += 4;
        if ((address & wrap_mask) == 0 && i + 1 < count) {
            wait_idle();
            write_ap(address, dp::ap_tar);
            regs.engine.enter_idle();
        }
    }

    wait_idle();
    write_ap(written & ~csw_increment, dp::ap_csw);
    regs.engine.enter_idle();
    prot.end_batch();
}

} // namespace mst
