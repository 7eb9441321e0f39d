// The language, licence and restart pages, run as the main flow runs them:
// which files they choose, what they show, and what each way out gives.
#include "setup/simple_pages.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/tests/support/dialog_script.h"
#include "framework/window/window_text.h"
#include "setup/install_seams.h"
#include "setup/page_seams.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

uint16_t g_langId = 1033;
uint16_t FakeLangId() { return g_langId; }

int g_restarts = 0;
bool FakeRestart()
{
    ++g_restarts;
    return true;
}

bool Checked(HWND h, int id) { return SendDlgItemMessageA(h, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }
bool Enabled(HWND h, int id) { return IsWindowEnabled(GetDlgItem(h, id)) != 0; }

// Checks a radio button or check box as a click does.
void Tick(HWND h, int id)
{
    SendDlgItemMessageA(h, id, BM_CLICK, 0, 0);
    PumpPending();
}

class SimplePages : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousLang_ = SetSystemLangHook(&FakeLangId);
        previousRestart_ = SetRestartHook(&FakeRestart);
        g_langId = 1033;
        g_restarts = 0;
        tree.MakeDir("support");
        state.supportDir = tree.Path("support");
        state.product.name = "VOQ Tools";
        state.product.version = "1.02.3";
        state.caption = "VOQ Tools v. 1.02.3 Installation";
    }
    void TearDown() override
    {
        SetSystemLangHook(previousLang_);
        SetRestartHook(previousRestart_);
        g_mlLanguage = 0;
    }

    TempTree tree;
    SetupState state;

private:
    SystemLangHook previousLang_ = nullptr;
    RestartHook previousRestart_ = nullptr;
};

TEST_F(SimplePages, LanguagePageOnlyOnARussianSystemAndTheHelpFileInEveryCase)
{
    tree.Write("support\\setupr.chm", "help");
    // Not Russian: no page, English help.
    {
        NextDialogScript script([](Dialog& d) { d.CloseWindow(-3); });
        EXPECT_EQ(GetSetupLanguage(state, true), SETUP_RESULT_SKIPPED);
        EXPECT_FALSE(script.Ran());
    }
    EXPECT_EQ(state.helpFile, tree.Path("support\\setup.chm"));
    EXPECT_EQ(std::string(GetHelpFile()), state.helpFile);

    g_langId = 1049;
    for (const bool russian : {false, true}) {
        NextDialogScript script([&](Dialog& d) {
            HWND h = d.GetHandle();
            EXPECT_EQ(d.TemplateId(), SETUP_DLG_LANGUAGE);
            EXPECT_FALSE(Enabled(h, SETUP_CTL_BACK));
            // English is chosen when the page opens.
            EXPECT_TRUE(Checked(h, 101));
            EXPECT_FALSE(Checked(h, 100));
            EXPECT_EQ(ItemText(h, 103), "Choose the language in which the setup of VOQ Tools v1.02.3 talks to you:");
            if (!russian) SaveScreenshot(h, "page_language_en");
            if (russian) Tick(h, 100);
            Click(h, SETUP_CTL_NEXT);
        });
        state.language = SETUP_LANG_ENGLISH;
        g_mlLanguage = 0;
        EXPECT_EQ(GetSetupLanguage(state, true), SETUP_RESULT_NEXT);
        EXPECT_TRUE(script.Ran());
        EXPECT_EQ(state.IsRussian(), russian);
        EXPECT_EQ(g_mlLanguage, russian ? 1 : 0);
        EXPECT_EQ(state.caption, russian ? "\323\361\362\340\355\356\342\352\340 VOQ Tools v. 1.02.3"
                                         : "VOQ Tools v. 1.02.3 Installation");
        EXPECT_EQ(state.helpFile, tree.Path(russian ? "support\\setupr.chm" : "support\\setup.chm"));
    }
    // Russian without a Russian help file: setup.chm. The page now opens in
    // Russian with Russian chosen; Back leaves the language as it was.
    tree.Write("support\\setupr.chm", "");
    DeleteFileA(tree.Path("support\\setupr.chm").c_str());
    {
        NextDialogScript script([&](Dialog& d) {
            HWND h = d.GetHandle();
            EXPECT_EQ(d.TemplateId(), SETUP_DLG_LANGUAGE + 10000);
            EXPECT_TRUE(Checked(h, 100));
            EXPECT_TRUE(Enabled(h, SETUP_CTL_BACK));
            SaveScreenshot(h, "page_language_ru");
            Tick(h, 101);
            Click(h, SETUP_CTL_BACK);
        });
        EXPECT_EQ(GetSetupLanguage(state, false), SETUP_RESULT_BACK);
    }
    EXPECT_TRUE(state.IsRussian());
    EXPECT_EQ(state.helpFile, tree.Path("support\\setup.chm"));
}

