#include "framework/ui/hdr_bedding_window.h"

#include "framework/window/header_control.h"
#include "framework/window/notify_relay.h"

namespace {

constexpr const wchar_t* kClass = L"VoqHdrBedding";

bool RegisterBeddingClass()
{
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = kClass;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

// What a list sends to its parent.
bool RelayedToOriginalParent(UINT msg)
{
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLORLISTBOX:
        return true;
    default:
        return false;
    }
}

}  // namespace

HdrBeddingWindow::HdrBeddingWindow(Window& list, HeaderControl& header) : Window(nullptr), list_(list), header_(header) {}

HdrBeddingWindow::~HdrBeddingWindow()
{
    // The list goes back where it was, so it outlives its bed.
    if (GetHandle() && list_.GetHandle() && originalParent_ && IsWindow(originalParent_)) {
        ::SetParent(list_.GetHandle(), originalParent_);
        ::SetWindowPos(list_.GetHandle(), nullptr, listRect_.left, listRect_.top, listRect_.right - listRect_.left,
                       listRect_.bottom - listRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (HWND hwnd = GetHandle()) {
        Detach();
        UnbindHandle();
        DestroyWindow(hwnd);
    }
}

bool HdrBeddingWindow::Embed()
{
    HWND list = list_.GetHandle();
    if (GetHandle() || !list || !RegisterBeddingClass()) return false;
    originalParent_ = ::GetParent(list);
    listRect_ = list_.GetRectInParent();
    HWND bed = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, listRect_.left, listRect_.top,
                               listRect_.right - listRect_.left, listRect_.bottom - listRect_.top, originalParent_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!bed) return false;
    if (!Attach(bed)) {
        DestroyWindow(bed);
        return false;
    }
    // In the list's place in the tab order.
    ::SetWindowPos(bed, list, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetParent(list, bed);
    ::SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void HdrBeddingWindow::Layout()
{
    if (!GetHandle() || !header_.GetHandle()) return;
    RECT client = GetClientRect();
    const int height = header_.LayoutHeight(client);
    const int scrolled = list_.GetHandle() ? GetScrollPos(list_.GetHandle(), SB_HORZ) : 0;
    ::SetWindowPos(header_.GetHandle(), nullptr, -scrolled, 0, client.right + scrolled, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (list_.GetHandle())
        ::SetWindowPos(list_.GetHandle(), nullptr, 0, height, client.right, client.bottom - height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT HdrBeddingWindow::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_SIZE) {
        Layout();
        return DefaultProcessing();
    }
    if (!RelayedToOriginalParent(msg) || !originalParent_) return Window::WindowProc(msg, w, l);
    if (msg == WM_NOTIFY && l) {
        // The header and the list answer their own notifications first.
        LRESULT result = 0;
        if (RelayNotifyToChild(GetHandle(), *reinterpret_cast<NMHDR*>(l), result)) return result;
    }
    return ::SendMessageW(originalParent_, msg, w, l);
}
