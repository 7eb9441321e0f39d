// A stand-in target driver for testing the stand-in host alone: it exports
// the GTI functions the host binds (names "_GTI_..." from fake_gti.def) and
// answers them from a simulated TMS320C54x core run directly, with no pod,
// no USB and no master library. A test can make one export fail.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "sim/pod/tms320c54x_cpu.h"

namespace {

using u32 = std::uint32_t;

struct BoardParam {
    u32 type;
    const char* name;
    u32 reserved1;
    u32 choice_count;
    const char** choices;
    u32 current;
    u32 reserved2;
};
struct BoardParamList {
    u32 count;
    BoardParam* entries;
};

const char* kTck[] = {"18 MHz", "9 MHz", "4.5 MHz", "2.25 MHz", "1.125 MHz", "562.5 KHz", "281.25 KHz", "140.625 KHz"};
const char* kLog[] = {"Off", "On"};

struct State {
    sim::C54xCpu cpu;
    std::set<std::uint16_t> breakpoints;
    bool initialised = false;
    bool running = false;
    u32 error_flag = 0;
    u32 error_code = 0;
    std::string fail_export;
    u32 fail_code = 0;
    BoardParam params[2] = {{0, "TCK Frequency", 0, 8, kTck, 3, 0}, {0, "Log File", 0, 2, kLog, 0, 0}};
    BoardParamList list = {2, params};
    u32 tck = 3, log = 0;
    std::string calls;
};

State& state() {
    static State s;
    return s;
}

sim::C54xSpace space_of(u32 space) { return space == 1 ? sim::C54xSpace::Data : space == 2 ? sim::C54xSpace::Io : sim::C54xSpace::Program; }

// The frame of every export: the call is noted, a scheduled failure is
// taken, the error pair keeps the result.
int32_t frame(const char* name, bool ok = true) {
    State& s = state();
    s.calls += std::string(name) + ";";
    u32 code = ok ? 0 : 0x0D390103;
    if (s.fail_export == name) code = s.fail_code;
    s.error_code = code;
    s.error_flag = code ? 0xFFFFFFFF : 0;
    return code ? -1 : 0;
}

} // namespace

extern "C" {

int32_t GTI_INIT_EX(u32, const char*, u32, const char*, u32, u32, u32, u32, u32) {
    const int32_t r = frame("GTI_INIT_EX");
    state().initialised = r == 0;
    return r;
}
int32_t GTI_QUIT() { return frame("GTI_QUIT"); }
int32_t GTI_RESET() {
    if (frame("GTI_RESET") != 0) return -1;
    state().cpu.reset();
    state().running = false;
    return 0;
}
int32_t GTI_RUN_EX(void*, u32) {
    State& s = state();
    const int32_t r = frame("GTI_RUN_EX");
    if (r != 0) return r;
    // Run until a breakpoint, bounded; step over one the PC sits on.
    s.running = true;
    for (int i = 0; i < 10000; ++i) {
        if (i > 0 && s.breakpoints.count(s.cpu.pc)) {
            s.running = false;
            break;
        }
        s.cpu.step();
    }
    return 0;
}
int32_t GTI_HALT(void*, int32_t) {
    if (frame("GTI_HALT") != 0) return -1;
    state().running = false;
    return 0;
}
int32_t GTI_STEP(void*, u32) {
    if (frame("GTI_STEP") != 0) return -1;
    state().cpu.step();
    return 0;
}
int32_t GTI_STAT() {
    State& s = state();
    if (frame("GTI_STAT") != 0) return -1;
    return s.running ? 0 : 6;
}
int32_t GTI_READREG(void*, u32 id, u32* value) {
    State& s = state();
    if (frame("GTI_READREG", value != nullptr) != 0) return -1;
    *value = id == 0 ? s.cpu.pc : s.cpu.read(sim::C54xSpace::Data, static_cast<std::uint16_t>(id + 5));
    return 0;
}
int32_t GTI_WRITEREG(void*, u32 id, const u32* value) {
    State& s = state();
    if (frame("GTI_WRITEREG", value != nullptr) != 0) return -1;
    if (id == 0)
        s.cpu.pc = static_cast<std::uint16_t>(*value);
    else
        s.cpu.write(sim::C54xSpace::Data, static_cast<std::uint16_t>(id + 5), static_cast<std::uint16_t>(*value));
    return 0;
}
int32_t GTI_READMEM_BLK(void*, u32 address, u32 space, u32 count, u32, u32, u32, u32, u32* out) {
    State& s = state();
    if (frame("GTI_READMEM_BLK") != 0) return -1;
    for (u32 i = 0; i < count; ++i) out[i] = s.cpu.memory(space_of(space))[(address + i) & 0xFFFF];
    return 0;
}
int32_t GTI_WRITEMEM_BLK(void*, u32 address, u32 space, u32 count, u32, u32, u32, u32, const u32* in) {
    State& s = state();
    if (frame("GTI_WRITEMEM_BLK") != 0) return -1;
    for (u32 i = 0; i < count; ++i) s.cpu.memory(space_of(space))[(address + i) & 0xFFFF] = static_cast<std::uint16_t>(in[i]);
    return 0;
}
int32_t GTI_SETBP(void*, u32 address, u32) {
    if (frame("GTI_SETBP") != 0) return -1;
    state().breakpoints.insert(static_cast<std::uint16_t>(address));
    return 0;
}
int32_t GTI_CLEARBP(void*, u32 address, u32) {
    if (frame("GTI_CLEARBP") != 0) return -1;
    state().breakpoints.erase(static_cast<std::uint16_t>(address));
    return 0;
}
const char* GTI_GETERRSTR_EX2(void*, u32* origin, u32* flag, u32* zero1, u32* zero2) {
    State& s = state();
    const char* text = s.error_flag ? "Timeout when the VOQ-xxx device reading." : nullptr;
    if (origin) *origin = s.error_code >> 16;
    if (flag) *flag = s.error_flag;
    if (zero1) *zero1 = 0;
    if (zero2) *zero2 = 0;
    s.error_code = s.error_flag = 0;
    return text;
}
int32_t GTI_GETCONFIGPARAM(void*, BoardParamList** list, const char*) {
    State& s = state();
    s.calls += "GTI_GETCONFIGPARAM;";
    s.params[0].current = s.tck;
    s.params[1].current = s.log;
    if (list) *list = &s.list;
    return 0;
}
int32_t GTI_SETCONFIGPARAM(void*, BoardParamList**, const char*) {
    State& s = state();
    s.calls += "GTI_SETCONFIGPARAM;";
    s.tck = s.params[0].current;
    s.log = s.params[1].current;
    return 0;
}

// Test control: the next calls of `name` fail with `code` (null: none).
void fake_gti_fail(const char* name, u32 code) {
    state().fail_export = name ? name : "";
    state().fail_code = code;
}
const char* fake_gti_calls() { return state().calls.c_str(); }
u32 fake_gti_setting(int which) { return which == 0 ? state().tck : state().log; }
u32 fake_gti_data(u32 address) { return state().cpu.read(sim::C54xSpace::Data, static_cast<std::uint16_t>(address)); }

} // extern "C"
