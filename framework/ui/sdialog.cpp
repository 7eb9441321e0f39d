#include "framework/ui/sdialog.h"

#include <cstdio>

#include "framework/base/hooks.h"
#include "framework/base/sys_trace.h"
#include "framework/config/poption.h"
#include "framework/ui/b_button.h"
#include "framework/ui/busy_scope.h"
#include "framework/ui/dialog_metrics.h"
#include "framework/ui/di_tree_view.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "framework/ui/trace_scope.h"
#include "framework/window/application.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/system_menu.h"

namespace {

constexpr uint32_t kRussianOffset = 10000;
constexpr uint32_t kBitmapOffset = 10000;
constexpr uint32_t kMessageBoxDialog = 20512;
constexpr uint32_t kBusyText = 21664;

Module* TemplateModule(Module* given, uint32_t resourceId)
{
    if (given) return given;
    static Module* modules[4] = {};
    HMODULE m = ResourceModuleFor(RT_DIALOG, resourceId);
    for (Module*& slot : modules) {
        if (slot && slot->Handle() == m) return slot;
        if (!slot) {
            slot = new Module(m);
            return slot;
        }
    }
    return &Module::Own();
}

}  // namespace

uint32_t LocalizedDialogId(HINSTANCE module, uint32_t resourceId)
{
    if (g_mlLanguage && FindResourceA(module, MAKEINTRESOURCEA(resourceId + kRussianOffset), RT_DIALOG))
        return resourceId + kRussianOffset;
    return resourceId;
}

SDialog::SDialog(Window* parent, uint32_t resourceId, Module* module)
    : Dialog(parent, LocalizedDialogId(TemplateModule(module, resourceId)->Handle(), resourceId),
             TemplateModule(module, resourceId)),
      SIDialog(static_cast<Dialog&>(*this)),
      resourceId_(resourceId)
{
    PTraceScope scope("SDialog(), ResId=%u", resourceId);
    SetResourceId(resourceId);
}

SDialog::~SDialog()
{
    PTraceScope scope("~SDialog(), ResId=%u", resourceId_);
    // A dialog destroyed without its clean-up never stays in the list.
    RemoveOpenTopDialog(this);
}

void SDialog::SetCaption(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format ? format : "", args);
    va_end(args);
    if (GetHandle()) {
        SetWindowText(text);
        return;
    }
    pendingCaption_ = text;
    captionPending_ = true;
}

int SDialog::Execute()
{
    PTraceScope scope("Execute()");
    // Every modal dialog runs in a busy scope that shows nothing itself.
    MSControl busy(0, BUSY_NO_BOX, false, 0xFFFFFF, 0x800000, MsgText(kBusyText));
    return Dialog::Execute();
}

void SDialog::SetupWindow()
{
    PTraceScope scope("SetupWindow()");
    HWND dialog = GetHandle();
    SetResourceId(resourceId_);
    DropButtonsWithoutControl();
    // Bitmapped push buttons get a BButton, unless one exists for the id
    // already (its own image and the items that look it up stay valid).
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "button") != 0) continue;
        if ((GetWindowLongA(child, GWL_STYLE) & 0xF) > BS_DEFPUSHBUTTON) continue;
        const uint32_t id = static_cast<uint32_t>(GetDlgCtrlID(child));
        if (FindButton(id) || !GetModule().HasResource(RT_BITMAP, id + kBitmapOffset)) continue;
        auto* button = new BButton(this, static_cast<int>(id), id + kBitmapOffset);
        if (AddButton(button)) button->AttachById();
        else delete button;
    }
    for (BButton* b : Buttons())
        if (!b->GetHandle()) b->AttachById();

    Module icons(ResourceModuleFor(RT_ICON, 1));
    if (HICON icon = icons.LoadIcon(1)) SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    if (captionPending_) {
        SetWindowText(pendingCaption_.c_str());
        captionPending_ = false;
    }
    if (ContextHelp()) {
        ModifyExStyle(0, WS_EX_CONTEXTHELP);
        SetWindowContextHelpId(dialog, resourceId_);
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            SetWindowContextHelpId(child, static_cast<DWORD>(GetDlgCtrlID(child)));
    } else {
        ModifyExStyle(WS_EX_CONTEXTHELP, 0);
    }
    SetupFonts();
    SetupItems();
    OnSetupTopWindow(!OptionsBoundTo(resourceId_).empty(), dialog);
    for (BButton* b : Buttons()) b->ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    ApplyButtonMarks();
    if (GetMainWindowObject() && (GetStyle() & WS_POPUP)) AddOpenTopDialog(this);
    if (g_fwSettings.tracing && resourceId_ != kMessageBoxDialog)
        TraceIfOn("Dialog:  \"%s\"...\n", GetWindowText().c_str());
    TakeInitialRect();
    AfterSetup();
    if (Resizable()) {
        const RECT& w0 = InitialRect();
        const DialogPlacement* saved = FindDialogPlacement(TemplateId());
        if (saved && saved->width >= w0.right - w0.left && saved->height >= w0.bottom - w0.top) {
            SetWindowPos(nullptr, 0, 0, saved->width, saved->height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            CenterOnScreen(dialog);
        }
    }
}

