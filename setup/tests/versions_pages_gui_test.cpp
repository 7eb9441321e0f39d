// The versions page (list, box, kept selection, transfer) and the uninstall
// page (the locked entry, the texts for one and several versions), in
// English and Russian, in the setup tests' own prefix.
#include "setup/versions_pages.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/message.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/text_macros.h"
#include "framework/window/tests/support/dialog_script.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"
#include "setup/tests/support/captured_setup_log.h"

namespace {

constexpr const char* kCompanyKey = "SOFTWARE\\VOQ-Pages-Co";
const TextMacro kMacros[] = {{"P", "VOQ Tools"}, {"V", "3.0"}, {nullptr, nullptr}};

void SetHklmString(const std::string& key, const char* name, const std::string& value)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    if (name) RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), value.size() + 1);
    RegCloseKey(h);
}

int ListCount(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, SETUP_CTL_VERSION_LIST, LB_GETCOUNT, 0, 0)); }
int ListSelection(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, SETUP_CTL_VERSION_LIST, LB_GETCURSEL, 0, 0));
}
std::string ListRow(HWND dialog, int row)
{
    char text[256] = "";
    SendDlgItemMessageA(dialog, SETUP_CTL_VERSION_LIST, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
    return text;
}
uint32_t RowState(HWND dialog, int row)
{
    return static_cast<uint32_t>(SendDlgItemMessageA(dialog, SETUP_CTL_VERSION_LIST, LB_GETITEMDATA, row, 0));
}
// A click in the middle of a row's mark.
void ClickRow(HWND dialog, int row)
{
    HWND list = GetDlgItem(dialog, SETUP_CTL_VERSION_LIST);
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(r.left + 6, (r.top + r.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
    PumpPending();
}
bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

class VersionsPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
        SetTextMacros(kMacros);
        state.product.company = "VOQ-Pages-Co";
        state.product.name = "VOQ Tools";
        state.product.version = "3.0";
        state.caption = "VOQ Tools v. 3.0 Setup";
        state.supportDir = tree.Path("support");
        tree.MakeDir("support");
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
        SetTextMacros(nullptr);
        g_mlLanguage = 0;
    }
    void Russian()
    {
        state.language = SETUP_LANG_RUSSIAN;
        g_mlLanguage = 1;
    }
    std::string Product() const { return std::string(kCompanyKey) + "\\VOQ Tools"; }
    // Installed versions 1.0 and 2.0, each with a configuration file.
    void InstallTwo()
    {
        for (const char* v : {"1.0", "2.0"}) {
            const std::string folder = std::string("old") + v;
            tree.MakeDir(folder);
            tree.Write(folder + "\\user.ini", v);
            SetHklmString(Product() + "\\" + v, "Folder", tree.Path(folder));
        }
        state.product.confFiles = "*.ini";
    }

    TempTree tree;
    SetupState state;
};

TEST_F(VersionsPages, TheVersionsPageListsTheVersionsAndKeepsItsChoice)
{
    InstallTwo();
    state.versionSelection = 7;  // out of range: the first version
    CapturedSetupLog log;
    std::vector<std::string> rows;
    int selection = -2;
    bool boxChecked = true;
    int result = 0;
    {
        NextDialogScript script([&](Dialog& d) {
            HWND h = d.GetHandle();
            for (int i = 0; i < ListCount(h); ++i) rows.push_back(ListRow(h, i));
            selection = ListSelection(h);
            boxChecked = IsDlgButtonChecked(h, SETUP_CTL_TRANSFER_BOX) == BST_CHECKED;
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, SETUP_CTL_BACK))) << "first page";
            SaveScreenshot(h, "versions_page_en");
            SendDlgItemMessageA(h, SETUP_CTL_VERSION_LIST, LB_SETCURSEL, 1, 0);
            CheckDlgButton(h, SETUP_CTL_TRANSFER_BOX, BST_CHECKED);
            Click(h, SETUP_CTL_TRANSFER_BOX);
            Click(h, SETUP_CTL_NEXT);
        });
        result = DisplayVersions(state, true);
        EXPECT_TRUE(script.Ran());
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"1.0", "2.0"}));
    EXPECT_EQ(selection, 0);
    EXPECT_FALSE(boxChecked);
    EXPECT_EQ(result, SETUP_RESULT_NEXT);
    EXPECT_TRUE(state.transferConfiguration);
    EXPECT_EQ(state.versionSelection, 1u);
    EXPECT_EQ(tree.Read("support\\ConfFiles\\user.ini"), "2.0") << "copied from the selected version";
    EXPECT_NE(log.Text().find("  Previously installed versions:\n    '1.0'\n    '2.0'\n"), std::string::npos)
        << log.Text();

    // A second visit shows the kept choice; Back keeps it and transfers
    // nothing.
    {
        NextDialogScript script([&](Dialog& d) {
            HWND h = d.GetHandle();
            selection = ListSelection(h);
            boxChecked = IsDlgButtonChecked(h, SETUP_CTL_TRANSFER_BOX) == BST_CHECKED;
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, SETUP_CTL_BACK)));
            Click(h, SETUP_CTL_BACK);
        });
        result = DisplayVersions(state, false);
    }
    EXPECT_EQ(selection, 1);
    EXPECT_TRUE(boxChecked);
    EXPECT_EQ(result, SETUP_RESULT_BACK);
    EXPECT_EQ(state.transferFolder, "");
    EXPECT_FALSE(tree.Exists("support\\ConfFiles")) << "an earlier transfer is cleared";
}

