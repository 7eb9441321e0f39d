#include "ccsdriver/driver_startup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ccsdriver/driver_settings.h"
#include "ccsdriver/drv_hooks.h"
#include "ccsdriver/master_link.h"
#include "ccsdriver/trace_log.h"
#include "ccsdriver/usb_trace.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_box.h"
#include "framework/ui/framework_state.h"
#include "master/exports/master_api.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class DriverLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        FwResetHooksAndSettings();
        ResetDriverSettings();
        DeleteFileA(SettingsFilePath().c_str());
    }
    void TearDown() override
    {
        DeleteFileA(SettingsFilePath().c_str());
        DeleteFileA(TraceLogPath().c_str());
        ResetDriverSettings();
        FwResetHooksAndSettings();
        SendTargetRequest = nullptr;
        GetTargetReply = nullptr;
        SetTargetTimeout = nullptr;
    }
};

TEST_F(DriverLoad, StartupFillsTheSlotsAndHooksAndReadsTheSettings)
{
    DrvSetJtagSpeed(6);
    DrvSetLogOn(true);
    SaveDriverSettings();
    std::string saved = ReadText(SettingsFilePath());
    EXPECT_NE(std::string::npos, saved.find("[Options]")) << saved;
    ResetDriverSettings();

    DriverStartup();
    EXPECT_EQ(&UsbSendTargetRequest, SendTargetRequest);
    EXPECT_EQ(&UsbGetTargetReply, GetTargetReply);
    EXPECT_EQ(&UsbSetTargetTimeout, SetTargetTimeout);
    EXPECT_EQ(&DrvTraceMessage, g_usbTrace.trace);
    EXPECT_EQ(&DrvTraceMessage, g_usbTrace.error);
    EXPECT_EQ(&TraceLogWrite, g_fwHooks.traceSink);
    EXPECT_EQ(6u, DrvJtagSpeed());
    EXPECT_TRUE(DrvLogOn());
    EXPECT_EQ(1, g_fwSettings.tracing) << "the tracing flag follows LogOn";
    // Boxes of the framework's fault paths show nothing inside the host.
    EXPECT_EQ(&SilentBoxPresenter, GetBoxPresenter());
    // The framework's tooltip container and process history live while the
    // driver is loaded.
    ASSERT_NE(nullptr, TooltipContainer());
    EXPECT_STREQ("TTP", TooltipContainer()->Name());
    EXPECT_NE(nullptr, ProcessHistory());

    DrvSetJtagSpeed(2);
    DriverShutdown();
    EXPECT_EQ(nullptr, TooltipContainer());
    EXPECT_EQ(nullptr, ProcessHistory());
    EXPECT_NE(&TraceLogWrite, g_fwHooks.traceSink) << "no log after the unload line";
    EXPECT_NE(&SilentBoxPresenter, GetBoxPresenter());
    // A master library that stays loaded must not call into the unloaded driver.
    EXPECT_EQ(nullptr, SendTargetRequest);
    EXPECT_EQ(nullptr, GetTargetReply);
    EXPECT_EQ(nullptr, SetTargetTimeout);
    ResetDriverSettings();
    LoadDriverSettings();
    EXPECT_EQ(2u, DrvJtagSpeed()) << "written back at unload";
    EXPECT_TRUE(DrvLogOn());
}

TEST_F(DriverLoad, OutOfRangeSpeedInTheFileKeepsTheDefault)
{
    DrvSetJtagSpeed(4);
    SaveDriverSettings();
    std::string text = ReadText(SettingsFilePath());
    size_t at = text.find("JTAGSpeed");
    ASSERT_NE(std::string::npos, at);
    size_t digit = text.find('4', at);
    ASSERT_NE(std::string::npos, digit);
    text.replace(digit, 1, "12");
    WriteText(SettingsFilePath(), text);
    ResetDriverSettings();
    LoadDriverSettings();
    EXPECT_EQ(kJtagSpeedDefault, DrvJtagSpeed());
}

TEST_F(DriverLoad, MissingFileKeepsTheDefaults)
{
    LoadDriverSettings();
    EXPECT_EQ(kJtagSpeedDefault, DrvJtagSpeed());
    EXPECT_FALSE(DrvLogOn());
    EXPECT_STREQ("", DrvHelpFile());
}

}  // namespace