void SDialog::CleanupWindow()
{
    PTraceScope scope("CleanupWindow()");
    if (Resizable()) {
        RECT w = GetWindowRect();
        StoreDialogPlacement(TemplateId(), w.right - w.left, w.bottom - w.top);
    }
    RemoveOpenTopDialog(this);
    OnCloseTopWindow(GetHandle());
}

void SDialog::CmOk()
{
    PTraceScope scope("CmOk()");
    if (!Validate()) return;
    StoreData();
    cancelAllowed_ = true;
    CloseWindow(IDOK);
}

void SDialog::CmCancel()
{
    if (!cancelAllowed_) return;
    PTraceScope scope("CmCancel()");
    if (g_fwSettings.tracing && resourceId_ != kMessageBoxDialog) TraceIfOn("Dialog selection: Cancel\n");
    CloseWindow(IDCANCEL);
}

bool SDialog::PreProcessMsg(MSG& msg)
{
    if (msg.message != WM_KEYDOWN || !GetHandle()) return false;
    if (msg.hwnd != GetHandle() && !IsChild(GetHandle(), msg.hwnd)) return false;
    if (LabelEditing() && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        HWND focus = ::GetFocus();
        HWND tree = focus ? ::GetParent(focus) : nullptr;
        if (tree) ::SendMessageA(tree, TVM_ENDEDITLABELNOW, msg.wParam == VK_ESCAPE ? 1 : 0, 0);
        return true;
    }
    if (msg.wParam == VK_TAB) {
        // The dialog manager moves the focus itself unless the control keeps
        // Tab; moving it here as well would skip a control.
        HWND focus = ::GetFocus();
        if (!focus) return false;
        LRESULT code = ::SendMessageA(focus, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&msg));
        if (!(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) return false;
        const bool back = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(GetHandle(), focus, back)) ::SetFocus(next);
        return true;
    }
    return false;
}

int SDialog::OnItemDoubleClick(TreeContainer*, Window*, DlgItemDescr*, uint32_t) { return 0; }
int SDialog::OnItemClick(TreeContainer*, Window*, DlgItemDescr*, uint32_t) { return 0; }

void SDialog::DialogHelp() { ShowHelp(GetHandle(), 1, resourceId_); }

HWND SDialog::GetTopWindow() const { return (GetStyle() & WS_CHILD) ? nullptr : GetHandle(); }

