// End to end: a host that links VOQ-MST.dll, stores the simulated pod's
// transport functions in the library's data slots and debugs a simulated
// Cortex-M (IDE code 1) over Serial Wire Debug and over JTAG, and the
// combined Cortex-M and TMS320C54x target (IDE code 3), through the Master_
// exports alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "master/exports/master_api.h"
#include "master/master_config.h"
#include "sim/pod/cortex_m_target.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/pod.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/pod/transport.h"

namespace {

constexpr uint32_t ide_cortex_m = 1;
constexpr uint32_t ide_combined = 3;
constexpr uint32_t space_memory = 0;
constexpr uint32_t kind_code = 1;

constexpr uint32_t reg_sp = 13;
constexpr uint32_t reg_pc = 15;
constexpr uint32_t reg_xpsr = 16;

constexpr uint32_t sram = 0x20000000;
constexpr uint32_t code_start = 0x100;
constexpr uint32_t code_halfwords = 64;
constexpr uint32_t loop_address = code_start + 2 * code_halfwords;
constexpr uint16_t nop = 0xBF00;
constexpr uint16_t branch_to_self = 0xE7FE;

std::string english(const char* text)
{
    const std::string all = text;
    return all.substr(0, all.find('|'));
}

// A vector table (SP, reset at code_start), a run of NOPs and a loop.
void load_program(sim::CortexMTarget& target)
{
    target.bus().poke32(0x0, 0x20001000);
    target.bus().poke32(0x4, code_start | 1);
    for (uint32_t i = 0; i < code_halfwords; ++i)
        target.bus().poke16(code_start + 2 * i, nop);
    target.bus().poke16(loop_address, branch_to_self);
}

// The record a Cortex-M host hands over: the wire, the JTAG clock, the
// debug port's place in the chain (devices and IR bits between it and TDI)
// and any ARM CPUID.
mst::MasterConfig cortex_record(bool swd, uint8_t devices_after = 0, uint16_t ir_bits_after = 0)
{
    mst::MasterConfig c;
    std::memset(&c, 0, sizeof c);
    c.wire_mode = swd ? 1 : 0;
    c.wire_mode_2 = c.wire_mode;
    c.clock_start = 3;
    c.line_select = 1;
    c.set_selector = 1;
    c.positions_given = 1;
    c.devices_after = devices_after;
    c.ir_bits_after = ir_bits_after;
    c.target_devices = 1;
    c.target_ir_length = 4;
    return c;
}

struct cortex_host {
    explicit cortex_host(const sim::CortexMTargetConfig& config = {}) : target(config)
    {
        pod.attach_arm_target(&target);
        SendTargetRequest = sim::SendTargetRequest;
        GetTargetReply = sim::GetTargetReply;
        SetTargetTimeout = sim::SetTargetTimeout;
        Master_Kill();
    }
    ~cortex_host()
    {
        Master_Kill();
        SendTargetRequest = nullptr;
        GetTargetReply = nullptr;
        SetTargetTimeout = nullptr;
    }
    cortex_host(const cortex_host&) = delete;
    cortex_host& operator=(const cortex_host&) = delete;

    // JTAG: TDI -> a device with IR 5 -> the debug port (IR 4) -> a device
    // with IR 7 -> TDO.
    void build_jtag_chain()
    {
        sim::GenericDeviceConfig before;
        before.ir_length = 5;
        before.idcode = 0x0A5A5001u;
        sim::GenericDeviceConfig after;
        after.ir_length = 7;
        after.idcode = 0x0C3C3003u;
        pod.chain().emplace<sim::GenericDevice>(before);
        pod.chain().add(target.make_jtag_dp());
        pod.chain().emplace<sim::GenericDevice>(after);
    }

    uint32_t bring_up(const mst::MasterConfig& record)
    {
        if (uint32_t code = Master_SetIdeCode(ide_cortex_m))
            return code;
        if (uint32_t code = Master_Init(ide_cortex_m))
            return code;
        return Master_SetConfig(sizeof record, &record);
    }

    // Polls the status until the run mode (bits 4-5) says halted.
    uint8_t wait_for_halt()
    {
        uint8_t status = 0x20;
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(Master_GetStatus(&status), 0u) << Master_GetErrorString();
            if ((status & 0x30) == 0)
                break;
        }
        return status;
    }

