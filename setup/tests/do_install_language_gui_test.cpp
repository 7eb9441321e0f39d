#include "setup/do_install_language.h"

#include <gtest/gtest.h>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "setup/install_seams.h"

namespace {

uint16_t g_langId = 1033;
uint16_t InjectedLang() { return g_langId; }

TEST(LanguageChoice, AskedOnlyWhenAllowedAndNeitherQuietNorTransferredElseTheDefaultApplies)
{
    enum Allow { kNoKey, kOff, kOn };
    struct Case {
        Allow allow;
        bool quiet, transferred;
        uint16_t langId;
        int answer;      // the box's answer when asked
        bool asked;
        bool russian;    // Force and CheckLangDef written
    } cases[] = {
        {kNoKey, false, false, 1049, IDYES, false, false},
        {kOff, false, false, 1049, IDYES, false, false},
        {kOn, false, false, 1033, IDYES, true, true},
        {kOn, false, false, 1049, IDNO, true, false},
        // Not asked: the default, Yes only on a Russian system.
        {kOn, true, false, 1049, IDNO, false, true},
        {kOn, true, false, 1033, IDYES, false, false},
        {kOn, false, true, 1049, IDNO, false, true},
        {kOn, false, true, 1033, IDYES, false, false},
        {kOff, true, false, 1049, IDYES, false, false},
    };
    const SystemLangHook previous = SetSystemLangHook(&InjectedLang);
    for (const Case& c : cases) {
        TempTree tree;
        const char* allow = c.allow == kNoKey ? "" : c.allow == kOff ? "Allow=0\n" : "Allow=1\n";
        tree.Write("langdef.ini", std::string("[Russian]\n") + allow);
        tree.Write("product.ide", "[Options]\nTheme=2\n");
        tree.Write("user.opt", "[Other]\nA=1\n");
        tree.MakeDir("folder.ide");
        g_langId = c.langId;
        FwBoxRecorder boxes(c.answer);
        LanguageQuestion question{tree.Root(), "VOQ", c.quiet, c.transferred};
        EXPECT_EQ(ApplyLanguageChoice(question), c.russian) << c.allow << c.quiet << c.transferred << c.langId;
        ASSERT_EQ(boxes.Boxes().size(), c.asked ? 1u : 0u);
        if (c.asked) {
            const FwRecordedBox& box = boxes.Boxes()[0];
            EXPECT_EQ(box.kind, FwBoxKind::Plain);
            EXPECT_EQ(box.style, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_SETFOREGROUND));
            EXPECT_EQ(box.caption, "Select VOQ language");
            EXPECT_EQ(box.text, "Would you like to use Russian language for the VOQ menus, dialogs and messages?");
            EXPECT_EQ(box.owner, nullptr);
        }
        const std::string langdef = tree.Read("langdef.ini");
        EXPECT_EQ(langdef.find("Force") != std::string::npos, c.russian) << langdef;
        EXPECT_EQ(tree.Read("product.ide").find("CheckLangDef=1") != std::string::npos, c.russian);
        EXPECT_EQ(tree.Read("user.opt").find("CheckLangDef=1") != std::string::npos, c.russian);
        if (c.russian) {
            EXPECT_NE(langdef.find("Force=1"), std::string::npos) << langdef;
            EXPECT_NE(tree.Read("product.ide").find("Theme=2"), std::string::npos);
        }
    }
    SetSystemLangHook(previous);
}

TEST(LanguageChoice, NoLangdefMeansNoQuestionAndNoChange)
{
    TempTree tree;
    tree.Write("product.ide", "[Options]\nTheme=2\n");
    FwBoxRecorder boxes(IDYES);
    EXPECT_FALSE(ApplyLanguageChoice({tree.Root(), "VOQ", false, false}));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(tree.Exists("langdef.ini"));
    EXPECT_EQ(tree.Read("product.ide"), "[Options]\nTheme=2\n");
}

}  // namespace

namespace {

// Answers the real language box by its title once it has been open long
// enough for the step's own timer to have brought it to the top.
struct BoxScript {
    DWORD firstSeen = 0;
    DWORD deadline = 0;
    bool answered = false;
    bool topmost = false;
    bool timedOut = false;
};
BoxScript g_script;

BOOL CALLBACK CloseThreadBoxes(HWND window, LPARAM)
{
    PostMessageA(window, WM_COMMAND, IDNO, 0);
    return TRUE;
}

void CALLBACK AnswerByTitle(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_script.answered) return;
    HWND box = FindWindowA(nullptr, "Select VOQ language");
    if (!box) {
        if (GetTickCount() > g_script.deadline) {
            g_script.timedOut = true;
            g_script.answered = true;
            EnumThreadWindows(GetCurrentThreadId(), &CloseThreadBoxes, 0);
        }
        return;
    }
    if (!g_script.firstSeen) g_script.firstSeen = GetTickCount();
    if (GetTickCount() - g_script.firstSeen < 700) return;
    g_script.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    g_script.answered = true;
    PostMessageA(box, WM_COMMAND, IDYES, 0);
}

TEST(LanguageChoice, TheRealBoxIsBroughtToTheTopAndItsAnswerRecorded)
{
    TempTree tree;
    tree.Write("langdef.ini", "[Russian]\nAllow=1\n");
    g_script = BoxScript{};
    g_script.deadline = GetTickCount() + 8000;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &AnswerByTitle);
    const bool russian = ApplyLanguageChoice({tree.Root(), "VOQ", false, false});
    KillTimer(nullptr, timer);
    ASSERT_FALSE(g_script.timedOut) << "no box titled \"Select VOQ language\"";
    EXPECT_TRUE(g_script.topmost);
    EXPECT_TRUE(russian);
    EXPECT_NE(tree.Read("langdef.ini").find("Force=1"), std::string::npos);
}

}  // namespace
