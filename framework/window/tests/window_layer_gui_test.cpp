// The window layer over Win32: attach-by-id subclassing, the own modal loop,
// results from the dialog procedure and messages before WM_INITDIALOG.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/window/button.h"
#include "framework/window/combo_box.h"
#include "framework/window/dialog.h"
#include "framework/window/edit.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr int kTemplate = 300;
constexpr UINT kCustomNotify = 0x7123;

class OwnerDrawnCombo : public ComboBox {
public:
    using ComboBox::ComboBox;
    void MeasureItem(MEASUREITEMSTRUCT& item) override
    {
        measured = true;
        item.itemHeight = 21;
    }
    bool measured = false;
};

class LayerDialog : public Dialog {
public:
    explicit LayerDialog(Window* parent = nullptr, uint32_t id = kTemplate) : Dialog(parent, id) {}

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (!initialised) {
            if (msg == WM_SETFONT) fontBeforeInit = true;
            if (msg == WM_MEASUREITEM) measureBeforeInit = true;
        }
        if (msg == WM_INITDIALOG) initialised = true;
        return Dialog::WindowProc(msg, w, l);
    }
    void SetupWindow() override { childrenAttachedAtSetup = edit->GetHandle() != nullptr; }
    void CmCancel() override
    {
        ++cancels;
        Dialog::CmCancel();
    }
    LRESULT EvNotify(UINT, NMHDR& header) override
    {
        if (header.code == kCustomNotify) return 1234;
        return DefaultProcessing();
    }
    HBRUSH EvCtlColor(HDC, HWND control, UINT type) override
    {
        if (type == CTLCOLOR_EDIT && GetDlgCtrlID(control) == 301) return GetSysColorBrush(COLOR_INFOBK);
        return nullptr;
    }

    Edit* edit = new Edit(this, 301, 8);
    CheckBox* check = new CheckBox(this, 302);
    Edit* missing = new Edit(this, 399);
    OwnerDrawnCombo* combo = new OwnerDrawnCombo(this, 304);
    bool initialised = false;
    bool fontBeforeInit = false;
    bool measureBeforeInit = false;
    bool childrenAttachedAtSetup = false;
    int cancels = 0;
};

