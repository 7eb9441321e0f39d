#include "framework/window/dialog.h"

namespace {

// The dialog whose window is being created on this thread: messages sent
// before CreateDialogParamA hands back the handle (and before WM_INITDIALOG
// brings the lParam) are bound to it.
thread_local Dialog* t_creating = nullptr;
thread_local Dialog* t_running = nullptr;

// Messages whose result the dialog manager takes from the dialog procedure's
// return value instead of DWLP_MSGRESULT.
bool ReturnsDirectly(UINT msg)
{
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}  // namespace

Dialog::Dialog(Window* parent, uint32_t templateId, Module* module)
    : Window(parent, 0), templateId_(templateId), module_(module ? module : &Module::Own())
{
}

Dialog::~Dialog()
{
    if (GetHandle()) DestroyWindow(GetHandle());
}

Dialog* Dialog::Running() { return t_running; }

HWND Dialog::OwnerWindow() const { return Parent() ? Parent()->GetHandle() : nullptr; }

HWND Dialog::CreateFromTemplate(HWND owner)
{
    Dialog* savedCreating = t_creating;
    t_creating = this;
    // A Unicode dialog: its texts and its controls' never pass through the
    // system's ANSI code page.
    HWND hwnd = CreateDialogParamW(module_->Handle(), MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    t_creating = savedCreating;
    if (!hwnd && GetHandle()) UnbindHandle();
    return hwnd;
}

bool Dialog::CreateModeless()
{
    if (GetHandle()) return true;
    HWND hwnd = CreateFromTemplate(OwnerWindow());
    if (!hwnd) return false;
    ::ShowWindow(hwnd, SW_SHOWNA);
    return true;
}

int Dialog::Execute()
{
    if (GetHandle() || running_) return -1;
    HWND owner = OwnerWindow();
    ended_ = false;
    result_ = IDCANCEL;
    HWND hwnd = CreateFromTemplate(owner);
    if (!hwnd) return -1;
    bool ownerEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerEnabled) ::EnableWindow(owner, FALSE);

    running_ = true;
    ended_ = ended_ && GetHandle();  // CloseWindow during set-up ends at once
    outer_ = t_running;
    t_running = this;
    if (!ended_) ::ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (!ended_ && GetHandle()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT: end the dialog and leave the quit for the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            result_ = IDCANCEL;
            break;
        }
        if (got == -1) break;
        if (PreProcessMsg(msg)) continue;
        if (GetHandle() && IsDialogMessageW(GetHandle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    t_running = outer_;
    running_ = false;
    // The owner gets its input back before this window goes, so the
    // activation returns to it.
    if (ownerEnabled) ::EnableWindow(owner, TRUE);
    if (GetHandle()) DestroyWindow(GetHandle());
    ended_ = false;
    return result_;
}

void Dialog::CloseWindow(int result)
{
    result_ = result;
    ended_ = true;
    if (!running_ && GetHandle() && t_creating != this) {
        DestroyWindow(GetHandle());
        return;
    }
    // Wakes the loop when the call came from outside a message.
    if (GetHandle()) ::PostMessageA(GetHandle(), WM_NULL, 0, 0);
}

bool Dialog::PreProcessMsg(MSG&) { return false; }

int Dialog::GetDefaultId() const
{
    LRESULT r = SendMessage(DM_GETDEFID);
    return HIWORD(r) == DC_HASDEFID ? LOWORD(r) : 0;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    auto* self = static_cast<Dialog*>(FromHandle(hwnd));
    if (!self) {
        Dialog* creating = msg == WM_INITDIALOG ? reinterpret_cast<Dialog*>(l) : t_creating;
        if (!creating || creating->GetHandle()) return FALSE;
        self = creating;
        self->BindHandle(hwnd);
    }
    if (msg == WM_INITDIALOG) self->AttachChildren();
    if (msg == WM_NCDESTROY) {
        self->UnbindHandle();
        return FALSE;
    }
    if (msg == WM_DESTROY) {
        self->CleanupWindow();
        self->ended_ = true;
    }
    bool savedDefault = self->defaulted_;
    self->defaulted_ = false;
    LRESULT result = self->Dispatch(msg, w, l);
    bool defaulted = self->defaulted_;
    self->defaulted_ = savedDefault;
    if (defaulted) return FALSE;
    if (ReturnsDirectly(msg)) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT Dialog::DefaultProcessing()
{
    // The dialog manager's own processing runs when the procedure answers FALSE.
    defaulted_ = true;
    return 0;
}

LRESULT Dialog::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SetupWindow();
        // TRUE lets the dialog manager focus the first control; a set-up
        // that put the focus somewhere itself keeps it.
        HWND focus = ::GetFocus();
        return (focus && IsChild(GetHandle(), focus)) ? FALSE : TRUE;
    }
    case WM_CLOSE:
        CmCancel();
        return 0;
    default:
        return Window::WindowProc(msg, w, l);
    }
}

LRESULT Dialog::EvCommand(UINT id, HWND, UINT code)
{
    if (code == BN_CLICKED) {
        if (id == IDOK) {
            CmOk();
            return 0;
        }
        if (id == IDCANCEL) {
            CmCancel();
            return 0;
        }
    }
    return DefaultProcessing();
}

void Dialog::EvSysCommand(UINT command, POINT)
{
    // The close box and the system menu's Close cancel once; default
    // processing would send WM_CLOSE and cancel a second time.
    if ((command & 0xFFF0) == SC_CLOSE) {
        CmCancel();
        return;
    }
    DefaultProcessing();
}
