// The seam on a module of our own (seam_probe.dll): its device calls reach
// the simulated device, its calls on other handles reach the real functions,
// and only the module given is touched.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "sim/host/seam/device_seam.h"
#include "sim/usb/sim_emulator.h"

namespace sim::host {
namespace {

using sim::usb::SimEmulator;
namespace board = sim::usb::board;
namespace ioctl = sim::usb::ioctl;

struct Probe {
    int(__cdecl* find_board)(char*, int);
    HANDLE(__cdecl* open)(const char*, DWORD);
    BOOL(__cdecl* control)(HANDLE, DWORD, void*, DWORD, void*, DWORD, DWORD*);
    BOOL(__cdecl* read)(HANDLE, void*, DWORD, DWORD*);
    BOOL(__cdecl* write)(HANDLE, const void*, DWORD, DWORD*);
    BOOL(__cdecl* close)(HANDLE);
    DWORD(__cdecl* last_error)();
    void(__cdecl* sleep)(DWORD);
    DWORD(__cdecl* ticks)();
    void*(__cdecl* bind)(const char*, const char*);
};

template <class F>
void resolve(HMODULE m, F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    ASSERT_NE(reinterpret_cast<void*>(f), nullptr) << name;
}

class Seam : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryA("seam_probe.dll");
        ASSERT_NE(module, nullptr) << GetLastError();
        resolve(module, probe.find_board, "probe_find_board");
        resolve(module, probe.open, "probe_open");
        resolve(module, probe.control, "probe_ioctl");
        resolve(module, probe.read, "probe_read");
        resolve(module, probe.write, "probe_write");
        resolve(module, probe.close, "probe_close");
        resolve(module, probe.last_error, "probe_last_error");
        resolve(module, probe.sleep, "probe_sleep");
        resolve(module, probe.ticks, "probe_ticks");
        resolve(module, probe.bind, "probe_bind");
        DeviceSeam::reset_counters();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    std::string find_board() {
        char path[512];
        listed = probe.find_board(path, sizeof path);
        return path;
    }

    // GET_STATUS through the module: one write, one read, both through the
    // mode's calls. Returns the status word of the reply.
    std::uint32_t get_status(HANDLE h, bool wdf) {
        std::uint8_t packet[8] = {4, 0, 0, 0};
        std::memcpy(packet + 4, &board::kGetStatus, 4);
        std::uint8_t reply[64] = {};
        DWORD done = 0;
        if (wdf) {
            EXPECT_TRUE(probe.write(h, packet, 8, &done));
            EXPECT_EQ(done, 8u);
            EXPECT_TRUE(probe.read(h, reply, sizeof reply, &done));
        } else {
            EXPECT_TRUE(probe.control(h, ioctl::kWrite, packet, 8, nullptr, 0, &done));
            EXPECT_TRUE(probe.control(h, ioctl::kRead, nullptr, 0, reply, sizeof reply, &done));
        }
        EXPECT_EQ(done, 12u);
        std::uint32_t status = 0;
        std::memcpy(&status, reply + 4, 4);
        return status;
    }

    HMODULE module = nullptr;
    Probe probe{};
    int listed = 0;
    SimEmulator emu;
};

TEST_F(Seam, WithoutTheSeamNoBoardIsFound) {
    EXPECT_EQ(find_board(), "");
    const HANDLE h = probe.open(emu.device().config().identity.path.c_str(), OPEN_EXISTING);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(emu.device().log().opens + emu.device().log().failed_opens, 0u);
}

TEST_F(Seam, EnumerationListsTheSimulatedBusAndFindsTheBoardByItsService) {
    emu.device().config().foreign.push_back({"\\\\?\\usb#vid_0781&pid_5567#4c53#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
                                             "USBSTOR", "USB Mass Storage Device"});
    emu.device().config().identity.service = "kvusbdev";
    DeviceSeam seam(module, emu.device());
    for (const char* f : {"SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo", "SetupDiEnumDeviceInterfaces",
                          "SetupDiGetDeviceInterfaceDetailA", "SetupDiGetDeviceRegistryPropertyA",
                          "SetupDiDestroyDeviceInfoList", "CreateFileA", "DeviceIoControl", "ReadFile", "WriteFile",
                          "CloseHandle"})
        EXPECT_TRUE(seam.patched(f)) << f;

    EXPECT_EQ(find_board(), emu.device().config().identity.path);
    EXPECT_EQ(listed, 2);

    emu.device().set_present(false);
    EXPECT_EQ(find_board(), "");
    EXPECT_EQ(listed, 1);

    emu.device().faults().enumeration_fails = true;
    find_board();
    EXPECT_EQ(listed, -1);
}

TEST_F(Seam, DeviceCallsOfBothModesReachTheDevice) {
    DeviceSeam seam(module, emu.device());
    for (bool wdf : {true, false}) {
        SCOPED_TRACE(wdf ? "WDF" : "control codes");
        emu.device().config().wdf = wdf;
        const HANDLE h = probe.open(find_board().c_str(), OPEN_EXISTING);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);

        char version[512] = {};
        DWORD done = 0;
        ASSERT_TRUE(probe.control(h, ioctl::kVersion, nullptr, 0, version, sizeof version, &done));
        EXPECT_EQ(std::strstr(version, "WDF") != nullptr, wdf);
        EXPECT_EQ(get_status(h, wdf), board::kGetStatus);
        EXPECT_TRUE(probe.close(h));
    }
    const sim::usb::UsbLog& log = emu.device().log();
    EXPECT_EQ(log.opens, 2u);
    EXPECT_EQ(log.closes, 2u);
    EXPECT_EQ(log.board_commands, 2u);
    EXPECT_EQ(log.ioctls.at(ioctl::kVersion), 2u);
    EXPECT_EQ(log.ioctls.at(ioctl::kWrite), 1u);
    EXPECT_EQ(emu.device().open_handles(), 0u);
}

