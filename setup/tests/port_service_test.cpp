#include "setup/port_service.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "setup/install_seams.h"

namespace {

// A scratch copy of the Parport service key under HKCU, so that the table
// needs no rights and leaves the prefix's HKLM alone.
constexpr const char* kScratch = "Software\\VOQ-Test\\Services\\Parport";

uint32_t g_major = 10;
WindowsVersionInfo InjectedVersion() { return {VER_PLATFORM_WIN32_NT, g_major, g_major == 5 ? 1u : 0u}; }

class WarmPoll : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = SetWindowsVersionHook(&InjectedVersion);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VOQ-Test");
    }
    void TearDown() override
    {
        SetWindowsVersionHook(previous_);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VOQ-Test");
    }
    static void MakeParameters(const DWORD* value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + "\\Parameters").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (value) RegSetValueExA(key, "DisableWarmPoll", 0, REG_DWORD, reinterpret_cast<const BYTE*>(value), 4);
        RegCloseKey(key);
    }
    static bool ReadValue(DWORD& value)
    {
        DWORD size = sizeof value;
        return RegGetValueA(HKEY_CURRENT_USER, (std::string(kScratch) + "\\Parameters").c_str(), "DisableWarmPoll",
                            RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
    }

private:
    WindowsVersionHook previous_ = nullptr;
};

TEST_F(WarmPoll, DecisionTableOverKeyValueAndRealMajorVersion)
{
    enum Value { kMissing, kZero, kOne };
    struct Case {
        bool parameters;
        Value value;
        uint32_t major;
        int result;
        bool reboot;
        bool written;   // DisableWarmPoll is 1 afterwards
        size_t boxes;
    } cases[] = {
        // XP (code 6 like Windows 10, major 5): never touched.
        {true, kMissing, 5, 1, false, false, 0},
        {true, kZero, 5, 1, false, false, 0},
        {false, kMissing, 5, 1, false, false, 0},
        {true, kMissing, 6, 1, true, true, 0},
        {true, kZero, 6, 1, true, true, 0},
        {true, kOne, 6, 1, false, true, 0},
        {false, kMissing, 6, 0, false, false, 1},
        {true, kMissing, 10, 1, true, true, 0},
        {true, kZero, 10, 1, true, true, 0},
        {true, kOne, 10, 1, false, true, 0},
        {false, kMissing, 10, 0, false, false, 1},
    };
    for (const Case& c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VOQ-Test");
        const DWORD zero = 0, one = 1;
        if (c.parameters) MakeParameters(c.value == kMissing ? nullptr : c.value == kZero ? &zero : &one);
        g_major = c.major;
        FwBoxRecorder boxes;
        bool reboot = false;
        EXPECT_EQ(DisableWarmPoll(HKEY_CURRENT_USER, kScratch, reboot), c.result) << c.major << " " << c.value;
        EXPECT_EQ(reboot, c.reboot) << c.major << " " << c.value;
        DWORD value = 0;
        EXPECT_EQ(ReadValue(value) && value == 1, c.written) << c.major << " " << c.value;
        ASSERT_EQ(boxes.Boxes().size(), c.boxes) << c.major << " " << c.value;
        if (c.boxes) {
            EXPECT_EQ(boxes.Boxes()[0].messageId, 6744);
        }
    }
}

LONG Refuse(const char*) { return ERROR_ACCESS_DENIED; }

TEST_F(WarmPoll, RefusedWriteIsReportedAndAsksNoRestart)
{
    MakeParameters(nullptr);
    g_major = 10;
    const RegistryRefusalHook previous = SetRegistryRefusalHook(&Refuse);
    FwBoxRecorder boxes;
    bool reboot = false;
    EXPECT_EQ(DisableWarmPoll(HKEY_CURRENT_USER, kScratch, reboot), 1);
    SetRegistryRefusalHook(previous);
    EXPECT_FALSE(reboot);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 6746);
    EXPECT_NE(boxes.Boxes()[0].text.find("Parport\\Parameters"), std::string::npos) << boxes.Boxes()[0].text;
}

