// The stand-in host's session on a stand-in driver (fake_gti.dll, which runs
// the program on a simulated core directly): the calls and their arguments
// reach the driver as the host means them, failures are reported with the
// driver's error text, and missing exports fail their steps.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "sim/host/session/gti_api.h"
#include "sim/host/session/host_session.h"

namespace sim::host {
namespace {

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryA("fake_gti.dll");
        ASSERT_NE(module, nullptr) << GetLastError();
        fail = reinterpret_cast<decltype(fail)>(reinterpret_cast<void*>(GetProcAddress(module, "fake_gti_fail")));
        calls = reinterpret_cast<decltype(calls)>(reinterpret_cast<void*>(GetProcAddress(module, "fake_gti_calls")));
        setting = reinterpret_cast<decltype(setting)>(reinterpret_cast<void*>(GetProcAddress(module, "fake_gti_setting")));
        data = reinterpret_cast<decltype(data)>(reinterpret_cast<void*>(GetProcAddress(module, "fake_gti_data")));
        ASSERT_TRUE(fail && calls && setting && data);
        api.bind(module);
        options.wait = [](unsigned) {};
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    const SessionStep& step(const HostSession& s, const char* name) {
        static const SessionStep none{"(none)", false, "step not run"};
        const SessionStep* found = s.find(name);
        EXPECT_NE(found, nullptr) << name;
        return found ? *found : none;
    }

    HMODULE module = nullptr;
    void(__cdecl* fail)(const char*, std::uint32_t) = nullptr;
    const char*(__cdecl* calls)() = nullptr;
    std::uint32_t(__cdecl* setting)(int) = nullptr;
    std::uint32_t(__cdecl* data)(std::uint32_t) = nullptr;
    GtiApi api;
    SessionOptions options;
};

TEST_F(Session, RunsTheProgramToItsBreakpointAndReadsTheResultsBack) {
    options.tck_index = 5;
    options.log_on = true;
    HostSession session(api, nullptr);
    EXPECT_TRUE(session.run(options));
    for (const SessionStep& s : session.steps()) EXPECT_TRUE(s.ok) << s.name << ": " << s.detail;

    EXPECT_EQ(setting(0), 5u) << "TCK Frequency";
    EXPECT_EQ(setting(1), 1u) << "Log File";
    EXPECT_EQ(data(0x2001), 0x1235u) << "the program ran on the core";
    EXPECT_EQ(std::string(calls()),
              "GTI_GETCONFIGPARAM;GTI_SETCONFIGPARAM;GTI_INIT_EX;GTI_RESET;GTI_WRITEMEM_BLK;GTI_WRITEMEM_BLK;"
              "GTI_SETBP;GTI_WRITEREG;GTI_RUN_EX;GTI_STAT;GTI_READREG;GTI_READREG;GTI_CLEARBP;GTI_READMEM_BLK;"
              "GTI_READMEM_BLK;GTI_QUIT;");
    EXPECT_EQ(step(session, "GTI_READREG PC").detail, "PC = 0x1006");
}

TEST_F(Session, AFailedCallIsReportedWithTheDriversErrorTextAndTheSessionGoesOn) {
    fail("GTI_READMEM_BLK", 0x01210010);
    HostSession session(api, nullptr);
    EXPECT_FALSE(session.run(options));
    const SessionStep& read = step(session, "GTI_READMEM_BLK data");
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.detail.find("origin 0x0121"), std::string::npos) << read.detail;
    EXPECT_NE(read.detail.find("Timeout when the VOQ-xxx device reading."), std::string::npos) << read.detail;
    EXPECT_TRUE(step(session, "GTI_QUIT").ok);
}

TEST_F(Session, AFailedInitSkipsTheTargetAndStillQuits) {
    fail("GTI_INIT_EX", 0x04010003);
    HostSession session(api, nullptr);
    EXPECT_FALSE(session.run(options));
    EXPECT_FALSE(step(session, "GTI_INIT_EX").ok);
    EXPECT_EQ(session.find("GTI_RESET"), nullptr);
    EXPECT_TRUE(step(session, "GTI_QUIT").ok);
}

TEST_F(Session, ATargetThatNeverStopsIsHaltedAfterTheLastPoll) {
    // No breakpoint: the program loops at 0x1007 until the host halts it.
    fail("GTI_SETBP", 0x0D390101);
    options.max_status_polls = 3;
    HostSession session(api, nullptr);
    EXPECT_FALSE(session.run(options));
    const SessionStep& stat = step(session, "GTI_STAT until stopped");
    EXPECT_FALSE(stat.ok);
    EXPECT_NE(stat.detail.find("after 3 polls (still running)"), std::string::npos) << stat.detail;
    EXPECT_NE(std::string(calls()).find("GTI_STAT;GTI_STAT;GTI_STAT;GTI_HALT;"), std::string::npos) << calls();
    EXPECT_TRUE(step(session, "GTI_HALT").ok);
    EXPECT_EQ(step(session, "GTI_READREG PC").detail, "PC = 0x1007, expected 0x1006");
}

TEST_F(Session, MissingExportsFailTheirStepsWithoutACall) {
    GtiApi none;
    EXPECT_FALSE(none.bind(GetModuleHandleA(nullptr)));
    EXPECT_EQ(none.missing.front(), "_GTI_INIT_EX");
    HostSession session(none, nullptr);
    EXPECT_FALSE(session.run(options));
    EXPECT_EQ(step(session, "GTI_INIT_EX").detail, "the driver does not export it");
    EXPECT_FALSE(step(session, "GTI_QUIT").ok);
}

} // namespace
} // namespace sim::host
