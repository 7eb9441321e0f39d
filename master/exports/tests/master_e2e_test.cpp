// End to end: a host that links VOQ-MST.dll, stores the simulated pod's
// transport functions in the library's data slots (as the driver does) and
// debugs a simulated TMS320C54x through the Master_ exports alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "master/exports/master_api.h"
#include "master/master_config.h"
#include "master/tests/support/driver_record.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/pod.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/pod/transport.h"

namespace {

constexpr uint32_t space_program = 0;
constexpr uint32_t space_data = 1;
constexpr uint32_t kind_program_address = 1;

// A program at 0x1000: two NOPs, load 0x12 into A, store it at data 0x60,
// a NOP where the breakpoint goes, then branch to itself.
constexpr uint16_t program_at = 0x1000;
constexpr uint16_t breakpoint_at = 0x1004;
const std::vector<uint16_t> program = {0xF495, 0xF495, 0xE812, 0x8060, 0xF495, 0xF073, 0x1005};

// The English half of a Master_GetErrorString text.
std::string english(const char* text)
{
    const std::string all = text;
    return all.substr(0, all.find('|'));
}

using rig_common::driver_record;

// TDI -> A (IR 5, IDCODE) -> B (IR 4, BYPASS only) -> TMS320C54x -> TDO.
struct e2e_host : ::testing::Test {
    void SetUp() override
    {
        sim::GenericDeviceConfig a;
        a.ir_length = 5;
        a.idcode = 0x0A5A5001u;
        pod.chain().add(std::make_unique<sim::GenericDevice>(a));
        sim::GenericDeviceConfig b;
        b.ir_length = 4;
        pod.chain().add(std::make_unique<sim::GenericDevice>(b));
        target = &pod.chain().emplace<sim::Tms320c54xTarget>();
        // What the driver's static initialiser does.
        SendTargetRequest = sim::SendTargetRequest;
        GetTargetReply = sim::GetTargetReply;
        SetTargetTimeout = sim::SetTargetTimeout;
        // Every test starts from a released pod, whatever the last one left.
        Master_Kill();
    }

    void TearDown() override
    {
        Master_Kill();
        SendTargetRequest = nullptr;
        GetTargetReply = nullptr;
        SetTargetTimeout = nullptr;
    }

    void bring_up()
    {
        const mst::MasterConfig record = driver_record();
        ASSERT_EQ(Master_SetIdeCode(2), 0u);
        ASSERT_EQ(Master_Init(2), 0u) << Master_GetErrorString();
        ASSERT_EQ(Master_SetIdeCode(2), 0u);
        ASSERT_EQ(Master_SetConfig(sizeof record, &record), 0u) << Master_GetErrorString();
    }

    // Polls the status until the run mode (bits 4-5) says halted.
    uint8_t wait_for_halt()
    {
        uint8_t status = 0;
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(Master_GetStatus(&status), 0u) << Master_GetErrorString();
            if ((status & 0x30) == 0)
                break;
        }
        return status;
    }

    sim::Pod pod;
    sim::TransportBinding binding{pod};
    sim::Tms320c54xTarget* target = nullptr;
};