TEST(WindowLayer, ChildrenAttachByIdBeforeSetupAndAMissingControlStaysUnattached)
{
    LayerDialog dialog;
    HWND editHwnd = nullptr;
    int result = RunScripted(dialog, [&](Dialog& d) {
        editHwnd = GetDlgItem(d.GetHandle(), 301);
        EXPECT_EQ(Window::FromHandle(editHwnd), dialog.edit);
        EXPECT_EQ(dialog.missing->GetHandle(), nullptr);
        // The text limit is a buffer size: 7 characters.
        SetWindowTextA(editHwnd, "");
        SendMessageA(editHwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("0123456789"));
        EXPECT_EQ(ItemText(d.GetHandle(), 301), "0123456");
        char buffer[4];
        EXPECT_EQ(dialog.edit->GetText(buffer, sizeof buffer), 3u);
        EXPECT_STREQ(buffer, "012");
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(dialog.childrenAttachedAtSetup);
    EXPECT_FALSE(ScriptTimedOut());
}

TEST(WindowLayer, MessagesBeforeInitDialogReachTheObject)
{
    LayerDialog dialog;
    RunScripted(dialog, [](Dialog& d) { Click(d.GetHandle(), IDCANCEL); });
    EXPECT_TRUE(dialog.fontBeforeInit);
    EXPECT_TRUE(dialog.measureBeforeInit);
    EXPECT_TRUE(dialog.combo->measured);
}

TEST(WindowLayer, DeletedChildGivesTheControlItsProcedureBack)
{
    LayerDialog dialog;
    RunScripted(dialog, [&](Dialog& d) {
        HWND edit = GetDlgItem(d.GetHandle(), 301);
        WNDCLASSA editClass{};
        GetClassInfoA(nullptr, "EDIT", &editClass);
        EXPECT_NE(GetWindowLongPtrA(edit, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(editClass.lpfnWndProc));
        delete dialog.edit;
        dialog.edit = nullptr;
        EXPECT_EQ(Window::FromHandle(edit), nullptr);
        EXPECT_EQ(d.ChildWithId(301), nullptr);
        // The control still works on its own.
        SetWindowTextA(edit, "alive");
        EXPECT_EQ(ItemText(d.GetHandle(), 301), "alive");
        Click(d.GetHandle(), IDOK);
    });
}

TEST(WindowLayer, ModalLoopEndsWithEachWayOfClosing)
{
    struct Case {
        const char* name;
        std::function<void(Dialog&)> script;
        int result;
        int cancels;
    };
    const Case cases[] = {
        {"ok button", [](Dialog& d) { Click(d.GetHandle(), IDOK); }, IDOK, 0},
        {"cancel button", [](Dialog& d) { Click(d.GetHandle(), IDCANCEL); }, IDCANCEL, 1},
        {"escape key", [](Dialog& d) {
             HWND edit = GetDlgItem(d.GetHandle(), 301);
             SetFocus(edit);
             PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
         }, IDCANCEL, 1},
        {"close box", [](Dialog& d) { SendMessageA(d.GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL, 1},
        {"WM_CLOSE", [](Dialog& d) { SendMessageA(d.GetHandle(), WM_CLOSE, 0, 0); }, IDCANCEL, 1},
        {"CloseWindow", [](Dialog& d) { d.CloseWindow(42); }, 42, 0},
    };
    for (const Case& c : cases) {
        LayerDialog dialog;
        EXPECT_EQ(RunScripted(dialog, c.script), c.result) << c.name;
        EXPECT_EQ(dialog.cancels, c.cancels) << c.name;  // SC_CLOSE cancels once, not twice
        EXPECT_FALSE(ScriptTimedOut()) << c.name;
        EXPECT_EQ(dialog.GetHandle(), nullptr) << c.name;
    }
}

TEST(WindowLayer, DialogProcedureReturnsResultsWhereTheMessageNeedsThem)
{
    LayerDialog dialog;
    RunScripted(dialog, [](Dialog& d) {
        NMHDR header{GetDlgItem(d.GetHandle(), 301), 301, kCustomNotify};
        // WM_NOTIFY answers through DWLP_MSGRESULT.
        EXPECT_EQ(SendMessageA(d.GetHandle(), WM_NOTIFY, 301, reinterpret_cast<LPARAM>(&header)), 1234);
        // WM_CTLCOLOR* answers with the brush itself.
        HDC dc = GetDC(d.GetHandle());
        LRESULT brush = SendMessageA(d.GetHandle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(GetDlgItem(d.GetHandle(), 301)));
        ReleaseDC(d.GetHandle(), dc);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_INFOBK));
        Click(d.GetHandle(), IDOK);
    });
}

TEST(WindowLayer, OwnerIsDisabledDuringTheRunAndEnabledAfter)
{
    class Frame : public Window {
    public:
        Frame() : Window(nullptr)
        {
            Attr.style = WS_OVERLAPPEDWINDOW;
            Attr.w = Attr.h = 200;
        }
    } frame;
    ASSERT_TRUE(frame.Create());
    auto* dialog = new LayerDialog(&frame);
    bool disabledDuring = false;
    RunScripted(*dialog, [&](Dialog& d) {
        disabledDuring = !IsWindowEnabled(frame.GetHandle());
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_TRUE(disabledDuring);
    EXPECT_TRUE(IsWindowEnabled(frame.GetHandle()));
}

TEST(WindowLayer, MissingTemplateFailsWithMinusOne)
{
    LayerDialog dialog(nullptr, 399);
    EXPECT_EQ(dialog.Execute(), -1);
}

TEST(WindowLayer, ComboTransferRoundTrip)
{
    LayerDialog dialog;
    ComboBoxData data;
    data.AddString("alpha");
    data.AddString("beta", true);
    RunScripted(dialog, [&](Dialog& d) {
        dialog.combo->Transfer(&data, TransferDirection::SetData);
        EXPECT_EQ(SendDlgItemMessageA(d.GetHandle(), 304, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendDlgItemMessageA(d.GetHandle(), 304, CB_GETCURSEL, 0, 0), 1);
        SendDlgItemMessageA(d.GetHandle(), 304, CB_SETCURSEL, 0, 0);
        dialog.combo->Transfer(&data, TransferDirection::GetData);
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_EQ(data.selIndex, 0);
    EXPECT_EQ(data.selection, "alpha");
}

TEST(WindowLayer, NestedModalRunsEndInnermostFirst)
{
    LayerDialog outer;
    int innerResult = 0;
    Dialog* runningInside = nullptr;
    int result = RunScripted(outer, [&](Dialog& d) {
        LayerDialog inner(&d);
        class Closer {
        public:
            static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
            {
                KillTimer(nullptr, id);
                if (Dialog* running = Dialog::Running()) running->CloseWindow(7);
            }
        };
        SetTimer(nullptr, 0, 30, &Closer::Tick);
        innerResult = inner.Execute();
        runningInside = Dialog::Running();
        EXPECT_TRUE(IsWindowEnabled(d.GetHandle()));  // the owner has its input back
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_EQ(innerResult, 7);
    EXPECT_EQ(runningInside, &outer);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Dialog::Running(), nullptr);
}

TEST(WindowLayer, QuitMessageEndsTheRunAndIsLeftForTheOuterLoop)
{
    LayerDialog dialog;
    int result = RunScripted(dialog, [](Dialog&) { PostQuitMessage(3); });
    EXPECT_EQ(result, IDCANCEL);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace

namespace {

// An edit control that answers one notification code itself.
class AnsweringEdit : public Edit {
public:
    AnsweringEdit(Window* parent, int id, UINT code) : Edit(parent, id, 8), code_(code) {}
    bool EvNotifyFromParent(NMHDR& header, LRESULT& result) override
    {
        ++seen;
        if (header.code != code_) return false;
        result = 77;
        return true;
    }
    int seen = 0;

private:
    UINT code_;
};

class RelayDialog : public Dialog {
public:
    RelayDialog() : Dialog(nullptr, kTemplate) {}
    LRESULT EvNotify(UINT, NMHDR& header) override
    {
        ++parentSaw;
        return header.code == kCustomNotify ? 1234 : DefaultProcessing();
    }
    AnsweringEdit* edit = new AnsweringEdit(this, 301, kCustomNotify + 1);
    int parentSaw = 0;
};

TEST(WindowLayer, NotificationsAreRelayedToTheSendingChildObjectFirst)
{
    RelayDialog dialog;
    LRESULT relayed = 0, declined = 0, foreign = 0;
    int childSawForeign = -1;
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        NMHDR own{GetDlgItem(h, 301), 301, kCustomNotify + 1};
        relayed = SendMessageA(h, WM_NOTIFY, 301, reinterpret_cast<LPARAM>(&own));
        NMHDR other{GetDlgItem(h, 301), 301, kCustomNotify};
        declined = SendMessageA(h, WM_NOTIFY, 301, reinterpret_cast<LPARAM>(&other));
        // A sender that is not a child of this window is not relayed, even
        // when it names a window with an object.
        const int before = dialog.edit->seen;
        NMHDR stranger{h, 301, kCustomNotify + 1};
        foreign = SendMessageA(h, WM_NOTIFY, 301, reinterpret_cast<LPARAM>(&stranger));
        childSawForeign = dialog.edit->seen - before;
        Click(h, IDOK);
    });
    EXPECT_EQ(relayed, 77);         // the child answered; the dialog never saw it
    EXPECT_EQ(declined, 1234);      // the child declined; the dialog answered
    EXPECT_EQ(dialog.parentSaw, 2);
    EXPECT_EQ(childSawForeign, 0);
    EXPECT_EQ(foreign, 0);
}

}  // namespace
