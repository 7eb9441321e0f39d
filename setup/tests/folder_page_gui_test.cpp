// The folder page in-process: Next with an empty text, a relative path and
// a folder that already holds a file (the question answered No keeps the
// page, Yes ends it), the trailing separator taken off, Browse through the
// folder browser, Back keeping the text. Screenshots in English and Russian.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/ui/ml_text.h"
#include "framework/window/common_dialogs.h"
#include "framework/window/tests/support/dialog_script.h"
#include "setup/folder_page.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

std::string g_browseStart;
std::string g_browseChoice;
bool PickFolder(HWND, const char*, const char* start, std::string& chosen)
{
    g_browseStart = start ? start : "";
    chosen = g_browseChoice;
    return !chosen.empty();
}

void Type(HWND dialog, const std::string& text)
{
    SetWindowTextA(GetDlgItem(dialog, SETUP_CTL_FOLDER_EDIT), text.c_str());
}

class FolderPage : public testing::Test {
protected:
    void SetUp() override
    {
        previousBrowse_ = SetFolderBrowseFunction(&PickFolder);
        tree.MakeDir("filled");
        tree.Write("filled\\old.txt", "old");
        state.product.name = "VOQ Pages";
        state.product.version = "1.0";
        state.caption = "VOQ Pages Installation";
        state.targetDir = tree.Path("VOQ Pages");
    }
    void TearDown() override
    {
        SetFolderBrowseFunction(previousBrowse_);
        g_mlLanguage = 0;
    }

    TempTree tree;
    SetupState state;
    FolderBrowseFunction previousBrowse_ = nullptr;
};

TEST_F(FolderPage, NextChecksTheFolderAndAsksAboutOneThatHoldsAFile)
{
    FwBoxRecorder boxes(IDNO);
    DlgFolder page(nullptr, false, state);
    std::string shown, afterEmpty, afterNo;
    size_t boxesAfterEmpty = 0, boxesAfterRelative = 0, boxesAfterNo = 0;
    bool openAfterNo = false;
    const int result = RunScripted(page, [&](Dialog& d) {
        HWND dialog = d.GetHandle();
        shown = ItemText(dialog, SETUP_CTL_FOLDER_EDIT);
        SaveScreenshot(dialog, "folder_page_en");
        Type(dialog, "");
        Click(dialog, SETUP_CTL_NEXT);
        boxesAfterEmpty = boxes.Boxes().size();
        Type(dialog, "VOQ\\Pages");
        Click(dialog, SETUP_CTL_NEXT);
        boxesAfterRelative = boxes.Boxes().size();
        Type(dialog, tree.Path("filled\\"));
        Click(dialog, SETUP_CTL_NEXT);
        boxesAfterNo = boxes.Boxes().size();
        openAfterNo = IsWindow(dialog) && IsWindowVisible(dialog);
        afterNo = ItemText(dialog, SETUP_CTL_FOLDER_EDIT);
        boxes.SetAnswer(IDYES);
        Click(dialog, SETUP_CTL_NEXT);
    });
    EXPECT_EQ(result, SETUP_RESULT_NEXT);
    EXPECT_EQ(shown, tree.Path("VOQ Pages"));
    ASSERT_EQ(boxesAfterEmpty, 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, SETUP_MSG_TYPE_FOLDER);
    EXPECT_EQ(boxes.Boxes()[0].text, "Please type the folder name");
    ASSERT_EQ(boxesAfterRelative, 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "The folder 'VOQ\\Pages' is not a full path. Please type a path that begins "
                                     "with a drive letter (such as C:\\) or with a server name (\\\\server\\share).");
    ASSERT_EQ(boxesAfterNo, 3u);
    const FwRecordedBox& question = boxes.Boxes()[2];
    EXPECT_EQ(question.caption, "Please confirm");
    EXPECT_EQ(question.text, "Folder '" + tree.Path("filled") +
                                 "' already exists and contains file(s) and/or sub-folder(s). If you install the "
                                 "VOQ Pages to this folder, its contents may be overwritten by the installed files "
                                 "and folders.\n\nAlso, if you uninstall this VOQ Pages version, these files will be "
                                 "deleted.\n\nDo you want to continue?");
    EXPECT_EQ(question.style, static_cast<uint32_t>(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2));
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(afterNo, tree.Path("filled"));  // one trailing "\" taken off
    EXPECT_EQ(boxes.Boxes().size(), 4u);      // asked again, answered Yes
    EXPECT_EQ(state.targetDir, tree.Path("filled"));
}

TEST_F(FolderPage, AnEmptyFolderIsTakenWithoutAQuestionBrowseFillsTheEditBackKeepsIt)
{
    tree.MakeDir("empty");
    FwBoxRecorder boxes(IDNO);
    g_browseChoice = tree.Path("empty");
    std::string afterBrowse;
    DlgFolder browsed(nullptr, false, state);
    const int next = RunScripted(browsed, [&](Dialog& d) {
        Type(d.GetHandle(), tree.Path("typed"));
        Click(d.GetHandle(), SETUP_CTL_FOLDER_BROWSE);
        afterBrowse = ItemText(d.GetHandle(), SETUP_CTL_FOLDER_EDIT);
        Click(d.GetHandle(), SETUP_CTL_NEXT);
    });
    EXPECT_EQ(next, SETUP_RESULT_NEXT);
    EXPECT_EQ(g_browseStart, tree.Path("typed"));  // the browser starts at the edit's text
    EXPECT_EQ(afterBrowse, tree.Path("empty"));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(state.targetDir, tree.Path("empty"));

    // Back takes the text as it is, unchecked; the Russian page.
    state.language = SETUP_LANG_RUSSIAN;
    g_mlLanguage = 1;
    std::string title;
    NextDialogScript script([&](Dialog& d) {
        title = ItemText(d.GetHandle(), SETUP_CTL_TITLE);
        SaveScreenshot(d.GetHandle(), "folder_page_ru");
        Type(d.GetHandle(), "relative\\");
        Click(d.GetHandle(), SETUP_CTL_BACK);
    });
    EXPECT_EQ(DisplayFolder(state, false), SETUP_RESULT_BACK);
    EXPECT_TRUE(script.Ran());
    EXPECT_EQ(title, "\317\340\357\352\340 \363\361\362\340\355\356\342\352\350");
    EXPECT_EQ(state.targetDir, "relative\\");
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