TEST_F(e2e_host, DebugsAProgramToAHardwareBreakpoint)
{
    bring_up();
    ASSERT_EQ(Master_Reset(), 0u) << Master_GetErrorString();

    uint8_t status = 0;
    ASSERT_EQ(Master_GetStatus(&status), 0u);
    EXPECT_EQ(status, 0x0F) << "power, answered, found, initialised, halted";

    ASSERT_EQ(Master_WriteMemory(space_program, program_at, program.size(), program.data()), 0u)
        << Master_GetErrorString();
    const std::vector<uint16_t> data = {0x1111, 0x2222, 0x3333, 0x4444};
    ASSERT_EQ(Master_WriteMemory(space_data, 0x100, data.size(), data.data()), 0u);
    ASSERT_EQ(Master_WriteRegister(0, program_at), 0u);
    ASSERT_EQ(Master_SetBreakpoint(kind_program_address, breakpoint_at), 0u)
        << Master_GetErrorString();

    ASSERT_EQ(Master_Run(0), 0u) << Master_GetErrorString();
    status = wait_for_halt();
    EXPECT_EQ(status & 0x30, 0) << "halted";
    EXPECT_EQ(status >> 6, 1) << "stopped by a hardware breakpoint";
    EXPECT_EQ(Master_CheckBrFlag(kind_program_address, breakpoint_at), 1u);

    uint32_t pc = 0;
    ASSERT_EQ(Master_ReadRegister(0, &pc), 0u);
    EXPECT_EQ(pc, breakpoint_at);
    uint32_t al = 0;
    ASSERT_EQ(Master_ReadRegister(3, &al), 0u) << "register 3 is data word 8, AL";
    EXPECT_EQ(al, 0x12u);

    std::vector<uint16_t> back(program.size());
    ASSERT_EQ(Master_ReadMemory(space_program, program_at, back.size(), back.data()), 0u);
    EXPECT_EQ(back, program);
    std::vector<uint16_t> data_back(data.size());
    ASSERT_EQ(Master_ReadMemory(space_data, 0x100, data_back.size(), data_back.data()), 0u);
    EXPECT_EQ(data_back, data);
    uint16_t stored = 0;
    ASSERT_EQ(Master_ReadMemory(space_data, 0x60, 1, &stored), 0u);
    EXPECT_EQ(stored, 0x12);

    // Without the breakpoint the program runs into its closing loop.
    ASSERT_EQ(Master_ClrAllBreakpoints(kind_program_address), 0u);
    ASSERT_EQ(Master_WriteRegister(0, program_at), 0u);
    ASSERT_EQ(Master_Run(0), 0u) << Master_GetErrorString();
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(Master_GetStatus(&status), 0u);
        EXPECT_EQ(status & 0x30, 0x20) << "still running";
    }
    ASSERT_EQ(Master_Stop(), 0u) << Master_GetErrorString();
    ASSERT_EQ(Master_ReadRegister(0, &pc), 0u);
    EXPECT_EQ(pc, 0x1005u);
    EXPECT_EQ(Master_Kill(), 0u);
    EXPECT_EQ(pod.lines() & 0x30000u, 0u) << "reset and run lines released";
}

TEST_F(e2e_host, NoPowerIsReportedAndTheNextCallRecovers)
{
    sim::VoltageSample low;
    low.values[1] = 1000;
    pod.script_voltages({low});
    EXPECT_EQ(Master_SetIdeCode(2), 0u);
    EXPECT_EQ(Master_Init(2), 0x0D390048u);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [0048]:\nNo power on the target \n\nVtrg = 1.00 V");

    pod.script_voltages({sim::VoltageSample{}});
    EXPECT_EQ(Master_Init(2), 0u) << Master_GetErrorString();
}

TEST_F(e2e_host, DisconnectedTargetIsReportedAndTheNextCallRecovers)
{
    bring_up();
    target->faults().disconnected = true;
    EXPECT_EQ(Master_Stop(), 0x0D390026u);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [0026]:\nTarget device is not connected to the VOQ-xxx.");
    EXPECT_EQ(Master_SetIdeCode(2), 0u) << "keeps the code for the next call";

    target->faults().disconnected = false;
    EXPECT_EQ(Master_Stop(), 0u) << Master_GetErrorString();
    uint32_t pc = 0;
    EXPECT_EQ(Master_ReadRegister(0, &pc), 0u) << Master_GetErrorString();
}

TEST_F(e2e_host, BrokenChainIsReportedAndTheNextCallRecovers)
{
    bring_up();
    pod.faults().tdo_stuck = false;
    const mst::MasterConfig record = driver_record();
    EXPECT_EQ(Master_SetConfig(sizeof record, &record), 0x0D390020u);
    EXPECT_EQ(english(Master_GetErrorString()), "\nError [0020]:\nToo long JTAG register.");

    pod.faults().tdo_stuck.reset();
    EXPECT_EQ(Master_SetConfig(sizeof record, &record), 0u) << Master_GetErrorString();
    EXPECT_EQ(Master_Stop(), 0u) << Master_GetErrorString();
}