    uint32_t reg(uint32_t id)
    {
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(Master_ReadRegister(id, &value), 0u) << Master_GetErrorString();
        return value;
    }

    sim::Pod pod;
    sim::CortexMTarget target;
    sim::TransportBinding binding{pod};
};

std::vector<uint8_t> pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return v;
}

// true: Serial Wire Debug; false: JTAG between unequal devices.
class CortexMHost : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        load_program(host.target);
        if (GetParam()) {
            ASSERT_EQ(host.bring_up(cortex_record(true)), 0u) << Master_GetErrorString();
        } else {
            host.build_jtag_chain();
            ASSERT_EQ(host.bring_up(cortex_record(false, 1, 5)), 0u) << Master_GetErrorString();
        }
    }

    cortex_host host;
};

TEST_P(CortexMHost, DebugsTheCoreThroughTheExports)
{
    uint32_t info[3] = {};
    EXPECT_EQ(Master_GetPod(info), 0u);
    EXPECT_EQ(info[0], 131u);
    EXPECT_EQ(info[1], 0u);
    EXPECT_EQ(info[2], 3u) << "a Cortex-M3";

    // Reset with the vector catch: halted at the reset vector, SP loaded.
    ASSERT_EQ(Master_Run(0), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_Reset(), 0u) << Master_GetErrorString();
    uint8_t status = 0;
    ASSERT_EQ(Master_GetStatus(&status), 0u);
    EXPECT_EQ(status & 0x3F, 0x0F) << "power, answered, found, initialised, halted";
    EXPECT_TRUE(host.target.core().halted());
    EXPECT_EQ(host.reg(reg_pc), code_start);
    EXPECT_EQ(host.reg(reg_sp), 0x20001000u);

    // Registers written and read back.
    for (uint32_t r = 0; r <= 12; ++r)
        ASSERT_EQ(Master_WriteRegister(r, 0x11110000u * (r + 1) + r), 0u) << Master_GetErrorString();
    for (uint32_t r = 0; r <= 12; ++r)
        EXPECT_EQ(host.reg(r), 0x11110000u * (r + 1) + r) << "R" << r;
    ASSERT_EQ(Master_WriteRegister(reg_sp, 0x20000800), 0u);
    EXPECT_EQ(host.reg(reg_sp), 0x20000800u);
    EXPECT_EQ(host.reg(reg_xpsr) & 0x01000000u, 0x01000000u) << "Thumb state";

    // Memory: aligned, unaligned, and across the 4 KB address-wrap boundary.
    struct block { uint32_t address; uint32_t count; };
    for (const block b : {block{sram + 0x100, 64}, block{sram + 0x203, 5}, block{sram + 0x301, 2},
                          block{sram + 0xFF5, 0x1C}, block{sram + 0x1F00, 0x2345}}) {
        const std::vector<uint8_t> data = pattern(b.count, static_cast<uint8_t>(b.address));
        ASSERT_EQ(Master_WriteMemory(space_memory, b.address, b.count, data.data()), 0u)
            << Master_GetErrorString();
        std::vector<uint8_t> back(b.count + 4, 0xA5);
        ASSERT_EQ(Master_ReadMemory(space_memory, b.address, b.count, back.data()), 0u)
            << Master_GetErrorString();
        EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin())) << std::hex << b.address;
        EXPECT_EQ(back[b.count], 0xA5) << "nothing written past the count";
        const uint32_t last = b.address + b.count - 1;
        uint32_t on_bus = 0;
        host.target.bus().peek32(last & ~3u, on_bus);
        EXPECT_EQ(static_cast<uint8_t>(on_bus >> (8 * (last & 3))), data.back());
    }

    // A hardware breakpoint, a run, polling until halted.
    const uint32_t at = code_start + 0x20;
    ASSERT_EQ(Master_WriteRegister(reg_pc, code_start), 0u);
    ASSERT_EQ(Master_SetBreakpoint(kind_code, at), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_ClrTimeStamp(), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_Run(0), 0u) << Master_GetErrorString();
    status = host.wait_for_halt();
    EXPECT_EQ(status & 0x30, 0) << "halted";
    EXPECT_EQ(host.reg(reg_pc), at);
    EXPECT_EQ(Master_CheckBrFlag(kind_code, at), 1u);
    EXPECT_EQ(Master_CheckBrFlag(kind_code, at + 2), 0u);

    // The cycles of the run, in time units at 256 MHz (one cycle = 1000).
    uint32_t stamp[9] = {256000000};
    ASSERT_EQ(Master_GetTimeStamp(stamp), 0u) << Master_GetErrorString();
    const uint64_t cycles = uint64_t{stamp[3]} | uint64_t{stamp[4]} << 32;
    const uint64_t time = uint64_t{stamp[7]} | uint64_t{stamp[8]} << 32;
    EXPECT_GE(cycles, 16u) << "sixteen NOPs at least";
    EXPECT_EQ(time, cycles * 1000);

    // Without the breakpoint the core runs into its loop until stopped.
    ASSERT_EQ(Master_ClrAllBreakpoints(kind_code), 0u);
    ASSERT_EQ(Master_Run(0), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_GetStatus(&status), 0u);
    EXPECT_EQ(status & 0x30, 0x20) << "running";
    ASSERT_EQ(Master_Stop(), 0u) << Master_GetErrorString();
    EXPECT_EQ(host.reg(reg_pc), loop_address);

    EXPECT_EQ(Master_Kill(), 0u);
    EXPECT_EQ(host.pod.lines() & 0x30000u, 0u) << "reset and run lines released";
    EXPECT_TRUE(host.target.violations().empty());
}

