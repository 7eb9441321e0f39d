#include "setup/shortcuts_names.h"

#include <gtest/gtest.h>

#include "framework/ui/ml_text.h"
#include "setup/install_seams.h"

namespace {

TEST(ShortcutNames, PlainFileNamesAreAcceptedAndPathLikeOrDeviceNamesRefused)
{
    struct Case {
        const char* name;
        bool ok;
    } cases[] = {
        {"VOQ Monitor", true},
        {"Help (English)", true},
        {"v1.02.3", true},
        {"\323\344\340\353\350\362\374", true},  // Cyrillic letters in 1251
        {"", false},
        {"a\\b", false},
        {"a/b", false},
        {"..", false},
        {"..\\x", false},
        {"a..b", false},
        {"C:x", false},
        {"a*b", false},
        {"a?b", false},
        {"a\"b", false},
        {"a<b>", false},
        {"a|b", false},
        {"tab\there", false},
        {"dot.", false},
        {"blank ", false},
        {"CON", false},
        {"con.txt", false},
        {"Lpt1", false},
        {"COM9.lnk", false},
        {"COM0", true},
        {"CONSOLE", true},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(IsPlainFileName(c.name, reason), c.ok) << c.name;
        EXPECT_EQ(reason.empty(), c.ok) << c.name << ": " << reason;
    }
}

TEST(ShortcutNames, RelativePathsStayBelowTheirFolder)
{
    struct Case {
        const char* path;
        bool ok;
    } cases[] = {
        {"bin\\tool.exe", true},
        {"icons/app.ico", true},
        {"app.ico", true},
        {"..\\x.ico", false},
        {"a\\..\\..\\x", false},
        {"\\x", false},
        {"/x", false},
        {"C:\\x", false},
        {"C:x", false},
        {"\\\\srv\\s\\x", false},
        {"a\\\\b", false},  // an empty level
        {"a\\", false},
        {"", false},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(IsSafeRelativePath(c.path, reason), c.ok) << c.path << ": " << reason;
    }
}

class SystemLanguage : public ::testing::Test {
protected:
    static uint16_t Russian() { return 1049; }
    static uint16_t English() { return 1033; }
    void Use(SystemLangHook hook) { previous_ = SetSystemLangHook(hook); }
    void TearDown() override
    {
        if (previous_) SetSystemLangHook(previous_);
        g_mlLanguage = 0;
    }

private:
    SystemLangHook previous_ = nullptr;
};

TEST_F(SystemLanguage, ItemsAreRussianOnlyOnARussianSystemWithNoRussianOff)
{
    // The setup's own language does not count.
    g_mlLanguage = 1;
    Use(&English);
    EXPECT_EQ(ItemLanguage(false), 0);
    EXPECT_EQ(ItemLanguage(true), 0);
    Use(&Russian);
    EXPECT_EQ(ItemLanguage(false), 1);
    EXPECT_EQ(ItemLanguage(true), 0);
}

TEST_F(SystemLanguage, UninstallNameNamesTheProductAndTargetsTheUninstaller)
{
    struct Case {
        uint8_t language;
        const char* target;
        const char* name;
        const char* renamedTarget;
    } cases[] = {
        {0, "C:\\VOQ\\setup.exe", "Uninstall VOQ", "C:\\VOQ\\unrigger.exe"},
        {1, "C:\\VOQ\\setup.exe", "\323\344\340\353\350\362\374 VOQ", "C:\\VOQ\\unrigger.exe"},
        {0, "C:\\VOQ\\tools/remove", "Uninstall VOQ", "C:\\VOQ\\tools/unrigger"},
        {0, "C:\\a.b\\remove", "Uninstall VOQ", "C:\\a.b\\unrigger"},
    };
    for (const Case& c : cases) {
        std::string name = "Uninstall # Modify # Repair", target = c.target;
        EXPECT_TRUE(ApplyUninstallName(name, target, "VOQ", c.language));
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(target, c.renamedTarget);
    }
    std::string name = "Uninstall", target = "C:\\VOQ\\setup.exe";
    EXPECT_FALSE(ApplyUninstallName(name, target, "VOQ", 0));
    EXPECT_EQ(name, "Uninstall");
    EXPECT_EQ(target, "C:\\VOQ\\setup.exe");
}

}  // namespace