TEST_F(VersionsPages, TheVersionsPageIsSkippedWithoutMasksOrVersions)
{
    NextDialogScript script([&](Dialog& d) { d.CloseWindow(2); });
    EXPECT_EQ(DisplayVersions(state, true), SETUP_RESULT_SKIPPED) << "no ConfFiles";
    state.product.confFiles = "*.ini";
    CapturedSetupLog log;
    EXPECT_EQ(DisplayVersions(state, true), SETUP_RESULT_SKIPPED) << "no versions";
    EXPECT_EQ(log.Text(), "  No previously installed versions\n");
    EXPECT_FALSE(script.Ran());

    FwBoxRecorder boxes;
    InstallTwo();
    state.product.confFiles = "*.ini;..\\..\\*.ini";
    EXPECT_EQ(DisplayVersions(state, true), SETUP_RESULT_CANCEL) << "a mask that leaves the folder";
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("'..\\..\\*.ini'"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_FALSE(script.Ran());
}

TEST_F(VersionsPages, TheVersionsPageInRussian)
{
    InstallTwo();
    Russian();
    std::string caption;
    NextDialogScript script([&](Dialog& d) {
        EXPECT_EQ(static_cast<SDialog&>(d).GetResourceId(), SETUP_DLG_VERSIONS);
        SaveScreenshot(d.GetHandle(), "versions_page_ru");
        Click(d.GetHandle(), SETUP_CTL_NEXT);
    });
    EXPECT_EQ(DisplayVersions(state, true), SETUP_RESULT_NEXT);
    EXPECT_TRUE(script.Ran());
    EXPECT_EQ(state.transferFolder, "") << "box left unchecked";
}

// The uninstall page's rows after the script has looked at them.
struct UPageView {
    std::vector<std::string> rows;
    std::vector<uint32_t> states;
    uint32_t lockedAfterClick = 0;
    bool note = false;
    std::string text;
};

UPageView RunUninstallPage(SetupState& state, const char* screenshot, int& result)
{
    UPageView view;
    NextDialogScript script([&](Dialog& d) {
        HWND h = d.GetHandle();
        for (int i = 0; i < ListCount(h); ++i) {
            view.rows.push_back(ListRow(h, i));
            view.states.push_back(RowState(h, i));
        }
        view.note = Visible(h, SETUP_CTL_UVERSIONS_NOTE);
        view.text = ItemText(h, SETUP_CTL_UVERSIONS_TEXT);
        SaveScreenshot(h, screenshot);
        ClickRow(h, 1);  // the locked row
        view.lockedAfterClick = RowState(h, 1);
        ClickRow(h, 0);
        Click(h, SETUP_CTL_NEXT);
    });
    result = DisplayUVersions(state, false);
    EXPECT_TRUE(script.Ran());
    return view;
}

TEST_F(VersionsPages, TheUninstallPageLocksTheVersionBeingInstalled)
{
    SetHklmString(Product() + "\\1.0", nullptr, "");
    SetHklmString(Product() + "\\3.0", nullptr, "");
    FwBoxRecorder boxes;  // no uninstall entries: 2002 ends the run
    for (bool russian : {false, true}) {
        if (russian) Russian();
        boxes.Clear();
        CapturedSetupLog log;
        int result = 0;
        const UPageView view = RunUninstallPage(state, russian ? "uversions_page_ru" : "uversions_page_en", result);
        EXPECT_EQ(view.rows, (std::vector<std::string>{"1.0", "3.0"}));
        ASSERT_EQ(view.states.size(), 2u);
        EXPECT_EQ(view.states[0] & (ROW_CHECKED | ROW_DISABLED), 0u) << "other versions start unchecked";
        EXPECT_EQ(view.states[1] & (ROW_CHECKED | ROW_DISABLED), ROW_CHECKED | ROW_DISABLED);
        EXPECT_EQ(view.lockedAfterClick & ROW_CHECKED, ROW_CHECKED) << "a click leaves it checked";
        EXPECT_TRUE(view.note);
        EXPECT_EQ(result, SETUP_RESULT_NEXT);
        // 1.0 was checked by the click and comes first: it has no entry.
        EXPECT_NE(log.Text().find("  Requested uninstall for version '1.0'\n"), std::string::npos) << log.Text();
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].messageId, SETUP_MSG_UNINSTALL_INFO);
    }
}

