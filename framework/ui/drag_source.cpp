#include "framework/ui/drag_source.h"

#include <cstdlib>

#include "framework/base/ml_text.h"

UINT DragDropMessage()
{
    static const UINT message = RegisterWindowMessageA("VOQ.ListDrag.Drop");
    return message;
}

UINT DragDropRelayMessage()
{
    static const UINT message = RegisterWindowMessageA("VOQ.ListDrag.DropRelay");
    return message;
}

UINT DragDroppedAwayMessage()
{
    static const UINT message = RegisterWindowMessageA("VOQ.ListDrag.DroppedAway");
    return message;
}

namespace {

bool OfThisProcess(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

}  // namespace

PDragSource::~PDragSource() { RestoreCursor(); }

void PDragSource::DragButtonDown(POINT point) { press_ = point; }

bool PDragSource::DragMouseMove(UINT modifiers, POINT point)
{
    if (dragging_) return true;
    if (!(modifiers & MK_LBUTTON) || press_.x == -1) {
        press_ = POINT{-1, -1};
        return false;
    }
    if (std::abs(point.x - press_.x) > kStartDistance || std::abs(point.y - press_.y) > kStartDistance) {
        StartDrag();
        return true;
    }
    return false;
}

bool PDragSource::DragButtonUp(POINT point)
{
    const bool was = dragging_;
    if (dragging_) EndDrag(point);
    press_ = POINT{-1, -1};
    return was;
}

void PDragSource::DragCaptureLost()
{
    if (!dragging_) return;
    Finish();
}

void PDragSource::StartDrag()
{
    dragged_ = ItemFromPoint(press_);
    press_ = POINT{-1, -1};
    MakeDragCursor(dragged_);
    if (window_) SetCapture(window_);
    OnDragStart();
    dragging_ = true;
}

void PDragSource::Finish()
{
    // Dragging is cleared first: releasing the capture sends
    // WM_CAPTURECHANGED back here.
    dragging_ = false;
    if (window_ && GetCapture() == window_) ReleaseCapture();
    RestoreCursor();
}

void PDragSource::EndDrag(POINT point)
{
    Finish();
    if (!window_) return;
    POINT screen = point;
    ClientToScreen(window_, &screen);
    HWND target = WindowFromPoint(screen);
    if (!target || !OfThisProcess(target)) return;
    if (target == window_ && ItemFromPoint(point) == dragged_) return;
    HWND parent = GetParent(window_);
    if (parent) SendMessageA(parent, DragDroppedAwayMessage(), reinterpret_cast<WPARAM>(window_), dragged_);
    POINT local = screen;
    ScreenToClient(target, &local);
    HWND source = notifyParent_ && parent ? parent : window_;
    PostMessageA(target, DragDropMessage(), reinterpret_cast<WPARAM>(source),
                 MAKELPARAM(static_cast<WORD>(local.x), static_cast<WORD>(local.y)));
}

void PDragSource::MakeDragCursor(int) {}

void PDragSource::SetDragCursor(BitmapCursor cursor)
{
    if (!cursor) return;
    HCURSOR previous = SetCursor(cursor.Get());
    if (!cursorSaved_) {
        saved_ = previous;
        cursorSaved_ = true;
    }
    cursor_ = std::move(cursor);
}

void PDragSource::SetSharedDragCursor(HCURSOR cursor)
{
    if (!cursor) return;
    HCURSOR previous = SetCursor(cursor);
    if (!cursorSaved_) {
        saved_ = previous;
        cursorSaved_ = true;
    }
    cursor_.Reset();
}

void PDragSource::RestoreCursor()
{
    if (cursorSaved_) SetCursor(saved_);
    cursorSaved_ = false;
    saved_ = nullptr;
    // Only after the saved cursor is back: a shown cursor is not destroyed.
    cursor_.Reset();
}

void PDragSourceFixedBitmap::MakeDragCursor(int)
{
    SetSharedDragCursor(LoadCursorA(GetProgramInstance(), MAKEINTRESOURCEA(cursorId_)));
}