TEST_F(Seam, TheDevicesErrorsComeBackThroughGetLastError) {
    DeviceSeam seam(module, emu.device());
    const std::string path = emu.device().config().identity.path;
    emu.device().set_present(false);
    EXPECT_EQ(probe.open(path.c_str(), OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(probe.last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    emu.device().set_present(true);
    const HANDLE h = probe.open(path.c_str(), OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::uint8_t buffer[16];
    DWORD done = 99;
    EXPECT_FALSE(probe.read(h, buffer, sizeof buffer, &done)); // nothing sent: the read times out
    EXPECT_EQ(probe.last_error(), static_cast<DWORD>(ERROR_SEM_TIMEOUT));
    EXPECT_EQ(done, 0u);

    emu.device().disconnect();
    EXPECT_FALSE(probe.write(h, buffer, 4, &done));
    EXPECT_EQ(probe.last_error(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_TRUE(probe.close(h));
}

TEST_F(Seam, CallsOnOtherHandlesPassThroughToTheRealFunctions) {
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "sea", 0, file);
    DeviceSeam seam(module, emu.device());

    HANDLE h = probe.open(file, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(probe.write(h, "log line\n", 9, &done));
    EXPECT_EQ(done, 9u);
    EXPECT_TRUE(probe.close(h));

    h = probe.open(file, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char back[32] = {};
    EXPECT_TRUE(probe.read(h, back, sizeof back, &done));
    EXPECT_STREQ(back, "log line\n");
    DWORD returned = 0;
    EXPECT_FALSE(probe.control(h, ioctl::kVersion, nullptr, 0, back, sizeof back, &returned)); // a file is no device
    EXPECT_TRUE(probe.close(h));
    DeleteFileA(file);

    EXPECT_EQ(emu.device().log().io.size(), 0u);
    EXPECT_EQ(DeviceSeam::counters().device_calls, 0u);
    EXPECT_GE(DeviceSeam::counters().passed_through, 7u);
}

TEST_F(Seam, OnlyTheGivenModuleIsPatchedAndRemovingTheSeamRestoresIt) {
    const std::string path = emu.device().config().identity.path;
    {
        DeviceSeam seam(module, emu.device());
        // The test's own imports are untouched: the real call finds nothing.
        EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_EQ(emu.device().log().opens + emu.device().log().failed_opens, 0u);
        // A handle left open is closed for the device when the seam goes.
        EXPECT_NE(probe.open(path.c_str(), OPEN_EXISTING), INVALID_HANDLE_VALUE);
        EXPECT_EQ(emu.device().open_handles(), 1u);
    }
    EXPECT_EQ(emu.device().open_handles(), 0u);
    EXPECT_EQ(find_board(), "");
    EXPECT_EQ(probe.open(path.c_str(), OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(emu.device().log().opens, 1u);
}

TEST_F(Seam, FunctionsBoundByNameAtRunTimeAlsoLeadToTheDevice) {
    DeviceSeam seam(module, emu.device());
    auto* bound = reinterpret_cast<decltype(&DeviceIoControl)>(probe.bind("kernel32.dll", "DeviceIoControl"));
    EXPECT_NE(reinterpret_cast<void*>(bound),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "DeviceIoControl")));
    const HANDLE h = probe.open(emu.device().config().identity.path.c_str(), OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const DWORD ms = 777;
    DWORD done = 0;
    EXPECT_TRUE(bound(h, ioctl::kSetTimeout, const_cast<DWORD*>(&ms), 4, nullptr, 0, &done, nullptr));
    EXPECT_EQ(emu.device().timeout_ms(), 777u);
    EXPECT_EQ(probe.bind("kernel32.dll", "GetCurrentProcessId"),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentProcessId")));
    probe.close(h);
}

TEST_F(Seam, SleepsAreVirtualAndTheTickCountFollowsThem) {
    DeviceSeam seam(module, emu.device());
    const DWORD before_real = GetTickCount();
    const DWORD before = probe.ticks();
    probe.sleep(10000);
    EXPECT_GE(probe.ticks() - before, 10000u);
    EXPECT_LT(GetTickCount() - before_real, 5000u) << "no real wait";
    EXPECT_EQ(DeviceSeam::counters().virtual_sleep_ms, 10000u);
}

TEST_F(Seam, AnotherDeviceCannotJoinAnInstalledSeam) {
    DeviceSeam seam(module, emu.device());
    SimEmulator other;
    EXPECT_THROW(DeviceSeam(module, other.device()), std::logic_error);
}

} // namespace
} // namespace sim::host
