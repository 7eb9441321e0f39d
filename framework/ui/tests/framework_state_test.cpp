// The framework's process-wide state: the tooltip container with its session
// option, and the process history loaded when the state is built and saved
// when it goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/base/hooks.h"
#include "framework/base/ml_text.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/ev_handler.h"
#include "framework/ui/framework_state.h"

namespace {

std::string TempBase()
{
    char dir[MAX_PATH] = "";
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "fw_state_test";
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ProjectName : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = g_fwSettings.projectName;
        name_ = TempBase();
        g_fwSettings.projectName = name_.c_str();
        file_ = TempBase() + ".HST";
        std::remove(file_.c_str());
    }
    void TearDown() override
    {
        std::remove(file_.c_str());
        g_fwSettings.projectName = saved_;
    }
    const char* saved_ = nullptr;
    std::string name_, file_;
};

TEST_F(ProjectName, TooltipContainerIsARootNamedTTPWithABoundedSessionOption)
{
    EXPECT_EQ(TooltipContainer(), nullptr);
    FrameworkState state(true);
    STooltipContainer* tips = TooltipContainer();
    ASSERT_NE(tips, nullptr);
    EXPECT_STREQ(tips->Name(), "TTP");
    EXPECT_EQ(tips->Parent(), nullptr);
    EXPECT_EQ(tips->TextId(), 14109u);
    tips->Option().SetText(std::string(5000, 'x').c_str());
    EXPECT_EQ(std::string(tips->Option().GetText()).size(), STooltipContainer::kMaxText - 1);
    // It travels with the session, under its key.
    tips->Option().SetText("shown once");
    INIStream session;
    session.SelectSection("Session");
    PEvHandlerDispatcher::OnSessionWrite(&session);
    ASSERT_NE(session.FindValue("TTP"), nullptr);
    tips->Option().SetText("");
    PEvHandlerDispatcher::OnSessionRead(&session);
    EXPECT_STREQ(tips->Option().GetText(), "shown once");
}

// The option's text id names a bilingual resource text; its Russian half
// comes out as stored (code page 1251, untouched by the 866 conversion).
TEST_F(ProjectName, TooltipOptionCaptionResolvesInBothLanguages)
{
    FrameworkState state(true);
    ASSERT_NE(TooltipContainer(), nullptr);
    const char* id = reinterpret_cast<const char*>(static_cast<uintptr_t>(TooltipContainer()->TextId()));
    EXPECT_STREQ(GetMLTextIn(0, id), "Tooltips");
    EXPECT_STREQ(GetMLTextIn(1, id), "\xCF\xEE\xE4\xF1\xEA\xE0\xE7\xEA\xE8");
    // The key stays the literal, whatever the language.
    EXPECT_STREQ(TooltipContainer()->Option().KeyName(), "TTP");
}

TEST_F(ProjectName, ProcessHistoryIsLoadedWhenBuiltAndSavedWhenTheStateGoes)
{
    {
        std::ofstream out(file_, std::ios::binary);
        out << "[1A_0]\r\nT=\"abc\"\r\n[Options]\r\nT=\"ignored\"\r\n";
    }
    {
        FrameworkState state;
        History* history = ProcessHistory();
        ASSERT_NE(history, nullptr);
        ASSERT_NE(history->Text(0x1A, 0), nullptr);
        EXPECT_STREQ(history->Text(0x1A, 0), "abc");
        history->Add(0x1A, "def");
        History::SetNumber(0x2B, 42);
    }
    EXPECT_EQ(ProcessHistory(), nullptr);
    uint32_t number = 0;
    EXPECT_FALSE(History::GetNumber(0x2B, number));  // no process history now
    const std::string saved = ReadAll(file_);
    EXPECT_NE(saved.find("[1A_1]"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"def\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("[2B_0]"), std::string::npos) << saved;
    // The next run reads what this one kept.
    FrameworkState next;
    ASSERT_NE(ProcessHistory()->Text(0x1A, 0), nullptr);
    EXPECT_STREQ(ProcessHistory()->Text(0x1A, 0), "def");
    EXPECT_TRUE(History::GetNumber(0x2B, number));
    EXPECT_EQ(number, 42u);
}

TEST_F(ProjectName, ReadOnlyHistoryNeitherReadsNorWrites)
{
    {
        std::ofstream out(file_, std::ios::binary);
        out << "[1A_0]\r\nT=\"abc\"\r\n";
    }
    {
        FrameworkState state(true);
        EXPECT_EQ(ProcessHistory()->Text(0x1A, 0), nullptr);
        ProcessHistory()->Add(0x1A, "def");
    }
    EXPECT_EQ(ReadAll(file_), "[1A_0]\r\nT=\"abc\"\r\n");
}

}  // namespace
