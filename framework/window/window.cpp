#include "framework/window/window.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/window/notify_relay.h"
#include "framework/window/window_text.h"

namespace {

constexpr const char* kObjectProperty = "VoqWindowObject";

}  // namespace

Window::Window(Window* parent, int id) : parent_(parent)
{
    Attr.id = id;
    if (parent_) parent_->children_.push_back(this);
}

Window::~Window()
{
    // Children last to first; each unlinks itself.
    while (!children_.empty()) delete children_.back();
    if (hwnd_) {
        HWND hwnd = hwnd_;
        if (created_) {
            DestroyWindow(hwnd);  // WM_NCDESTROY unbinds
        }
        if (hwnd_) {
            Detach();
            UnbindHandle();
        }
    }
    if (parent_) parent_->RemoveChild(this);
}

void Window::RemoveChild(Window* child)
{
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end()) children_.erase(it);
}

Window* Window::ChildWithId(int id) const
{
    for (Window* child : children_)
        if (child->Attr.id == id) return child;
    return nullptr;
}

void Window::ForEachChild(const std::function<void(Window&)>& action) const
{
    std::vector<Window*> copy = children_;
    for (Window* child : copy) action(*child);
}

Window* Window::FromHandle(HWND hwnd)
{
    return hwnd ? static_cast<Window*>(GetPropA(hwnd, kObjectProperty)) : nullptr;
}

void Window::BindHandle(HWND hwnd)
{
    hwnd_ = hwnd;
    SetPropA(hwnd, kObjectProperty, this);
}

void Window::UnbindHandle()
{
    if (hwnd_) RemovePropA(hwnd_, kObjectProperty);
    hwnd_ = nullptr;
}

bool Window::AttachById()
{
    if (hwnd_ || !parent_ || !parent_->hwnd_ || Attr.id == 0) return hwnd_ != nullptr;
    HWND hwnd = GetDlgItem(parent_->hwnd_, Attr.id);
    if (!hwnd) return false;
    return Attach(hwnd);
}

bool Window::Attach(HWND hwnd)
{
    if (!hwnd || hwnd_ || FromHandle(hwnd)) return false;
    BindHandle(hwnd);
    // A Unicode procedure keeps the window Unicode, so texts never pass
    // through the system's ANSI code page (framework texts are 1251).
    oldProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc)));
    SetupWindow();
    return true;
}

void Window::Detach()
{
    if (!hwnd_ || !oldProc_) return;
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    oldProc_ = nullptr;
}

