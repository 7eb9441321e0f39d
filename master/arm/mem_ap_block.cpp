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

void mem_ap::send_pending()
{
    // A JTAG write is exchanged as it is checked: the batch may hold nothing
    // left to send, and an empty batch would cost an exchange for nothing.
    trn_prot& prot = regs.prot();
    if (prot.request_length() != 0 || !prot.log().empty())
        prot.end_batch();
}

void mem_ap::ready_scripts()
{
    // The scripts run with the debug port's IR holding APACC and the TAP in
    // Run-Test/Idle.
    if (!regs.swd())
        regs.owner.instruction_register().set(regs.apacc.ir_code);
    regs.engine.enter_idle();
}

void mem_ap::script_write(uint32_t script, uint32_t data_steps, uint32_t value, uint32_t reg)
{
    trn_prot& prot = regs.prot();
    const bool swd = regs.swd();
    const script_capture& w = scripts.write_capture;
    uint16_t units[8] = {};
    const uint32_t n = write_patch_units(swd, value, w.offset, w.units, units, 8, reg);
    make_room(patch_units(n) + run_word_units, w.units, 1);
    prot.req_block16(units, n, script_cmd::patch | (data_steps << 12));
    const uint32_t position = prot.next_reply_position();
    prot.req_word(script_cmd::run | (script << 12));
    prot.add_reply_units(w.units);
    prot.log().queue_read(idle, swd ? (position & 0xFFFFu) | dp::pos_request : position + w.offset,
                          &idle);
}

void mem_ap::write_csw(uint32_t value)
{
    // Over JTAG the TAR write script's patch holds the whole request, so the
    // same script writes CSW: checked in the pod, it goes out with the batch
    // that follows instead of an exchange of its own. A Serial Wire patch
    // holds only the data, so there the write is a transfer of its own.
    if (regs.swd() || scripts.recorded == 0) {
        write_ap(value, dp::ap_csw);
        return;
    }
    ready_scripts();
    script_ap_write(value, dp::ap_csw);
}

void mem_ap::start_run(uint32_t address, bool posted_read)
{
    trn_prot& prot = regs.prot();
    const bool swd = regs.swd();
    ready_scripts();
    script_ap_write(address, dp::ap_tar);
    if (!posted_read)
        return;
    // The first DRW read only posts: its data are the result of the access
    // before it; only its acknowledge is checked.
    const script_capture& r = scripts.read_capture;
    make_room(run_word_units, r.units, 1);
    const uint32_t position = prot.next_reply_position();
    prot.req_word(script_cmd::run | (scripts.drw_read << 12));
    prot.add_reply_units(r.units);
    prot.log().queue_read(idle, swd ? (position & 0xFFFFu) | dp::pos_request : position + r.offset,
                          &idle);
}

void mem_ap::read_block(uint32_t* buffer, uint32_t count, uint32_t address)
{
    if (count == 0)
        return;
    trn_prot& prot = regs.prot();
    const bool swd = regs.swd();
    // The CSW the wait read last is the one to change.
    const uint32_t csw = wait_idle();
    write_csw((csw & csw_low_bits) | csw_word_increment);

    for (uint32_t done = 0; done < count;) {
        // One run of words up to the end or to where TAR wraps.
        const uint32_t to_wrap = ((wrap_mask & ~3u) - (address & wrap_mask & ~3u)) / 4 + 1;
        const uint32_t n = count - done < to_wrap ? count - done : to_wrap;

        // Each script run reads the next word and returns the one before.
        start_run(address, true);
        data.out = buffer + done;
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
        // The run's last word is the posted result that the CSW read of the
        // wait after the run returns: no read of the word after it, and no
        // exchange of its own (the wait's first exchange carries the run).
        uint32_t& last = buffer[done + n - 1];
        done += n;
        address += 4 * n;
        wait_idle(&last);
    }

    write_ap((csw & csw_low_bits) | csw_size_word, dp::ap_csw);
    regs.engine.enter_idle();
    send_pending();
}

void mem_ap::write_block(const uint32_t* buffer, uint32_t count, uint32_t address)
{
    if (count == 0)
        return;
    const uint32_t csw = wait_idle();
    const uint32_t written = (csw & csw_low_bits) | csw_word_increment;
    write_csw(written);
    start_run(address, false);

    for (uint32_t i = 0; i < count; ++i) {
        script_drw_write(buffer[i]);
        address += 4;
        if ((address & wrap_mask) == 0 && i + 1 < count) {
            wait_idle();
            start_run(address, false);
        }
    }

    wait_idle();
    write_ap(written & ~csw_increment, dp::ap_csw);
    regs.engine.enter_idle();
    send_pending();
}

} // namespace mst
