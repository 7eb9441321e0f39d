// End to end: the test program loads VOQ-TMS.dll (which loads the real
// VOQ-MST.dll) the way the host does, routes the library's device calls to
// the simulated board with its simulated pod and TMS320C54x, and debugs a
// program through the GTI_ exports alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ccsdriver/board_config.h"
#include "ccsdriver/lcg_stream.h"
#include "ccsdriver/trace_log.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/usb/sim_usb_device.h"
#include "sim/host/seam/device_seam.h"

namespace {

using InitEx = int32_t (*)(uint32_t, const char*, uint32_t, const char*, uint32_t, uint32_t, uint32_t, uint32_t,
                           uint32_t);
using Plain = int32_t (*)();
using HandleOnly = int32_t (*)(void*, uint32_t);
using RegFn = int32_t (*)(void*, uint32_t, uint32_t*);
using MemFn = int32_t (*)(void*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t*);
using BpFn = int32_t (*)(void*, uint32_t, uint32_t, uint32_t);
using ErrEx2 = const char* (*)(void*, uint32_t*, uint32_t*, uint32_t*, uint32_t*);
using ConfigFn = int32_t (*)(void*, BoardParamList**, const char*);

constexpr uint32_t kCode = 0;
constexpr uint32_t kData = 1;
constexpr uint32_t kProgramAt = 0x1000;
constexpr uint32_t kBreakpointAt = 0x1004;
// Two NOPs, load 0x12 into A, store it at data 0x60, a NOP where the
// breakpoint goes, then a branch to itself.
const std::vector<uint32_t> kProgram = {0xF495, 0xF495, 0xE812, 0x8060, 0xF495, 0xF073, 0x1005};

std::string BinFile(const char* name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1) + name;
}

class DriverSession : public ::testing::Test {
protected:
    sim::Pod pod;
    std::unique_ptr<sim::usb::SimUsbDevice> device;
    std::unique_ptr<sim::host::DeviceSeam> seam;
    HMODULE driver = nullptr;