// A read of unmapped memory is reported; the sticky flag it set is cleared,
// so the next call reads.
TEST_P(CortexMHost, BusErrorIsReportedAndTheNextCallRecovers)
{
    uint8_t buffer[8] = {};
    EXPECT_EQ(Master_ReadMemory(space_memory, 0x10000000, sizeof buffer, buffer), 0x0000FFFFu);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [FFFF]:\n"
              "Access to register/memory is not supported when target in Run mode");
    const std::vector<uint8_t> data = pattern(16, 3);
    ASSERT_EQ(Master_WriteMemory(space_memory, sram + 0x40, 16, data.data()), 0u)
        << Master_GetErrorString();
    std::vector<uint8_t> back(16);
    ASSERT_EQ(Master_ReadMemory(space_memory, sram + 0x40, 16, back.data()), 0u)
        << Master_GetErrorString();
    EXPECT_EQ(back, data);
}

// One breakpoint past the unit's six comparators is refused with its count;
// the ones set stay usable.
TEST_P(CortexMHost, BreakpointPastTheComparatorCountIsRefused)
{
    for (uint32_t i = 0; i < 6; ++i)
        ASSERT_EQ(Master_SetBreakpoint(kind_code, code_start + 4 * i), 0u) << Master_GetErrorString();
    EXPECT_EQ(Master_SetBreakpoint(kind_code, code_start + 0x40), 0x0D390102u);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [0102]:\nUnable to set breakpoint. Maximum count - 6");
    ASSERT_EQ(Master_ClrBreakpoint(kind_code, code_start), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_SetBreakpoint(kind_code, code_start + 0x40), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_WriteRegister(reg_pc, code_start), 0u);
    ASSERT_EQ(Master_Run(0), 0u) << Master_GetErrorString();
    EXPECT_EQ(host.wait_for_halt() & 0x30, 0);
    EXPECT_EQ(host.reg(reg_pc), code_start + 4u);
}

INSTANTIATE_TEST_SUITE_P(Wires, CortexMHost, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Swd" : "Jtag");
                         });

// The pod information names a Cortex-M4 by its family number.
TEST(CortexMHostParts, PodInformationNamesTheCortexM4)
{
    sim::CortexMTargetConfig config;
    config.part = sim::CortexMPart::M4;
    cortex_host host(config);
    load_program(host.target);
    ASSERT_EQ(host.bring_up(cortex_record(true)), 0u) << Master_GetErrorString();
    uint32_t info[3] = {};
    EXPECT_EQ(Master_GetPod(info), 0u);
    EXPECT_EQ(info[0], 131u);
    EXPECT_EQ(info[1], 0u);
    EXPECT_EQ(info[2], 4u);
}