TEST_F(SimplePages, LicenceFileFollowsTheLanguageWithLicenseTxtAsFallback)
{
    struct Case {
        bool english, russian;  // license.txt, licenser.txt present
        uint8_t language;
        const char* expected;   // "" = none
    };
    const Case cases[] = {
        {true, true, SETUP_LANG_ENGLISH, "license.txt"},  {true, true, SETUP_LANG_RUSSIAN, "licenser.txt"},
        {true, false, SETUP_LANG_RUSSIAN, "license.txt"}, {false, true, SETUP_LANG_ENGLISH, ""},
        {false, true, SETUP_LANG_RUSSIAN, "licenser.txt"}, {false, false, SETUP_LANG_RUSSIAN, ""},
    };
    for (const Case& c : cases) {
        DeleteFileA(tree.Path("support\\license.txt").c_str());
        DeleteFileA(tree.Path("support\\licenser.txt").c_str());
        if (c.english) tree.Write("support\\license.txt", "E");
        if (c.russian) tree.Write("support\\licenser.txt", "R");
        state.language = c.language;
        const std::string expected = *c.expected ? tree.Path(std::string("support\\") + c.expected) : "";
        EXPECT_EQ(LicenceFile(state), expected) << c.english << c.russian << int(c.language);
    }
    // No licence at all: no page.
    NextDialogScript script([](Dialog& d) { d.CloseWindow(-3); });
    EXPECT_EQ(DisplayLicense(state, true), SETUP_RESULT_SKIPPED);
    EXPECT_FALSE(script.Ran());
}