// A service manager that answers from a script and counts its handles.
struct FakeScm {
    DWORD managerError = 0;
    DWORD openError = 0;  // of the first OpenServiceA call; later ones succeed
    DWORD createError = 0;
    DWORD startError = 0;
    int opened = 0, closed = 0, creates = 0, starts = 0;
    size_t openCalls = 0;
};
FakeScm* g_scm = nullptr;

SC_HANDLE Handle() { return reinterpret_cast<SC_HANDLE>(static_cast<uintptr_t>(0x100 + ++g_scm->opened)); }
SC_HANDLE WINAPI FakeOpenManager(LPCSTR, LPCSTR, DWORD)
{
    if (g_scm->managerError) {
        SetLastError(g_scm->managerError);
        return nullptr;
    }
    return Handle();
}
SC_HANDLE WINAPI FakeOpenService(SC_HANDLE, LPCSTR name, DWORD)
{
    EXPECT_STREQ(name, "PortTalk");
    const size_t call = g_scm->openCalls++;
    const DWORD error = call == 0 ? g_scm->openError : 0;
    if (error) {
        SetLastError(error);
        return nullptr;
    }
    return Handle();
}
SC_HANDLE WINAPI FakeCreateService(SC_HANDLE, LPCSTR, LPCSTR, DWORD, DWORD, DWORD, DWORD, LPCSTR, LPCSTR, LPDWORD,
                                   LPCSTR, LPCSTR, LPCSTR)
{
    ++g_scm->creates;
    if (g_scm->createError) {
        SetLastError(g_scm->createError);
        return nullptr;
    }
    return Handle();
}
BOOL WINAPI FakeStart(SC_HANDLE, DWORD, LPCSTR*)
{
    ++g_scm->starts;
    if (!g_scm->startError) return TRUE;
    SetLastError(g_scm->startError);
    return FALSE;
}
BOOL WINAPI FakeClose(SC_HANDLE)
{
    ++g_scm->closed;
    return TRUE;
}
const ServiceControlApi kFake = {&FakeOpenManager, &FakeOpenService, &FakeCreateService, &FakeStart, &FakeClose};

TEST(PortService, ServiceManagerAnswersGiveTheirMessagesAndEveryHandleIsClosed)
{
    struct Case {
        const char* what;
        DWORD managerError, openError, startError;
        int result;
        int starts;
        const char* message;  // start of the one message, or null for none
    } cases[] = {
        {"manager denied", ERROR_ACCESS_DENIED, 0, 0, 0, 0,
         "You do not have rights to access the Service Control Manager"},
        {"manager other failure", ERROR_INVALID_PARAMETER, 0, 0, 0, 0, nullptr},
        {"service denied", 0, ERROR_ACCESS_DENIED, 0, 0, 0, "You do not have rights to the PortTalk service database"},
        {"invalid name", 0, ERROR_INVALID_NAME, 0, 0, 0, "The specified service name is invalid."},
        {"other open failure", 0, ERROR_INVALID_HANDLE, 0, 0, 0, nullptr},
        {"started", 0, 0, 0, 1, 1, nullptr},
        {"already running", 0, 0, ERROR_SERVICE_ALREADY_RUNNING, 1, 1,
         "PortTalk: The PortTalk driver is already running."},
        {"start failed", 0, 0, ERROR_FILE_NOT_FOUND, 1, 1,
         "PortTalk: Unknown error while starting PortTalk driver service"},
        // Not installed, and the driver file is not in the support folder.
        {"missing, no driver file", 0, ERROR_SERVICE_DOES_NOT_EXIST, 0, 0, 0, "PortTalk: Failed to copy driver to "},
    };
    for (const Case& c : cases) {
        FakeScm scm;
        scm.managerError = c.managerError;
        scm.openError = c.openError;
        scm.startError = c.startError;
        g_scm = &scm;
        const ServiceControlApi* previous = SetServiceControlApi(&kFake);
        FwBoxRecorder boxes;
        EXPECT_EQ(StartPortService("C:\\voq-no-such-folder"), c.result) << c.what;
        SetServiceControlApi(previous);
        EXPECT_EQ(scm.starts, c.starts) << c.what;
        EXPECT_EQ(scm.closed, scm.opened) << c.what;
        EXPECT_EQ(scm.creates, 0) << c.what;
        if (!c.message) {
            EXPECT_TRUE(boxes.Boxes().empty()) << c.what;
            continue;
        }
        ASSERT_EQ(boxes.Boxes().size(), 1u) << c.what;
        EXPECT_EQ(boxes.Boxes()[0].text.rfind(c.message, 0), 0u) << c.what << ": " << boxes.Boxes()[0].text;
    }
    g_scm = nullptr;
}

