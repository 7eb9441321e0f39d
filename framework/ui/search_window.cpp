#include "framework/ui/search_window.h"

#include "framework/ui/list_controls.h"

namespace {

// 10 dialog units in pixels on `parent`; windows that are not dialogs use
// the system's dialog base units.
int TenDialogUnitsHigh(HWND parent)
{
    RECT r{0, 0, 0, 10};
    if (parent && MapDialogRect(parent, &r) && r.bottom > 0) return r.bottom;
    return MulDiv(10, HIWORD(GetDialogBaseUnits()), 8);
}

}  // namespace

ISWindow::ISWindow(const char* text, WTListBox& list) : Edit(list.Parent(), 0, ISWindow::kMaxText + 1), list_(&list)
{
    Title = text ? text : "";
    Attr.style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
}

ISWindow::~ISWindow()
{
    if (list_) list_->SearchWindowGone(this);
}

bool ISWindow::Open()
{
    if (!list_ || !list_->GetHandle() || !Parent() || !Parent()->GetHandle()) return false;
    const RECT r = list_->GetRectInParent();
    Attr.x = r.left;
    Attr.y = r.bottom;
    Attr.w = r.right - r.left;
    Attr.h = TenDialogUnitsHigh(Parent()->GetHandle());
    if (!Create()) return false;
    SetFont(list_->GetFont(), false);
    ::SetWindowPos(GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus();
    const int end = static_cast<int>(GetText().size());
    SetSelection(end, end);
    return true;
}

LRESULT ISWindow::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter and Escape come here, not to the dialog's buttons.
        return DLGC_WANTALLKEYS | DefaultProcessing();
    case WM_KEYDOWN:
        if (w == VK_RETURN || w == VK_ESCAPE) {
            if (list_) list_->SetFocus();
            return 0;
        }
        break;
    case WM_CHAR:
        if (w == VK_RETURN || w == VK_ESCAPE) return 0;
        break;
    case WM_KEYUP: {
        const LRESULT result = DefaultProcessing();
        if (list_) list_->SearchFor(GetText());
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = DefaultProcessing();
        if (list_) list_->PostMessage(WM_COMMAND, kSearchDoneCommand, 0);
        return result;
    }
    default:
        break;
    }
    return Edit::WindowProc(msg, w, l);
}