TEST_F(SimplePages, LicenceNextFollowsTheBoxAndTheTextIsShownWhole)
{
    std::string licence = "VOQ Tools licence\nfor $P v$V\r\nline three\n";
    for (int i = 0; i < 400; ++i) licence += "Clause " + std::to_string(i) + ": the software is provided as is.\n";
    tree.Write("support\\license.txt", licence);
    NextDialogScript script([&](Dialog& d) {
        HWND h = d.GetHandle();
        const std::string shown = ItemText(h, 102);
        // Line ends become CR LF; a text this long is not cut by the
        // names' expansion.
        EXPECT_TRUE(StartsWith(shown, "VOQ Tools licence\r\nfor $P v$V\r\nline three\r\nClause 0: ")) << shown.substr(0, 60);
        EXPECT_GT(shown.size(), 8192u);
        EXPECT_EQ(SendDlgItemMessageA(h, 102, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        DWORD start = 1, end = 1;
        SendDlgItemMessageA(h, 102, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 0u);
        EXPECT_FALSE(Checked(h, 100));
        EXPECT_FALSE(Enabled(h, SETUP_CTL_NEXT));
        // Enter on the disabled Next does nothing.
        Click(h, SETUP_CTL_NEXT);
        PumpPending();
        EXPECT_TRUE(IsWindow(h));
        Tick(h, 100);
        EXPECT_TRUE(Enabled(h, SETUP_CTL_NEXT));
        Tick(h, 100);
        EXPECT_FALSE(Enabled(h, SETUP_CTL_NEXT));
        Tick(h, 100);
        SaveScreenshot(h, "page_license_en");
        Click(h, SETUP_CTL_NEXT);
    });
    EXPECT_EQ(DisplayLicense(state, false), SETUP_RESULT_NEXT);
    EXPECT_TRUE(script.Ran());
}

TEST_F(SimplePages, LicenceInRussianWithABannerAndCancelAnsweredNoThenYes)
{
    tree.Write("support\\licenser.txt", "\314\356\346\355\356 \350\361\357\356\353\374\347\356\342\340\362\374 $P.\n");
    state.language = SETUP_LANG_RUSSIAN;
    g_mlLanguage = 1;
    {
        ScreenDC screen;
        state.bannerBitmap = std::make_unique<Bitmap>(screen, 160, 60);
        MemoryDC dc(screen);
        SelectObjectScope select(dc, *state.bannerBitmap);
        RECT r{0, 0, 160, 60};
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    state.product.bannerAlign = "Right";
    state.product.bannerColorL = RGB(255, 255, 255);
    state.product.bannerColorR = RGB(0, 128, 0);
    state.product.bannerTextColor = RGB(0, 0, 128);
    state.product.bannerTextX = 12;
    state.product.bannerTextY = 20;
    FwBoxRecorder boxes(IDNO);
    NextDialogScript script([&](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(d.TemplateId(), SETUP_DLG_LICENSE + 10000);
        EXPECT_EQ(ItemText(h, 102), "\314\356\346\355\356 \350\361\357\356\353\374\347\356\342\340\362\374 VOQ Tools.\r\n");
        SaveScreenshot(h, "page_license_ru_banner");
        Click(h, IDCANCEL);
        PumpPending();
        EXPECT_TRUE(IsWindow(h));
        boxes.SetAnswer(IDYES);
        Click(h, IDCANCEL);
    });
    EXPECT_EQ(DisplayLicense(state, true), SETUP_RESULT_CANCEL);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST_F(SimplePages, RestartPageAsksOnlyWhenNeededAndLeavesTheRestartToTheMainFlow)
{
    // No restart needed: no page.
    {
        NextDialogScript script([](Dialog& d) { d.CloseWindow(-3); });
        EXPECT_EQ(CheckReboot(state, false), SETUP_RESULT_SKIPPED);
        EXPECT_FALSE(script.Ran());
    }
    struct Case {
        int choice;  // 0: keep "restart now"; else the radio button to tick; IDCANCEL: cancel
        int result;
        bool pending;
    };
    FwBoxRecorder boxes(IDYES);
    for (const Case c : {Case{0, SETUP_RESULT_NEXT, true}, Case{101, SETUP_RESULT_SKIPPED, false},
                         Case{IDCANCEL, SETUP_RESULT_SKIPPED, false}}) {
        state.rebootRequired = true;
        state.restartPending = false;
        NextDialogScript script([&](Dialog& d) {
            HWND h = d.GetHandle();
            EXPECT_EQ(d.TemplateId(), SETUP_DLG_REBOOT);
            // Back leads nowhere after the installation.
            EXPECT_FALSE(Enabled(h, SETUP_CTL_BACK));
            EXPECT_TRUE(Checked(h, 100));
            EXPECT_TRUE(StartsWith(ItemText(h, 103), "VOQ Tools v1.02.3 has been installed. ")) << ItemText(h, 103);
            if (c.choice == 0) SaveScreenshot(h, "page_reboot_en");
            if (c.choice == IDCANCEL) {
                Click(h, IDCANCEL);
                return;
            }
            if (c.choice) Tick(h, c.choice);
            Click(h, SETUP_CTL_NEXT);
        });
        EXPECT_EQ(CheckReboot(state, false), c.result) << c.choice;
        EXPECT_EQ(state.restartPending, c.pending) << c.choice;
        if (c.choice == 101) {
            EXPECT_FALSE(state.rebootRequired);
        }
    }
    // The page never restarts itself; the main flow does, through the seam.
    EXPECT_EQ(g_restarts, 0);
    EXPECT_TRUE(RestartSystem());
    EXPECT_EQ(g_restarts, 1);

    g_mlLanguage = 1;
    state.language = SETUP_LANG_RUSSIAN;
    state.rebootRequired = true;
    NextDialogScript script([&](Dialog& d) {
        EXPECT_EQ(d.TemplateId(), SETUP_DLG_REBOOT + 10000);
        SaveScreenshot(d.GetHandle(), "page_reboot_ru");
        Click(d.GetHandle(), SETUP_CTL_NEXT);
    });
    EXPECT_EQ(CheckReboot(state, true), SETUP_RESULT_NEXT);
}

}  // namespace