    static std::unique_ptr<sim::GenericDevice> Other(unsigned irLength, std::optional<uint32_t> idcode)
    {
        sim::GenericDeviceConfig config;
        config.ir_length = irLength;
        config.idcode = idcode;
        return std::make_unique<sim::GenericDevice>(config);
    }
    // The JTAG chain, TDI end first: two other devices, then the target.
    virtual void BuildChain()
    {
        pod.chain().add(Other(5, 0x0A5A5001u));
        pod.chain().add(Other(4, std::nullopt));
        pod.chain().emplace<sim::Tms320c54xTarget>();
    }
    void SetUp() override
    {
        BuildChain();
        device = std::make_unique<sim::usb::SimUsbDevice>(pod, sim::usb::DeviceConfig{});
        DeleteFileA(BinFile("VOQ-TMS.ini").c_str());
        DeleteFileA(LogPath().c_str());
        driver = LoadLibraryA(BinFile("VOQ-TMS.dll").c_str());
        ASSERT_NE(nullptr, driver);
        seam = std::make_unique<sim::host::DeviceSeam>(driver, *device);
    }
    void TearDown() override
    {
        Unload();
        DeleteFileA(BinFile("VOQ-TMS.ini").c_str());
        DeleteFileA(LogPath().c_str());
    }
    void Unload()
    {
        if (!driver) return;
        FreeLibrary(driver);  // closes the board through the seam
        driver = nullptr;
        seam.reset();
    }
    static std::string LogPath() { return BinFile("VOQ-TMS_ccsdriver_driver_e2e_test.jlg"); }
    // The trace log unscrambled; each record ends in \x01 (its NUL).
    static std::string DecodedLog()
    {
        std::ifstream in(LogPath(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LcgStream stream;
        stream.Seed(kTraceLogSeed);
        stream.Apply(bytes.data(), static_cast<uint32_t>(bytes.size()));
        std::string text;
        for (uint8_t b : bytes) text += b ? static_cast<char>(b) : '\x01';
        return text;
    }

    template <typename F>
    F Export(const char* name)
    {
        FARPROC p = GetProcAddress(driver, name);
        EXPECT_NE(nullptr, p) << name;
        return reinterpret_cast<F>(reinterpret_cast<void*>(p));
    }
    int32_t Init() { return Export<InitEx>("_GTI_INIT_EX")(0, "C:\\CCStudio", 0, "board.dat", 0, 0, 0, 0, 0); }
    std::string ErrorText(uint32_t* origin = nullptr, uint32_t* flag = nullptr)
    {
        uint32_t o = 0, f = 0, z1 = 0, z2 = 0;
        const char* text = Export<ErrEx2>("_GTI_GETERRSTR_EX2")(nullptr, &o, &f, &z1, &z2);
        if (origin) *origin = o;
        if (flag) *flag = f;
        return text ? text : "";
    }
    int32_t ReadBlock(uint32_t space, uint32_t address, std::vector<uint32_t>& out)
    {
        return Export<MemFn>("_GTI_READMEM_BLK")(nullptr, address, space, static_cast<uint32_t>(out.size()), 0, 0, 0,
                                                  0, out.data());
    }
    int32_t WriteBlock(uint32_t space, uint32_t address, std::vector<uint32_t> in)
    {
        return Export<MemFn>("_GTI_WRITEMEM_BLK")(nullptr, address, space, static_cast<uint32_t>(in.size()), 0, 0, 0,
                                                   0, in.data());
    }
    // The host's "Log File" board parameter.
    void SwitchLog(bool on)
    {
        BoardParamList* list = nullptr;
        ASSERT_EQ(0, Export<ConfigFn>("_GTI_GETCONFIGPARAM")(nullptr, &list, "VOQ"));
        ASSERT_NE(nullptr, list);
        list->entries[1].current = on ? 1 : 0;
        ASSERT_EQ(0, Export<ConfigFn>("_GTI_SETCONFIGPARAM")(nullptr, &list, "VOQ"));
    }
    void DebugSession()
    {
        ASSERT_EQ(0, Init()) << ErrorText();
        ASSERT_EQ(0, Export<Plain>("_GTI_RESET")()) << ErrorText();
        ASSERT_EQ(0, WriteBlock(kCode, kProgramAt, kProgram)) << ErrorText();
        ASSERT_EQ(0, WriteBlock(kData, 0x100, {0x1111, 0x2222, 0x3333, 0x4444})) << ErrorText();
        uint32_t pc = kProgramAt;
        ASSERT_EQ(0, Export<RegFn>("_GTI_WRITEREG")(nullptr, 0, &pc)) << ErrorText();
        ASSERT_EQ(0, Export<BpFn>("_GTI_SETBP_EX")(nullptr, kBreakpointAt, 1, 2)) << ErrorText();
        ASSERT_EQ(0, Export<HandleOnly>("_GTI_RUN_EX")(nullptr, 0)) << ErrorText();
        int32_t statusClass = -1;
        for (int i = 0; i < 100; ++i) {
            statusClass = Export<Plain>("_GTI_STAT")();
            if (statusClass != 0) break;
        }
        EXPECT_EQ(6, statusClass) << "halted at a hardware breakpoint";
        ASSERT_EQ(0, Export<RegFn>("_GTI_READREG")(nullptr, 0, &pc));
        EXPECT_EQ(kBreakpointAt, pc);
        uint32_t al = 0;
        ASSERT_EQ(0, Export<RegFn>("_GTI_READREG")(nullptr, 3, &al));
        EXPECT_EQ(0x12u, al);
        std::vector<uint32_t> back(kProgram.size());
        ASSERT_EQ(0, ReadBlock(kCode, kProgramAt, back));
        EXPECT_EQ(kProgram, back);
        std::vector<uint32_t> data(4);
        ASSERT_EQ(0, ReadBlock(kData, 0x100, data));
        EXPECT_EQ((std::vector<uint32_t>{0x1111, 0x2222, 0x3333, 0x4444}), data);
        std::vector<uint32_t> stored(1);
        ASSERT_EQ(0, ReadBlock(kData, 0x60, stored));
        EXPECT_EQ(0x12u, stored[0]);
        EXPECT_EQ(0, Export<Plain>("_GTI_QUIT")());
    }
};

TEST_F(DriverSession, DebugsAProgramOnTheSimulatedBoard)
{
    DebugSession();
    EXPECT_GT(device->log().master_exchanges, 0u);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(LogPath().c_str())) << "LogOn is off";
}

TEST_F(DriverSession, TraceLogShowsEveryCallWithItsParameters)
{
    SwitchLog(true);
    DebugSession();
    Unload();  // the unload line is the last record, then the file closes

    std::string text = DecodedLog();
    ASSERT_FALSE(text.empty());
    const char* expected[] = {
        // The switch itself: its parameter lines are the first to reach the log.
        "  sBoardName = \"VOQ\"\n",
        "ccsdriver_driver_e2e_test: \"GTI_INIT_EX\"(pathName = \"C:\\CCStudio\", parmFileName = \"board.dat\")",
        "Setting config:\n JTAGSpeed = 3\n",
        "\"GTI_RESET\"()",
        "\"GTI_WRITEMEM_BLK\"(Mem = Code, Addr = 0x1000, count = 7)",
        "\"GTI_WRITEMEM_BLK\"(Mem = Data, Addr = 0x100, count = 4)",
        "\"GTI_WRITEREG\"(0 (0x0))",
        "\"GTI_SETBP_EX\"(Addr = 0x1004, Type = 0x1, accessSize = 2)",
        "\"GTI_RUN_EX\"(runAttrFlag = 0)",
        "\"GTI_STAT\"()",
        "BrStatus: 1",
        "\"GTI_READREG\"(3 (0x3))",
        "\"GTI_READMEM_BLK\"(Mem = Data, Addr = 0x60, count = 1)",
        " *=> 0x0: ",
        "\"GTI_QUIT\"()",
    };
    size_t at = 0;
    for (const char* line : expected) {
        size_t found = text.find(line, at);
        ASSERT_NE(std::string::npos, found) << "missing or out of order: " << line << "\nlog tail:\n"
                                            << text.substr(text.size() > 600 ? text.size() - 600 : 0);
        at = found;
    }
    const std::string unloaded = "\n--- DLL unloaded ---\n\n\x01";
    EXPECT_EQ(unloaded, text.substr(text.size() - std::min(text.size(), unloaded.size())));
}

// The host can unload the driver: FreeLibrary runs its unload steps at once
// (settings written, the unload line, the log closed) and the module is gone,
// even after the driver formatted texts on several threads; loaded again, it
// starts afresh.
TEST_F(DriverSession, FreeLibraryUnloadsTheDriver)
{
    SwitchLog(true);
    device->set_present(false);
    EXPECT_EQ(-1, Init());
    EXPECT_EQ("Cannot detect the emulator board", ErrorText());
    std::string fromThread;
    std::thread([&] { fromThread = ErrorText(); }).join();
    EXPECT_EQ("Cannot detect the emulator board", fromThread);
    DeleteFileA(BinFile("VOQ-TMS.ini").c_str());  // the unload writes it again

    Unload();
    EXPECT_EQ(nullptr, GetModuleHandleA("VOQ-TMS.dll"));
    EXPECT_EQ(nullptr, GetModuleHandleA("VOQ-MST.dll"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(BinFile("VOQ-TMS.ini").c_str())) << "settings saved";
    std::string text = DecodedLog();
    EXPECT_NE(std::string::npos, text.find("\"GTI_GETERRSTR_EX2\"(")) << text;
    const std::string unloaded = "\n--- DLL unloaded ---\n\n\x01";
    EXPECT_EQ(unloaded, text.substr(text.size() - std::min(text.size(), unloaded.size())));
    // The log file is closed: it can be deleted.
    EXPECT_TRUE(DeleteFileA(LogPath().c_str()));

    device->set_present(true);
    driver = LoadLibraryA(BinFile("VOQ-TMS.dll").c_str());
    ASSERT_NE(nullptr, driver);
    seam = std::make_unique<sim::host::DeviceSeam>(driver, *device);
    EXPECT_EQ(0, Init()) << ErrorText();
    EXPECT_EQ(0, Export<Plain>("_GTI_QUIT")());
}

// Other devices between the target and TDO: the session runs the same.
class DriverSessionDevicesTowardsTdo : public DriverSession {
protected:
    void BuildChain() override
    {
        pod.chain().emplace<sim::Tms320c54xTarget>();
        pod.chain().add(Other(5, 0x0A5A5001u));
        pod.chain().add(Other(3, 0x0C3C3003u));
    }
};

TEST_F(DriverSessionDevicesTowardsTdo, DebugsAProgramOnTheSimulatedBoard) { DebugSession(); }

// Devices on both sides: the target's place in the instruction chain cannot
// be told, and the initialisation says so.
class DriverSessionDevicesOnBothSides : public DriverSession {
protected:
    void BuildChain() override
    {
        pod.chain().add(Other(4, 0x0B0B0001u));
        pod.chain().emplace<sim::Tms320c54xTarget>();
        pod.chain().add(Other(5, 0x0A5A5001u));
    }
};

TEST_F(DriverSessionDevicesOnBothSides, InitialisationSaysTheTargetIsNotFound)
{
    EXPECT_EQ(-1, Init());
    uint32_t origin = 0, flag = 0;
    std::string text = ErrorText(&origin, &flag);
    EXPECT_EQ(0x0D39u, origin);
    EXPECT_EQ(0xFFFFFFFFu, flag);
    EXPECT_NE(std::string::npos, text.find("Target device not found")) << text;
}

TEST_F(DriverSession, NoBoard)
{
    device->set_present(false);
    EXPECT_EQ(-1, Init());
    uint32_t origin = 9, flag = 9;
    EXPECT_EQ("Cannot detect the emulator board", ErrorText(&origin, &flag));
    // Nothing reaches the pod: the master reports its missing device.
    EXPECT_EQ(-1, Export<HandleOnly>("_GTI_HALT")(nullptr, 0));
    EXPECT_EQ(0u, device->log().master_exchanges);
    // The board comes: the next initialisation works.
    device->set_present(true);
    EXPECT_EQ(0, Init()) << ErrorText();
}

TEST_F(DriverSession, PodNotAnsweringThenAnsweringAgain)
{
    ASSERT_EQ(0, Init()) << ErrorText();
    pod.go_dead_for(1);
    EXPECT_EQ(-1, Export<HandleOnly>("_GTI_HALT")(nullptr, 0));
    uint32_t origin = 0, flag = 0;
    std::string text = ErrorText(&origin, &flag);
    EXPECT_EQ(0x0121u, origin);
    EXPECT_EQ(0xFFFFFFFFu, flag);
    EXPECT_NE(std::string::npos, text.find("Timeout when the VOQ-xxx device reading.")) << text;
    EXPECT_EQ("", ErrorText()) << "the pair was cleared";
    EXPECT_EQ(0, Export<HandleOnly>("_GTI_HALT")(nullptr, 0)) << ErrorText();
}

TEST_F(DriverSession, BoardPulledDuringABlockRead)
{
    ASSERT_EQ(0, Init()) << ErrorText();
    device->disconnect_on_read(1);
    std::vector<uint32_t> out(16, 0xAAAA);
    EXPECT_EQ(-1, ReadBlock(kData, 0x100, out));
    EXPECT_EQ(std::vector<uint32_t>(16, 0), out) << "no stale heap in the host's slots";
    uint32_t origin = 0;
    std::string text = ErrorText(&origin);
    EXPECT_EQ(0x0401u, origin) << text;
    EXPECT_FALSE(text.empty());
    // Plugged back and initialised again, the board answers.
    device->reconnect();
    ASSERT_EQ(0, Init()) << ErrorText();
    EXPECT_EQ(0, ReadBlock(kData, 0x100, out)) << ErrorText();
}

}  // namespace