void SDialog::OnSetupTopWindow(bool hasOptions, HWND window)
{
    PTraceScope scope(PTraceScope::kMethod, this, "OnSetupTopWindow()");
    Window* main = GetMainWindowObject();
    const uint32_t style = GetStyle();
    if (main && !main->IsWindowVisible() && (style & WS_CAPTION) == WS_CAPTION) ModifyExStyle(0, WS_EX_APPWINDOW);
    if (main || (style & WS_POPUP)) {
        char text[256];
        const char* caption = g_fwHooks.caption ? g_fwHooks.caption() : "";
        snprintf(text, sizeof text, "&Terminate %s", caption ? caption : "");
        AppendSystemMenuItem(window, SYSCMD_TERMINATE, text);
        if (g_fwSettings.debug) {
            if (IsDebuggerPresent()) AppendSystemMenuItem(window, SYSCMD_DEBUG_BREAK, "DebugBreak()");
            AppendSystemMenuItem(window, SYSCMD_MAP_DIALOG_RECT, "MapDialogRect()");
        }
    }
    if (hasOptions) {
        if (TooltipsModeOption().GetValue() == 1) {
            ModifyStyle(0, DS_CONTEXTHELP);
            ModifyExStyle(0, WS_EX_CONTEXTHELP, true);
        } else {
            ModifyStyle(DS_CONTEXTHELP, 0);
            ModifyExStyle(WS_EX_CONTEXTHELP, 0, true);
        }
    }
    if (g_fwSettings.topMost) {
        if (main) main->OnTopMostDialog(window);
        ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    CenterOnScreen(window);
}

void SDialog::CenterOnScreen(HWND window)
{
    RECT w{};
    ::GetWindowRect(window, &w);
    POINT p = CenterPosition(w, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
    ::SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SDialog::SystemCommand(UINT command, POINT)
{
    switch (command) {
    case SYSCMD_TERMINATE:
#if defined(FW_FLAVOUR_OUTRIG)
        // In the plug-in the program is the setup that hosts it: ending it
        // would abandon the installation. Terminate cancels this dialog.
        CmCancel();
#else
        if (GetMainWindowObject()) ExitProgram(0);
        else CmCancel();
#endif
        return;
    case SYSCMD_DEBUG_BREAK:
        if (IsDebuggerPresent()) DebugBreak();
        return;
    case SYSCMD_MAP_DIALOG_RECT: {
        RECT r = MapDialogRect(RECT{0, 0, 16, 16});
        DoMessage("is", "MapDialogRect() : x = %u, y = %u", static_cast<unsigned>(r.right / 16),
                  static_cast<unsigned>(r.bottom / 16));
        return;
    }
    default:
        DefaultProcessing();
    }
}

LRESULT SDialog::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_PARENTNOTIFY && LOWORD(w) == WM_RBUTTONDOWN && g_fwSettings.debug) {
        POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
        OnRightButton(p, WM_RBUTTONDOWN);
    }
    return Dialog::WindowProc(msg, w, l);
}

LRESULT SDialog::EvCommand(UINT id, HWND control, UINT code)
{
    OnCommand(code, control, id);
    return Dialog::EvCommand(id, control, code);
}

LRESULT SDialog::EvNotify(UINT id, NMHDR& header)
{
    const UINT code = header.code;
    if (code == NM_DBLCLK || code == NM_CLICK) {
        if (DlgItemDescr* item = FindItem(id)) {
            // The tree node under the cursor belongs to tree-view items
            // only; other items pass no node.
            TreeContainer* node = nullptr;
            UINT flags = 0;
            if (auto* tree = dynamic_cast<DITreeView*>(item)) node = tree->NodeAtCursor(&flags);
            if (node && code == NM_CLICK && (flags & TVHT_ONITEM)) node->Notify(flags);
            Window* control = item->Control();
            int answer = code == NM_DBLCLK ? OnItemDoubleClick(node, control, item, id)
                                           : OnItemClick(node, control, item, id);
            if (answer) return 1;
        }
    } else {
        LRESULT result = 0;
        if (OnNotify(header, result)) return result;
    }
    return DefaultProcessing();
}

void SDialog::EvSize(UINT, int, int)
{
    Relayout();
    DefaultProcessing();
}

void SDialog::EvPaint()
{
    PaintDC dc(GetHandle());
    if (Resizable()) {
        RECT client = GetClientRect();
        const int side = GetSystemMetrics(SM_CXHTHUMB);
        RECT grip{client.right - side, client.bottom - side, client.right, client.bottom};
        DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
    Paint(dc);
}

void SDialog::EvSysCommand(UINT command, POINT point)
{
    // Custom ids are compared whole; only the system's own are masked.
    if (command >= 0xF000 && (command & 0xFFF0) == SC_CLOSE) {
        CmCancel();
        return;
    }
    SystemCommand(command >= 0xF000 ? (command & 0xFFF0) : command, point);
}

bool SDialog::EvHelp(HELPINFO& info)
{
    if (info.dwContextId == resourceId_) {
        DialogHelp();
        return true;
    }
    return SIDialog::EvHelp(info);
}

void SDialog::EvGetMinMaxInfo(MINMAXINFO& info)
{
    // A dialog can grow but never shrink below its template size.
    if (HasInitialRect()) {
        const RECT& w0 = InitialRect();
        info.ptMinTrackSize.x = w0.right - w0.left;
        info.ptMinTrackSize.y = w0.bottom - w0.top;
    }
}

HBRUSH SDialog::EvCtlColor(HDC dc, HWND control, UINT type) { return CtlColor(dc, control, type); }

void SDialog::EvMeasureItem(UINT id, MEASUREITEMSTRUCT& item)
{
    if (!MeasureItem(item)) Dialog::EvMeasureItem(id, item);
}

void SDialog::EvSetFocus(HWND lost)
{
    if (g_fwSettings.debug && !autoHelpShown_ && AutoHelpOption().GetValue()) {
        autoHelpShown_ = true;
        DialogHelp();
    }
    DefaultProcessing();
    (void)lost;
}

void SDialog::EvContextMenu(HWND window, POINT point)
{
    // Under the debug flag a context-menu request inspects the control.
    if (g_fwSettings.debug) {
        Inspect(point);
        return;
    }
    DefaultProcessing();
    (void)window;
}
