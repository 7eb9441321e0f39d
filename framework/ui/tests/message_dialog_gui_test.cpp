// The message dialog behind DoMessage: its texts, its size, how it closes,
// and the logged Windows boxes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/base/hooks.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/ui/error_box.h"
#include "framework/ui/message.h"
#include "framework/ui/message_boxes.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "framework/ui/wait_box.h"
#include "framework/window/application.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

class MessageDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = GetBoxPresenter();
        InstallMessageDialog();
    }
    void TearDown() override
    {
        SetBoxPresenter(previous_);
        g_mlLanguage = 0;
    }
    FwBoxPresenter previous_ = nullptr;
};

TEST_F(MessageDialog, DoMessageShowsTheTextAndAnswersWithTheClosingButton)
{
    std::string text, caption, close;
    bool helpEnabled = true;
    RECT textRect{}, frameRect{}, client{};
    int answer;
    {
        NextDialogScript script([&](Dialog& d) {
            HWND h = d.GetHandle();
            text = ItemText(h, BOX_CONTROL_TEXT);
            close = ItemText(h, IDOK);
            char buffer[256];
            GetWindowTextA(h, buffer, sizeof buffer);
            caption = buffer;
            helpEnabled = IsWindowEnabled(GetDlgItem(h, ERRORBOX_HELP_BUTTON));
            GetWindowRect(GetDlgItem(h, BOX_CONTROL_TEXT), &textRect);
            GetWindowRect(GetDlgItem(h, BOX_CONTROL_FRAME), &frameRect);
            GetClientRect(h, &client);
            SaveScreenshot(h, "message_en");
            Click(h, IDOK);
        });
        answer = DoMessage("s", "File '%s' is missing", "a.txt");
        EXPECT_TRUE(script.Ran());
    }
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(text, "File 'a.txt' is missing");
    EXPECT_EQ(close, "Close");
    EXPECT_EQ(caption, std::string("[") + g_fwHooks.caption() + "]  Error");
    EXPECT_FALSE(helpEnabled);  // no message id: no topic
    // The frame surrounds the text.
    EXPECT_LT(frameRect.left, textRect.left);
    EXPECT_GT(frameRect.right, textRect.right);
    EXPECT_GT(client.right, textRect.right - textRect.left);
}

TEST_F(MessageDialog, EscapeAnswersCancelAndRussianTextsFollowTheLanguage)
{
    g_mlLanguage = 1;
    std::string close, caption;
    int answer;
    {
        NextDialogScript script([&](Dialog& d) {
            HWND h = d.GetHandle();
            close = ItemText(h, IDOK);
            caption = GetText1251(h);
            SaveScreenshot(h, "message_ru");
            SendMessageA(h, WM_COMMAND, IDCANCEL, 0);
        });
        answer = DoMessage("im", 8055u, "12a");
    }
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_EQ(close, "\xC7\xE0\xEA\xF0\xFB\xF2\xFC");  // "Закрыть"
    EXPECT_NE(caption.find("\xC8\xED\xF4\xEE"), std::string::npos);  // "Информация"
}

TEST_F(MessageDialog, HelpButtonOpensTheMessagesTopic)
{
    static std::vector<uintptr_t> topics;
    topics.clear();
    SetShowHelpHook([](HWND, uint32_t, uintptr_t data) {
        topics.push_back(data);
        return 1;
    });
    {
        NextDialogScript script([&](Dialog& d) {
            Click(d.GetHandle(), ERRORBOX_HELP_BUTTON);
            EXPECT_TRUE(d.IsRunning());
            Click(d.GetHandle(), IDOK);
        });
        DoMessage("m", 8055u, "x");
    }
    SetShowHelpHook(nullptr);
    EXPECT_EQ(topics, std::vector<uintptr_t>{8055});
}