TEST_F(e2e_host, DeadPodIsReportedAndTheNextCallRecovers)
{
    bring_up();
    pod.go_dead_for(1);
    EXPECT_EQ(Master_Stop(), 0x01210010u);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [0010]:\nTimeout when the VOQ-xxx device reading.");

    EXPECT_EQ(Master_Stop(), 0u) << Master_GetErrorString();
    uint32_t pc = 0;
    EXPECT_EQ(Master_ReadRegister(0, &pc), 0u) << Master_GetErrorString();
}

TEST_F(e2e_host, UnfilledSlotsReportNoDevice)
{
    SendTargetRequest = nullptr;
    GetTargetReply = nullptr;
    SetTargetTimeout = nullptr;
    EXPECT_EQ(Master_SetIdeCode(2), 0u);
    EXPECT_EQ(Master_Init(2), 0x01210001u);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [0001]:\nUSB driver could not find the VOQ-xxx device.");
}

TEST_F(e2e_host, FramelessExportsAnswerWithoutADevice)
{
    EXPECT_EQ(Master_GetBPTypeNum(), 7u);
    const BreakpointTypeEntry* types = Master_GetBPTypesPtr();
    EXPECT_EQ(types[6].type_id, 7u);
    EXPECT_EQ(std::memcmp(types[6].name, "I/O Write \0\0\0\0\0\0", 16), 0);
    EXPECT_EQ(types[0].name[0], '\0');
    EXPECT_STREQ(Master_GetVersionString(), "2.00, Dec  6 2011");
    EXPECT_EQ(Master_DWTGetCompNum(), 0u);
    EXPECT_EQ(Master_DWTGetParamsPtr(), nullptr);
    EXPECT_EQ(Master_DWTApplyConfig(), 0u);

    uint32_t info[3] = {};
    EXPECT_EQ(Master_GetPod(info), 0u);
    EXPECT_EQ(info[0], 131u);
    EXPECT_EQ(info[1], 252u);
    EXPECT_EQ(info[2], 255u);

    uint32_t result = 7;
    const uint32_t params[2] = {0, 0};
    EXPECT_EQ(Master_SpecFunc(&result, params, 2), 0u);
    EXPECT_EQ(result, 7u) << "SpecFunc with two parameters does nothing";
}

TEST_F(e2e_host, ShortRecordTimeStampsAndFlagsUnderTheDsp)
{
    bring_up();
    const size_t before = pod.log().exchanges.size();
    const mst::MasterConfig record = driver_record();
    EXPECT_EQ(Master_SetConfig(100, &record), 0u);
    EXPECT_EQ(pod.log().exchanges.size(), before) << "a short record is never read";

    // The kept record comes back with the found clock and the voltages.
    mst::MasterConfig back;
    std::memset(&back, 0xEE, sizeof back);
    ASSERT_EQ(Master_GetConfig(sizeof back, &back), 0u);
    EXPECT_EQ(back.clock_start, 3);
    EXPECT_EQ(back.clock_found, 3);
    EXPECT_EQ(back.line_select, 1);
    EXPECT_EQ(+back.target_millivolts, 3300);
    EXPECT_EQ(back.unused_140[0], 0) << "unlisted bytes come back as the host gave them";

    // The DSP keeps no time stamp: the plain code 0xFFFF reads as the
    // run-mode access text.
    EXPECT_EQ(Master_ClrTimeStamp(), 0x0000FFFFu);
    EXPECT_EQ(english(Master_GetErrorString()),
              "\nError [FFFF]:\n"
              "Access to register/memory is not supported when target in Run mode");
    EXPECT_EQ(Master_Stop(), 0u);

    // A software breakpoint has no flag: the value is 0 and the code stays
    // for the host to ask about (0xFFFE reads as a lone bar).
    EXPECT_EQ(Master_CheckBrFlag(0, 0x1000), 0u);
    EXPECT_STREQ(Master_GetErrorString(), "|");
    EXPECT_EQ(Master_DWTEndConfig(0), 0u);
}

} // namespace