// IDE code 3: the Cortex-M (configured first under IDE code 1 with the
// combined variant) releases the TMS320C54x behind it in one chain; DSP
// program writes land in the microcontroller's memory window.
TEST(CombinedHost, DebugsBothCoresOfOneChain)
{
    cortex_host host;
    load_program(host.target);
    host.target.bus().add_memory(0x30000000, 0x40000);
    host.target.bus().add_memory(0x40020000, 0x100);
    // TDI -> the Cortex-M's debug port (IR 4) -> the DSP (IR 8) -> TDO.
    host.pod.chain().add(host.target.make_jtag_dp());
    host.pod.chain().emplace<sim::Tms320c54xTarget>(sim::C54xTargetConfig{});

    // Two cores are refused while the kept wire is Serial Wire Debug; the
    // JTAG record of IDE code 1 then brings the Cortex-M up.
    mst::MasterConfig record = cortex_record(true);
    ASSERT_EQ(host.bring_up(record), 0u) << Master_GetErrorString();
    EXPECT_EQ(Master_SetIdeCode(ide_combined), 0x0521F007u);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [F007]:\nVOQ-xxx can debug only one microcontroller \n"
              "until Serial Wire Debug mode swithed on.");
    // The code is kept until the next framed call: a selection meanwhile is
    // ignored.
    EXPECT_EQ(Master_SetIdeCode(ide_cortex_m), 0u);
    uint8_t status = 0;
    EXPECT_EQ(Master_GetStatus(&status), 0u) << Master_GetErrorString();
    record = cortex_record(false);
    record.target_variant = 2;
    ASSERT_EQ(host.bring_up(record), 0u) << Master_GetErrorString();
    EXPECT_TRUE(host.target.core().halted());
    ASSERT_EQ(Master_SetIdeCode(ide_combined), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_SetConfig(sizeof record, &record), 0u) << Master_GetErrorString();
    uint32_t w = 0;
    host.target.bus().peek32(0x3003FF00, w);
    EXPECT_EQ(w, 0xF495F495u) << "the DSP's start-up loop placed by the microcontroller";

    uint32_t info[3] = {};
    EXPECT_EQ(Master_GetPod(info), 0u);
    EXPECT_EQ(info[1], 0u) << "the pod information tells the Cortex-M";
    EXPECT_EQ(info[2], 3u);

    const uint16_t program[] = {0xABCD, 0x1234, 0x5678};
    ASSERT_EQ(Master_WriteMemory(0, 0x0100, 3, program), 0u) << Master_GetErrorString();
    host.target.bus().peek32(0x30020200, w);
    EXPECT_EQ(w, 0x1234ABCDu);
    uint16_t half = 0;
    host.target.bus().peek16(0x30020204, half);
    EXPECT_EQ(half, 0x5678);

    // The DSP's own data memory goes over JTAG to the DSP.
    const uint16_t data[] = {0x1111, 0x2222};
    ASSERT_EQ(Master_WriteMemory(1, 0x0100, 2, data), 0u) << Master_GetErrorString();
    uint16_t back[2] = {};
    ASSERT_EQ(Master_ReadMemory(1, 0x0100, 2, back), 0u) << Master_GetErrorString();
    EXPECT_EQ(back[0], 0x1111);
    EXPECT_EQ(back[1], 0x2222);

    // Back to IDE code 1: the microcontroller, left running by the combined
    // reset, refuses a register read with its status until it is stopped.
    ASSERT_EQ(Master_SetIdeCode(ide_cortex_m), 0u);
    uint32_t pc = 0;
    EXPECT_EQ(Master_ReadRegister(reg_pc, &pc), 0x0D390081u);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [0081]:\nWrong CPU Mode.\n\nCPU Status = 0x03000001");
    ASSERT_EQ(Master_Stop(), 0u) << Master_GetErrorString();
    EXPECT_TRUE(host.target.core().halted());
    ASSERT_EQ(Master_ReadRegister(reg_pc, &pc), 0u) << Master_GetErrorString();
    EXPECT_EQ(pc, host.target.core().reg(15));
    EXPECT_EQ(Master_Kill(), 0u);
}

} // namespace
