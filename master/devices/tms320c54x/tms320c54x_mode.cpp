// CPU mode changes and instructions fed through the scan pools.
#include "master/core/error_record.h"
#include "master/core/platform.h"
#include "master/core/result.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"

namespace mst {

namespace {

constexpr uint32_t mode_attempts = 3;
constexpr uint32_t mode_polls = 100;
constexpr uint32_t mode_poll_pause_ms = 10;

// ECR request of each CPU mode.
constexpr uint32_t ecr_request[4] = {0x08, 0x08, 0x50, 0x78};

// Room an execute needs in the batch before it starts.
constexpr uint32_t execute_room_units = 128;
constexpr uint32_t request_limit = 2003;
constexpr uint32_t reply_limit = 1005;

// Idle steps between the execute instruction and the status capture, on top
// of the three the instruction register adds after every scan.
constexpr uint32_t execute_idle_steps = 0;

} // namespace

void TMS320C54x_jtag_device::change_mode(uint32_t flag, uint32_t mode)
{
    mode &= 3u;
    uint32_t value = 0;
    for (uint32_t attempt = 0; attempt < mode_attempts; ++attempt) {
        ecr.set(emulation_ecr() | ecr_request[mode]);
        // Every pass through Update-IR changes the mode: write even when the
        // register already holds the instruction.
        ir.force_set(mode == 1 ? c54x_ir::execute : c54x_ir::mode_change);
        if (!status_by_register())
            ir.set(c54x_ir::idle);
        for (uint32_t poll = 0; poll < mode_polls; ++poll) {
            if (poll != 0)
                pause_ms(mode_poll_pause_ms);
            value = read_status_byte();
            if ((value & c54x_status::error) != 0 || c54x_status::mode(value) != mode)
                continue;
            // The CPU may have changed ETDR on its way into the new mode.
            if (mode != 0 && (flag == 0 || poll != 0))
                etdr.reset();
            if (mode == 1) {
                status &= ~c54x_state::step_bit;
                if ((value & c54x_status::step_done) != 0)
                    status |= c54x_state::step_bit;
            }
            return;
        }
    }
    error_record& record = engine().prot().record();
    set_param(record, 0, value);
    raise_error(record, rc::cpu_mode_change);
}

void TMS320C54x_jtag_device::execute()
{
    trn_prot& prot = engine().prot();
    if (prot.request_length() + execute_room_units >= request_limit ||
        prot.reply_unit_counter() + execute_room_units >= reply_limit)
        prot.end_batch();
    ecr.set(emulation_ecr() | ecr_request[1]);
    ir.force_set(c54x_ir::execute);
    engine().idle_clocks(execute_idle_steps);
    if (status_by_register()) {
        status_register.scan(scan_mode::read);
        prot.log().take_over_read(status_checker, &status_register);
    } else {
        // The idle instruction goes in with the scan that captures the
        // status the execute left.
        ir.written = c54x_ir::idle;
        ir.scan(scan_mode::exchange);
        prot.log().take_over_read(status_checker, &ir.capture);
    }
}

void TMS320C54x_jtag_device::feed(uint16_t instruction, uint16_t operand)
{
    cmd1.set_later(instruction);
    cmd2.set_later(operand);
    ccom.set_later(1);
    // Bring the pool set to rest so the write below joins this batch: a
    // queued write is as good as done; a queued read must land first.
    if (pools.state == waiter_state::write_pending)
        pools.complete(write_position);
    else if (pools.state == waiter_state::read_pending)
        engine().prot().end_batch();
    pools.request(0xF0000u, scan_mode::write);
    execute();
}

} // namespace mst
