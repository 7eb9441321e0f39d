#include "master/devices/jtagdev.h"

#include "master/core/result.h"

namespace mst {

jtagdev::jtagdev(jtag& engine, uint32_t ir_width, uint32_t ir_initial, const char* written_name,
                 const char* captured_name, uint32_t idle_after_scan,
                 uint32_t write_before_capture, bool in_device_list)
    : ir(engine, this, idle_after_scan, write_before_capture, 0, ir_initial, ir_width, 0,
         written_name, captured_name),
      engine_(engine)
{
    if (in_device_list)
        insert_at_tail(engine.devices());
}

void jtagdev::tap_reset_notice() { ir.reset(); }
uint32_t jtagdev::attach(uint32_t) { return 1; }
void jtagdev::identify(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void jtagdev::read_status() {}
void jtagdev::check_state() {}
void jtagdev::poll_run_state() {}
void jtagdev::reset_step1() {}
void jtagdev::reset_step2() {}
void jtagdev::reset_step3() {}
void jtagdev::reset_full() {}
void jtagdev::run(uint32_t) {}
void jtagdev::run_special(uint32_t) {}
void jtagdev::stop() {}
void jtagdev::step() {}
void jtagdev::set_breakpoint(uint32_t, uint32_t) {}
void jtagdev::clear_breakpoint(uint32_t, uint32_t, uint32_t) {}
void jtagdev::clear_all_breakpoints(uint32_t) {}
uint32_t jtagdev::breakpoint_flag(uint32_t, uint32_t) { return 0; }
void jtagdev::clear_time_stamp() { raise_error(no_time_stamp); }
void jtagdev::get_time_stamp(void*) { raise_error(no_time_stamp); }
uint32_t jtagdev::dwt_comparator_count() { return 0; }
const void* jtagdev::dwt_parameters() { return nullptr; }
uint32_t jtagdev::dwt_start_config() { return no_dwt_value; }
uint32_t jtagdev::dwt_apply_config() { return no_dwt_value; }
void jtagdev::dwt_end_config() {}
uint32_t jtagdev::stop_reason() { return 0; }
void jtagdev::read_register(uint32_t&, uint32_t) {}
void jtagdev::write_register(uint32_t, uint32_t) {}
void jtagdev::read_memory(void*, uint32_t, uint32_t, uint32_t) {}
void jtagdev::write_memory(const void*, uint32_t, uint32_t, uint32_t) {}
uint32_t jtagdev::read_status_forced(uint32_t) { return 0; }
void jtagdev::power_up() {}
void jtagdev::set_ide_code(uint32_t) {}

} // namespace mst
