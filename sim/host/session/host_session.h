// A debugging session driven through the GTI exports the way the host drives
// it: board parameters, GTI_INIT_EX, reset, a small program and its data,
// a breakpoint, run, status polling until the target stops (bounded),
// registers, memory read back, error texts through GTI_GETERRSTR_EX2, then
// GTI_QUIT. Each step is printed with its result and kept for a test.
//
// The program (TMS320C54x, program space at 0x1000) loads the data word at
// 0x2000, adds 1 and stores it at 0x2001, then reaches the breakpoint at
// 0x1006 and would loop there:
//   1000 STM #2000h, AR2   1002 LD *AR2+, A   1003 ADD #1, 0, A, A
//   1005 STL A, *AR2       1006 NOP (breakpoint)  1007 B 1007h
// After the run: PC = 0x1006, AR2 = 0x2001, data 0x2000..1 = 0x1234, 0x1235.
//
// The whole road in a test (link voq_simhost_session and voq_simhost_seam;
// the simulated device and pod come with them):
//
//   sim::usb::SimEmulator emu;                  // device, pod, TMS320C54x
//   HMODULE tms = LoadLibraryA("VOQ-TMS.dll");
//   sim::host::DeviceSeam seam(tms, emu.device());
//   sim::host::GtiApi api;
//   api.bind(tms);
//   sim::host::HostSession session(api, stdout);
//   EXPECT_TRUE(session.run(sim::host::SessionOptions{}));
//   EXPECT_EQ(emu.target().cpu().memory(sim::C54xSpace::Data)[0x2001], 0x1235);
//   FreeLibrary(tms);                           // while the seam is still there
//
// Failure paths: emu.device().set_present(false) (no board),
// disconnect_on_master_packet(n) (board pulled during a block read),
// emu.pod().go_dead_for(n) or fault_reply(..., Traffic::Master) (pod not
// answering); see sim/usb/sim_usb_device.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sim/host/session/gti_api.h"

namespace sim::host {

namespace session_program {
inline constexpr std::uint32_t kProgramAddress = 0x1000;
inline constexpr std::uint32_t kBreakAddress = 0x1006;
inline constexpr std::uint32_t kDataAddress = 0x2000;
inline constexpr std::uint32_t kSpaceCode = 0;
inline constexpr std::uint32_t kSpaceData = 1;
inline constexpr std::uint32_t kRegPc = 0;        // register id 0: the program counter
inline constexpr std::uint32_t kRegAr2 = 0x12 - 5; // other ids: data word id + 5
inline const std::vector<std::uint32_t> kProgram = {0x7712, 0x2000, 0x1092, 0xF000, 0x0001,
                                                    0x8082, 0xF495, 0xF073, 0x1007};
inline const std::vector<std::uint32_t> kData = {0x1234, 0x0000};
inline const std::vector<std::uint32_t> kDataAfterRun = {0x1234, 0x1235};
} // namespace session_program

struct SessionOptions {
    std::uint32_t tck_index = 3;     // "TCK Frequency" choice
    bool log_on = false;             // "Log File" choice
    std::string board_name = "VOQ-54xx JTAG Emulator";
    std::string path_name = "";
    std::string parm_file = "";
    unsigned max_status_polls = 300; // GTI_STAT polls before the host halts the target
    std::function<void()> pump;      // the host's message pump, run between steps
    std::function<void(unsigned ms)> wait; // between status polls (default Sleep)
};

struct SessionStep {
    std::string name;
    bool ok = false;
    std::string detail;
};

class HostSession {
public:
    // `out` receives one line per step; null prints nothing.
    HostSession(const GtiApi& api, std::FILE* out) : api_(api), out_(out) {}

    // Runs the whole session; true when every step passed.
    bool run(const SessionOptions& options);
    const std::vector<SessionStep>& steps() const { return steps_; }
    const SessionStep* find(const std::string& name) const;

private:
    bool record(const std::string& name, bool ok, const std::string& detail);
    bool missing(const std::string& name, const void* fn);
    // Reports a GTI result; on failure asks GTI_GETERRSTR_EX2 for the text.
    bool result(const std::string& name, int32_t value, const std::string& detail = {});
    std::string error_text();
    void pump(const SessionOptions& options);

    bool configure(const SessionOptions& options);
    bool run_target(const SessionOptions& options);

    const GtiApi& api_;
    std::FILE* out_;
    std::vector<SessionStep> steps_;
    std::uint8_t handle_record_[64] = {}; // the host's handle, opaque to the driver
};

} // namespace sim::host