TEST_F(VersionsPages, TheUninstallPageForASingleVersionProduct)
{
    state.product.multipleVersions = false;
    SetHklmString(Product() + "\\2.5", nullptr, "");
    SetHklmString(Product(), "Version", "3.0");
    FwBoxRecorder boxes;
    for (bool russian : {false, true}) {
        if (russian) Russian();
        int result = 0;
        const UPageView view = RunUninstallPage(state, russian ? "uversions_single_ru" : "uversions_single_en", result);
        EXPECT_EQ(view.rows, (std::vector<std::string>{"2.5", "3.0"}));
        EXPECT_FALSE(view.note);
        const std::string expected = russian ? std::string(GetMLTextIn(1, MsgText(SETUP_MSG_SINGLE_VERSION_FOUND)))
                                             : std::string(GetMLTextIn(0, MsgText(SETUP_MSG_SINGLE_VERSION_FOUND)));
        char formatted[1024];
        snprintf(formatted, sizeof formatted, expected.c_str(), "VOQ Tools");
        EXPECT_EQ(view.text, formatted);
        EXPECT_EQ(result, SETUP_RESULT_NEXT);
    }
}

TEST_F(VersionsPages, UnattendedShowsNoUninstallPage)
{
    state.unattended = true;
    SetHklmString(Product() + "\\1.0", nullptr, "");
    FwBoxRecorder boxes;
    CapturedSetupLog log;
    NextDialogScript script([&](Dialog& d) { d.CloseWindow(2); });
    EXPECT_EQ(DisplayUVersions(state, true), SETUP_RESULT_NEXT);
    EXPECT_FALSE(script.Ran());
    EXPECT_EQ(log.Text(), "") << "1.0 is neither checked nor the version being installed";

    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
    EXPECT_EQ(DisplayUVersions(state, true), SETUP_RESULT_SKIPPED) << "no versions";
}

}  // namespace
