// Dragging an item out of a control: the press point, the start after the
// pointer has moved far enough, a cursor made from the item's picture, and
// the drop on the window under the pointer.
//
// Drops travel as messages registered by name (never fixed numbers in the
// registered-message range, where they could mean something else), and only
// to windows of this process: a window of another program is no target.
#pragma once

#include <windows.h>

#include "framework/window/bitmap_cursor.h"

// Posted to the window under the pointer: wParam the source (the list, or
// its parent when the source notifies its parent), lParam the drop point in
// that window's client coordinates (x low 16 bits, y high 16 bits).
UINT DragDropMessage();
// A list that receives a drop posts it on to its parent with this code and
// the same wParam and lParam.
UINT DragDropRelayMessage();
// Sent to the source list's parent when its item was dropped elsewhere:
// wParam the list's window, lParam the dragged index.
UINT DragDroppedAwayMessage();

class PDragSource {
public:
    static constexpr int kStartDistance = 4;

    PDragSource() = default;
    // Gives the saved cursor back when a drag is still on.
    virtual ~PDragSource();
    PDragSource(const PDragSource&) = delete;
    PDragSource& operator=(const PDragSource&) = delete;

    // The window whose mouse messages drive the drag (the list).
    void SetDragWindow(HWND window) { window_ = window; }
    void SetNotifyParent(bool notify) { notifyParent_ = notify; }
    bool Dragging() const { return dragging_; }
    int DraggedItem() const { return dragged_; }
    HCURSOR DragCursor() const { return cursor_.Get(); }

    // The owner's mouse messages (client coordinates). Each answers true
    // when it took the message.
    void DragButtonDown(POINT point);
    bool DragMouseMove(UINT modifiers, POINT point);
    bool DragButtonUp(POINT point);
    // The capture went elsewhere (Alt-Tab, a box): the drag ends without a
    // drop.
    void DragCaptureLost();

    virtual int ItemFromPoint(POINT point) = 0;
    virtual RECT GetItemRect(int index) = 0;
    // Sets the cursor of the drag (SetDragCursor).
    virtual void MakeDragCursor(int index);
    virtual void OnDragStart() {}
    virtual void StartDrag();
    virtual void EndDrag(POINT point);

protected:
    // Takes the cursor and shows it; the current one is kept to come back.
    void SetDragCursor(BitmapCursor cursor);
    // Shows a cursor this object does not own.
    void SetSharedDragCursor(HCURSOR cursor);

private:
    // Back to the saved cursor; the drag cursor is destroyed.
    void RestoreCursor();
    void Finish();

    HWND window_ = nullptr;
    HCURSOR saved_ = nullptr;
    bool cursorSaved_ = false;
    BitmapCursor cursor_;
    int dragged_ = -1;
    POINT press_{-1, -1};
    bool dragging_ = false;
    bool notifyParent_ = false;
};

// A source that drags with a cursor resource of the program and no item.
class PDragSourceFixedBitmap : public PDragSource {
public:
    explicit PDragSourceFixedBitmap(UINT cursorId) : cursorId_(cursorId) {}
    int ItemFromPoint(POINT) override { return 0; }
    RECT GetItemRect(int) override { return RECT{}; }
    void MakeDragCursor(int) override;
    void OnDragStart() override {}

private:
    UINT cursorId_;
};
