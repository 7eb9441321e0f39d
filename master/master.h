// The master object: the one process-wide object behind the Master_ exports.
// It owns the target devices, selects the current one by the host's IDE
// code, powers the pod's target interface, applies the host's configuration
// record (chain check, position search, identification, clock-speed search)
// and forwards every target operation to the current device, framed by the
// pod's control lines and the in-batch voltage check.
//
// Promises:
//  - Every operation returns at once (value-returning ones with 0) when a
//    code is recorded; errors are raised (result.h), never returned.
//  - A device is destroyed only through destroy_device(), which first clears
//    the combined device's selection when it points there: the combined
//    device never forwards into a freed device.
//  - "No device" (0x0D39F004) covers both a null current device and the
//    combined device with nothing selected.
//  - Chain positions, whether searched or given by the record, are checked
//    against the measured chain before a device is told them.
//  - The record's identification read never reads or compares past its
//    4-word arrays.
#pragma once

#include <cstdint>
#include <memory>

#include "master/core/error_record.h"
#include "master/core/reply_waiter.h"
#include "master/master_config.h"

namespace mst {

class jtag;
class jtagdev;

// The host's IDE codes.
namespace ide {
constexpr uint32_t cortex_m = 1;
constexpr uint32_t tms320c54x = 2;
constexpr uint32_t combined = 3;
} // namespace ide

// Words of the pod's control lines (set_lines(A, B): A releases, B asserts).
namespace line {
constexpr uint32_t power = 0x2;
constexpr uint32_t trst = 0x4;
constexpr uint32_t cortex_reset = 0x8;
constexpr uint32_t jtag_select = 0x20;
constexpr uint32_t target_reset = 0x10000;
constexpr uint32_t run = 0x20000;
} // namespace line

// Bits of a device's status word the master reads.
namespace device_flag {
constexpr uint32_t initialised = 0x1;
constexpr uint32_t found = 0x2;
constexpr uint32_t running = 0x4;
} // namespace device_flag

// Target supply limits, in millivolts.
namespace power_limit {
constexpr uint32_t vtrg_min = 1500;
constexpr uint32_t vtrg_max = 6000;
constexpr uint32_t fuse_drop_max = 500;
} // namespace power_limit

// What the master needs of the combined device: it forwards to a device of
// the master that it has selected, and must let go of it before the master
// destroys it. A combined device with nothing selected is no usable device.
class device_selector {
public:
    virtual jtagdev* selected_device() = 0;
    // Clears the selection (and the status word copied from it) when it is
    // device.
    virtual void forget_device(jtagdev* device) = 0;

protected:
    ~device_selector() = default;
};

class master : public master_hooks {
public:
    // Takes the process-wide chain engine and registers itself as the error
    // record's master.
    master();
    ~master();
    master(const master&) = delete;
    master& operator=(const master&) = delete;

    // Device selection, Init, configuration, Kill (master_config.cpp,
    // master.cpp).
    void select_by_ide_code(uint32_t code);
    void init();
    void set_config(uint32_t size, const void* record);
    void get_config(uint32_t size, void* record);
    void kill();

    // Forwarded operations (master_operations.cpp).
    void reset();
    void run(uint32_t flags);
    void run_special(uint32_t mode);
    void stop() override;
    void step();
    void read_register(uint32_t id, uint32_t& value);
    void write_register(uint32_t id, uint32_t value);
    void read_memory(uint32_t space, uint32_t address, uint32_t count, void* buffer);
    void write_memory(uint32_t space, uint32_t address, uint32_t count, const void* buffer);
    void set_breakpoint(uint32_t kind, uint32_t address);
    void clear_breakpoint(uint32_t kind, uint32_t address);
    void clear_all_breakpoints(uint32_t kind);
    uint32_t breakpoint_flag(uint32_t type, uint32_t address);
    void clear_time_stamp();
    void get_time_stamp(void* out);
    uint32_t dwt_comparator_count();
    const void* dwt_parameters();
    uint32_t dwt_start_config();
    uint32_t dwt_apply_config();
    void dwt_end_config();
    // The status byte of Master_GetStatus (the export sets it to 0x30).
    void status(uint8_t& status);
    // The three words of Master_GetPod.
    void pod_info(uint32_t info[3]);
    void special_function(uint32_t function, uint32_t& result);

    // Power: the reading (0 or the failure code, no exchange while a code is
    // recorded) and the check that raises its failure.
    uint32_t power_reading();
    void power_check() override;
    // The callback of the in-batch voltage sample.
    static void voltage_check(const voltage_sample* sample);

    // Recovery hooks.
    void reconfigure() override;
    void device_hook() override;
    uint8_t kept_clock_setting() override { return config_.clock_found; }

    // The combined device joins here (it is built with the Cortex-M device);
    // null until then.
    void set_combined_device(jtagdev* device, device_selector* selector);

    uint32_t pod_mode = 0;

    uint32_t ide_code() const { return ide_code_; }
    bool combined_mode() const { return combined_mode_; }
    bool configured_once() const { return configured_once_; }
    const MasterConfig& config() const { return config_; }
    jtagdev* current() const { return current_; }
    jtagdev* tms_device() const { return tms_.get(); }
    jtagdev* cortex_device() const { return cortex_.get(); }
    jtag& engine() const { return engine_; }

private:
    bool has_error() const { return record_.has_error(); }
    // current, unless it is the combined device with nothing selected.
    jtagdev* usable_current() const;
    jtagdev& need_device();
    void queue_voltage_check();
    void attach(jtagdev& device);
    void set_lines(uint32_t a, uint32_t b);

    void power_up_interface();
    void create_device(std::unique_ptr<jtagdev>& slot, std::unique_ptr<jtagdev> (*make)());
    void destroy_device(std::unique_ptr<jtagdev>& slot);

    void apply_config(const MasterConfig& record, bool reconfiguring);
    void configure_combined();
    void switch_wire(const MasterConfig& local, bool reconfiguring);
    void check_chain(MasterConfig& local);
    void place_target(MasterConfig& local, uint32_t count, uint32_t length);
    void choose_combined_target(const MasterConfig& local);
    void identification_read(const MasterConfig& local);
    uint32_t speed_search(uint32_t start);

    jtag& engine_;
    error_record& record_;
    uint32_t ide_code_ = 0;
    bool combined_mode_ = false;
    MasterConfig config_{};
    bool configured_once_ = false;
    std::unique_ptr<jtagdev> cortex_;
    std::unique_ptr<jtagdev> tms_;
    jtagdev* combined_ = nullptr;
    device_selector* combined_selector_ = nullptr;
    // The combined device this master built for itself (null in a build
    // without one); it joins through set_combined_device.
    std::unique_ptr<jtagdev> own_combined_;
    jtagdev* current_ = nullptr;
};

// The devices the master creates. Null when this build has no such device.
std::unique_ptr<jtagdev> make_tms320c54x_device();
std::unique_ptr<jtagdev> make_cortex_m_device();
// The combined device of owner, joined to it through set_combined_device.
std::unique_ptr<jtagdev> make_combined_device(master& owner);

// The process-wide master, built after the error record, the chain engine,
// the protocol object and the command list.
master& the_master();

} // namespace mst