bool Window::Create()
{
    if (hwnd_) return true;
    HWND parent = parent_ ? parent_->hwnd_ : nullptr;
    HMENU menu = (Attr.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<intptr_t>(Attr.id)) : nullptr;
    HWND hwnd = CreateWindowExW(Attr.exStyle, Wide1251(ClassName()).c_str(), Wide1251(Title.c_str()).c_str(), Attr.style,
                                Attr.x, Attr.y, Attr.w, Attr.h, parent, menu, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return false;
    created_ = true;
    if (parent) ::SendMessageA(hwnd, WM_SETFONT, ::SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
    return Attach(hwnd);
}

void Window::AttachChildren()
{
    std::vector<Window*> copy = children_;
    for (Window* child : copy)
        if (!child->hwnd_) child->AttachById();
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    Window* self = FromHandle(hwnd);
    if (!self) return DefWindowProcW(hwnd, msg, w, l);
    WNDPROC old = self->oldProc_;
    if (msg == WM_NCDESTROY) {
        self->CleanupWindow();
        self->Detach();
        self->UnbindHandle();
        self->created_ = false;
        return CallWindowProcW(old, hwnd, msg, w, l);
    }
    return self->Dispatch(msg, w, l);
}

LRESULT Window::Dispatch(UINT msg, WPARAM w, LPARAM l)
{
    CurrentMessage message{msg, w, l};
    const CurrentMessage* saved = current_;
    current_ = &message;
    LRESULT result = WindowProc(msg, w, l);
    current_ = saved;
    return result;
}

LRESULT Window::DefaultProcessing()
{
    if (!current_ || !hwnd_) return 0;
    if (oldProc_) return CallWindowProcW(oldProc_, hwnd_, current_->msg, current_->w, current_->l);
    return DefWindowProcW(hwnd_, current_->msg, current_->w, current_->l);
}

LRESULT Window::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_COMMAND: return EvCommand(LOWORD(w), reinterpret_cast<HWND>(l), HIWORD(w));
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(l);
        if (!header) return DefaultProcessing();
        LRESULT relayed = 0;
        if (RelayNotifyToChild(hwnd_, *header, relayed)) return relayed;
        return EvNotify(static_cast<UINT>(header->idFrom), *header);
    }
    case WM_SIZE: EvSize(static_cast<UINT>(w), LOWORD(l), HIWORD(l)); return 0;
    case WM_PAINT: EvPaint(); return 0;
    case WM_ERASEBKGND: return EvEraseBkgnd(reinterpret_cast<HDC>(w));
    case WM_SYSCOMMAND: EvSysCommand(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_HELP: return l ? EvHelp(*reinterpret_cast<HELPINFO*>(l)) : DefaultProcessing();
    case WM_GETMINMAXINFO: EvGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(l)); return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        HBRUSH brush = EvCtlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), msg - WM_CTLCOLORMSGBOX);
        return brush ? reinterpret_cast<LRESULT>(brush) : DefaultProcessing();
    }
    case WM_MEASUREITEM: EvMeasureItem(static_cast<UINT>(w), *reinterpret_cast<MEASUREITEMSTRUCT*>(l)); return TRUE;
    case WM_DRAWITEM: EvDrawItem(static_cast<UINT>(w), *reinterpret_cast<DRAWITEMSTRUCT*>(l)); return TRUE;
    case WM_TIMER: EvTimer(static_cast<UINT>(w)); return 0;
    case WM_SETFOCUS: EvSetFocus(reinterpret_cast<HWND>(w)); return 0;
    case WM_KILLFOCUS: EvKillFocus(reinterpret_cast<HWND>(w)); return 0;
    case WM_PARENTNOTIFY: EvParentNotify(LOWORD(w), w, l); return 0;
    case WM_CONTEXTMENU: EvContextMenu(reinterpret_cast<HWND>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_KEYDOWN: EvKeyDown(static_cast<UINT>(w), l); return 0;
    case WM_CHAR: EvChar(static_cast<UINT>(w), l); return 0;
    case WM_LBUTTONDBLCLK: EvLButtonDblClk(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_LBUTTONDOWN: EvLButtonDown(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_LBUTTONUP: EvLButtonUp(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_RBUTTONDOWN: EvRButtonDown(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_MOUSEMOVE: EvMouseMove(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_MOUSELEAVE: EvMouseLeave(); return 0;
    case WM_MOUSEWHEEL:
        return EvMouseWheel(GET_KEYSTATE_WPARAM(w), GET_WHEEL_DELTA_WPARAM(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)})
                   ? 0
                   : DefaultProcessing();
    case WM_KEYUP: EvKeyUp(static_cast<UINT>(w), l); return 0;
    case WM_HSCROLL: EvHScroll(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)); return 0;
    case WM_SETCURSOR:
        return EvSetCursor(reinterpret_cast<HWND>(w), LOWORD(l), HIWORD(l)) ? TRUE : DefaultProcessing();
    default: return DefaultProcessing();
    }
}

LRESULT Window::EvCommand(UINT, HWND, UINT) { return DefaultProcessing(); }
LRESULT Window::EvNotify(UINT, NMHDR&) { return DefaultProcessing(); }
void Window::EvSize(UINT, int, int) { DefaultProcessing(); }
void Window::EvPaint() { DefaultProcessing(); }
bool Window::EvEraseBkgnd(HDC) { return DefaultProcessing() != 0; }
void Window::EvSysCommand(UINT, POINT) { DefaultProcessing(); }
bool Window::EvHelp(HELPINFO&) { return DefaultProcessing() != 0; }
void Window::EvGetMinMaxInfo(MINMAXINFO&) { DefaultProcessing(); }
HBRUSH Window::EvCtlColor(HDC, HWND, UINT) { return nullptr; }
void Window::EvTimer(UINT) { DefaultProcessing(); }
void Window::EvSetFocus(HWND) { DefaultProcessing(); }
void Window::EvKillFocus(HWND) { DefaultProcessing(); }
void Window::EvParentNotify(UINT, WPARAM, LPARAM) { DefaultProcessing(); }
void Window::EvContextMenu(HWND, POINT) { DefaultProcessing(); }
void Window::EvKeyDown(UINT, LPARAM) { DefaultProcessing(); }
void Window::EvChar(UINT, LPARAM) { DefaultProcessing(); }
void Window::EvLButtonDblClk(UINT, POINT) { DefaultProcessing(); }
void Window::EvLButtonDown(UINT, POINT) { DefaultProcessing(); }
void Window::EvLButtonUp(UINT, POINT) { DefaultProcessing(); }
void Window::EvRButtonDown(UINT, POINT) { DefaultProcessing(); }
void Window::EvMouseMove(UINT, POINT) { DefaultProcessing(); }
void Window::EvMouseLeave() { DefaultProcessing(); }
bool Window::EvMouseWheel(UINT, int, POINT) { return false; }
void Window::EvKeyUp(UINT, LPARAM) { DefaultProcessing(); }
void Window::EvHScroll(UINT, UINT, HWND) { DefaultProcessing(); }
bool Window::EvSetCursor(HWND, UINT, UINT) { return false; }

// Owner-drawn controls: the control's object answers for itself.
class Control;
void ForwardMeasureItem(Window& child, MEASUREITEMSTRUCT& item);
void ForwardDrawItem(Window& child, DRAWITEMSTRUCT& item);

void Window::EvMeasureItem(UINT id, MEASUREITEMSTRUCT& item)
{
    if (Window* child = ChildWithId(static_cast<int>(item.CtlID ? item.CtlID : id))) ForwardMeasureItem(*child, item);
    else DefaultProcessing();
}

void Window::EvDrawItem(UINT, DRAWITEMSTRUCT& item)
{
    Window* child = FromHandle(item.hwndItem);
    if (!child) child = ChildWithId(static_cast<int>(item.CtlID));
    if (child) ForwardDrawItem(*child, item);
    else DefaultProcessing();
}

uint32_t Window::GetStyle() const { return hwnd_ ? static_cast<uint32_t>(GetWindowLongA(hwnd_, GWL_STYLE)) : Attr.style; }

void Window::ModifyStyle(uint32_t remove, uint32_t add, bool frameChanged)
{
    if (!hwnd_) {
        Attr.style = (Attr.style & ~remove) | add;
        return;
    }
    LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
    SetWindowLongA(hwnd_, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
    if (frameChanged)
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Window::ModifyExStyle(uint32_t remove, uint32_t add, bool frameChanged)
{
    if (!hwnd_) {
        Attr.exStyle = (Attr.exStyle & ~remove) | add;
        return;
    }
    LONG style = GetWindowLongA(hwnd_, GWL_EXSTYLE);
    SetWindowLongA(hwnd_, GWL_EXSTYLE, static_cast<LONG>((style & ~remove) | add));
    if (frameChanged)
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

RECT Window::GetWindowRect() const
{
    RECT r{};
    if (hwnd_) ::GetWindowRect(hwnd_, &r);
    return r;
}

RECT Window::GetClientRect() const
{
    RECT r{};
    if (hwnd_) ::GetClientRect(hwnd_, &r);
    return r;
}

RECT Window::GetRectInParent() const
{
    RECT r = GetWindowRect();
    HWND parent = hwnd_ ? GetParent(hwnd_) : nullptr;
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Window::SetWindowPos(HWND after, int x, int y, int w, int h, UINT flags)
{
    return hwnd_ && ::SetWindowPos(hwnd_, after, x, y, w, h, flags);
}

void Window::ShowWindow(int command)
{
    if (hwnd_) ::ShowWindow(hwnd_, command);
}

void Window::EnableWindow(bool enable)
{
    if (hwnd_) ::EnableWindow(hwnd_, enable);
}

bool Window::IsWindowEnabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
bool Window::IsWindowVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void Window::Invalidate(bool erase)
{
    if (hwnd_) InvalidateRect(hwnd_, nullptr, erase);
}

void Window::SetFocus()
{
    if (hwnd_) ::SetFocus(hwnd_);
}

LRESULT Window::SendMessage(UINT msg, WPARAM w, LPARAM l) const { return hwnd_ ? ::SendMessageA(hwnd_, msg, w, l) : 0; }
bool Window::PostMessage(UINT msg, WPARAM w, LPARAM l) const { return hwnd_ && ::PostMessageA(hwnd_, msg, w, l); }

std::string Window::GetWindowText() const
{
    return GetText1251(hwnd_);
}

void Window::SetWindowText(const char* text)
{
    if (hwnd_) SetText1251(hwnd_, text);
    else Title = text ? text : "";
}

std::string Window::GetClassName() const
{
    char name[256] = "";
    if (hwnd_) ::GetClassNameA(hwnd_, name, sizeof name);
    return name;
}

HFONT Window::GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
void Window::SetFont(HFONT font, bool redraw) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }

RECT Window::MapDialogRect(RECT r) const
{
    if (hwnd_) ::MapDialogRect(hwnd_, &r);
    return r;
}