TEST_F(MessageDialog, AVeryLongTextKeepsTheBoxOnTheWorkArea)
{
    std::string longText;
    for (int i = 0; i < 400; ++i) longText += "A line of a very long report.\n";
    RECT window{};
    {
        NextDialogScript script([&](Dialog& d) {
            GetWindowRect(d.GetHandle(), &window);
            Click(d.GetHandle(), IDOK);
        });
        DoMessage("s", "%s", longText.c_str());
    }
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(window.bottom - window.top, work.bottom - work.top);
    EXPECT_GT(window.bottom - window.top, 0);
}

TEST(MessageBoxes, LoggedBoxesNameTheAnswer)
{
    char path[MAX_PATH], file[MAX_PATH];
    GetTempPathA(sizeof path, path);
    GetTempFileNameA(path, "mbl", 0, file);
    FILE* log = fopen(file, "w+");
    ASSERT_NE(log, nullptr);
    SetSetupLog(log);
    FwBoxRecorder boxes(IDCANCEL);
    EXPECT_EQ(MessageBoxLogged(MB_OKCANCEL, "Continue with %d files?", 3), IDCANCEL);
    boxes.SetAnswer(6);
    InfoBox("Done");
    SetSetupLog(nullptr);
    fseek(log, 0, SEEK_SET);
    char buffer[512] = "";
    size_t n = fread(buffer, 1, sizeof buffer - 1, log);
    buffer[n] = 0;
    fclose(log);
    DeleteFileA(file);
    EXPECT_STREQ(buffer, "** Message **: Continue with 3 files?\n [CANCEL]\n** Message **: Done\n [YES]\n");
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].style, static_cast<uint32_t>(MB_OKCANCEL | MB_SETFOREGROUND));
    EXPECT_EQ(boxes.Boxes()[1].style, static_cast<uint32_t>(MB_ICONINFORMATION | MB_SETFOREGROUND));
}

Window* g_frame = nullptr;
Window* Frame() { return g_frame; }

TEST(MessageBoxes, MainWindowOwnsTheBoxAndTheTopMostFlagKeepsItOnTop)
{
    FwBoxRecorder boxes;
    MessageBoxLogged(MB_OK, "plain");
    Window frame(nullptr);
    frame.Attr.style = WS_OVERLAPPEDWINDOW;
    ASSERT_TRUE(frame.Create());
    g_frame = &frame;
    SetMainWindowHook(&Frame);
    g_fwSettings.topMost = 1;
    MessageBoxLogged(MB_YESNO, "on top");
    g_fwSettings.topMost = 0;
    SetMainWindowHook(nullptr);
    g_frame = nullptr;
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].style, static_cast<uint32_t>(MB_OK | MB_SETFOREGROUND));
    EXPECT_EQ(boxes.Boxes()[0].owner, nullptr);
    EXPECT_EQ(boxes.Boxes()[1].style, static_cast<uint32_t>(MB_YESNO | 0x52000));
    EXPECT_EQ(boxes.Boxes()[1].owner, frame.GetHandle());
}

bool g_outerEnabledDuringBox = true;

void CALLBACK CloseTheBox(HWND, UINT, UINT_PTR id, DWORD)
{
    Dialog* box = Dialog::Running();
    if (!box || !dynamic_cast<ErrorBox*>(box)) return;
    KillTimer(nullptr, id);
    HWND owner = GetWindow(box->GetHandle(), GW_OWNER);
    g_outerEnabledDuringBox = !owner || IsWindowEnabled(owner);
    box->CloseWindow(IDOK);
}

TEST_F(MessageDialog, TheBoxIsModalToTheRunningDialog)
{
    int boxAnswer = 0;
    SDialog outer(nullptr, 600);
    RunScripted(outer, [&](Dialog& d) {
        SetTimer(nullptr, 0, 30, &CloseTheBox);
        boxAnswer = DoMessage("s", "Inside");
        EXPECT_TRUE(IsWindowEnabled(d.GetHandle()));
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(boxAnswer, IDOK);
    EXPECT_FALSE(g_outerEnabledDuringBox);
}

}  // namespace
