// The master object: construction, device selection, Init, Kill and the
// devices' lifetime.
#include "master/master.h"

#include "master/core/command_list.h"
#include "master/core/platform.h"
#include "master/core/trn_prot.h"
#include "master/devices/jtagdev.h"
#include "master/jtag/jtag.h"

namespace mst {

namespace {

constexpr uint32_t slowest_clock = 7;
// The target interface needs this long after power-up before the first
// voltage reading means anything.
constexpr uint32_t power_up_settle_ms = 200;

} // namespace

master::master() : engine_(the_jtag()), record_(the_error_record())
{
    record_.master = this;
    own_combined_ = make_combined_device(*this);
}

master::~master()
{
    destroy_device(cortex_);
    destroy_device(tms_);
    current_ = nullptr;
    if (record_.master == this)
        record_.master = nullptr;
}

void master::set_combined_device(jtagdev* device, device_selector* selector)
{
    combined_ = device;
    combined_selector_ = selector;
}

jtagdev* master::usable_current() const
{
    if (current_ != nullptr && current_ == combined_ && combined_selector_ != nullptr &&
        combined_selector_->selected_device() == nullptr)
        return nullptr;
    return current_;
}

jtagdev& master::need_device()
{
    jtagdev* device = usable_current();
    if (device == nullptr)
        raise_error(record_, rc::not_initialised);
    return *device;
}

void master::set_lines(uint32_t a, uint32_t b) { engine_.prot().set_lines(a, b); }

void master::create_device(std::unique_ptr<jtagdev>& slot, std::unique_ptr<jtagdev> (*make)())
{
    if (slot) {
        record_.set_param(0, 2);
        record_.set_param(1, 1);
        raise_error(record_, rc::device_count);
    }
    slot = make();
    if (!slot)
        raise_error(record_, rc::target_not_found);
}

void master::destroy_device(std::unique_ptr<jtagdev>& slot)
{
    if (!slot)
        return;
    if (combined_selector_ != nullptr)
        combined_selector_->forget_device(slot.get());
    if (current_ == slot.get())
        current_ = nullptr;
    slot.reset();
}

void master::select_by_ide_code(uint32_t code)
{
    if (has_error())
        return;
    ide_code_ = code;
    switch (code) {
    case ide::cortex_m:
        current_ = combined_mode_ ? combined_ : cortex_.get();
        break;
    case ide::tms320c54x:
        current_ = tms_.get();
        break;
    case ide::combined:
        // Two cores share the chain only in JTAG mode.
        if (engine_.wire_mode != 0)
            raise_error(record_, rc::swd_one_core);
        current_ = combined_;
        break;
    default:
        current_ = nullptr;
        break;
    }
    if (current_ != nullptr && current_ == combined_)
        current_->set_ide_code(ide_code_);
}

// First power-up of the pod's target interface.
void master::power_up_interface()
{
    trn_prot& prot = engine_.prot();
    prot.set_parameter(slowest_clock);
    set_lines(line::power, 0);
    set_lines(0, line::jtag_select);
    set_lines(line::trst, 0);
    if (ide_code_ == ide::cortex_m)
        set_lines(0, line::cortex_reset);
    pause_ms(power_up_settle_ms);
    power_check();
    set_lines(0, line::power);
}

void master::init()
{
    if (has_error())
        return;
    if (ide_code_ == ide::combined) {
        combined_mode_ = true;
        return;
    }
    if (!tms_ && !cortex_)
        power_up_interface();

    if (ide_code_ == ide::cortex_m) {
        if (cortex_ && (cortex_->status & device_flag::initialised) != 0)
            return;
        // Created before the wire is switched: a build without the device
        // leaves the chain engine as it was.
        if (!cortex_)
            create_device(cortex_, make_cortex_m_device);
        engine_.select_wire(1);
        current_ = cortex_.get();
        current_->status |= device_flag::initialised;
        return;
    }
    if (ide_code_ == ide::tms320c54x) {
        if (tms_ && (tms_->status & device_flag::initialised) != 0)
            return;
        if (!tms_)
            create_device(tms_, make_tms320c54x_device);
        current_ = tms_.get();
        current_->status |= device_flag::initialised;
    }
}

void master::kill()
{
    if (has_error())
        return;
    if (ide_code_ == ide::combined) {
        combined_mode_ = false;
        return;
    }
    destroy_device(cortex_);
    destroy_device(tms_);
    current_ = nullptr;
    if (has_error())
        return;
    set_lines(line::power, 0);
    set_lines(0, line::jtag_select);
    set_lines(line::trst, 0);
    if (ide_code_ == ide::cortex_m)
        set_lines(0, line::cortex_reset);
    set_lines(line::target_reset, 0);
    set_lines(line::run, 0);
}

void master::device_hook()
{
    if (jtagdev* device = usable_current())
        device->read_status();
}

master& the_master()
{
    static master* instance = [] {
        // The objects the master works on are built before it (and so
        // destroyed after it).
        the_error_record();
        the_jtag();
        the_prot();
        the_cmd_list();
        static master object;
        return &object;
    }();
    return *instance;
}

} // namespace mst