std::string SystemDriver()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    return std::string(system) + "\\Drivers\\PortTalk.sys";
}

TEST(PortService, AMissingServiceIsInstalledOnceAndACreateFailureIsReported)
{
    TempTree support;
    support.Write("porttalk.sys", "stand-in driver");
    struct Case {
        DWORD createError;
        int result, creates, starts;
        const char* message;
    } cases[] = {
        {0, 1, 1, 1, nullptr},
        {ERROR_SERVICE_EXISTS, 0, 1, 0, "PortTalk: Unable to create the PortTalk service:\n"},
    };
    for (const Case& c : cases) {
        DeleteFileA(SystemDriver().c_str());
        FakeScm scm;
        scm.openError = ERROR_SERVICE_DOES_NOT_EXIST;
        scm.createError = c.createError;
        g_scm = &scm;
        const ServiceControlApi* previous = SetServiceControlApi(&kFake);
        FwBoxRecorder boxes;
        EXPECT_EQ(StartPortService(support.Root().c_str()), c.result);
        SetServiceControlApi(previous);
        g_scm = nullptr;
        EXPECT_EQ(scm.creates, c.creates);
        EXPECT_EQ(scm.starts, c.starts);
        EXPECT_EQ(scm.closed, scm.opened);
        // The driver was copied into the system's Drivers folder first.
        EXPECT_NE(GetFileAttributesA(SystemDriver().c_str()), INVALID_FILE_ATTRIBUTES);
        if (!c.message) {
            EXPECT_TRUE(boxes.Boxes().empty());
            EXPECT_EQ(scm.openCalls, 2u);
            continue;
        }
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text.rfind(c.message, 0), 0u) << boxes.Boxes()[0].text;
        EXPECT_EQ(scm.openCalls, 1u);
    }
    DeleteFileA(SystemDriver().c_str());
}

WindowsVersionInfo Windows98() { return {VER_PLATFORM_WIN32_WINDOWS, 4, 10}; }
WindowsVersionInfo WindowsNt351() { return {VER_PLATFORM_WIN32_NT, 3, 51}; }

TEST(PortService, NothingHappensWithoutTheDriverFileOrBeforeNt4)
{
    TempTree support;
    support.Write("porttalk.sys", "stand-in driver");
    struct Case {
        const char* what;
        WindowsVersionHook version;  // null: the system's
        bool withFile;
    } cases[] = {
        {"no driver file", nullptr, false},
        {"Windows 98", &Windows98, true},
        {"NT 3.51", &WindowsNt351, true},
    };
    for (const Case& c : cases) {
        FakeScm scm;
        g_scm = &scm;
        const ServiceControlApi* previous = SetServiceControlApi(&kFake);
        const WindowsVersionHook previousVersion = SetWindowsVersionHook(c.version);
        FwBoxRecorder boxes;
        bool reboot = false;
        EXPECT_EQ(InstallPortDriver(c.withFile ? support.Root().c_str() : "C:\\voq-no-such-folder", reboot), 1)
            << c.what;
        SetWindowsVersionHook(previousVersion);
        SetServiceControlApi(previous);
        g_scm = nullptr;
        EXPECT_EQ(scm.opened, 0) << c.what;
        EXPECT_FALSE(reboot) << c.what;
        EXPECT_TRUE(boxes.Boxes().empty()) << c.what;
    }
}

}  // namespace
