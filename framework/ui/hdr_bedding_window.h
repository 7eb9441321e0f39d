// The window that beds a column header above a list: made where the list
// was, it becomes the list's parent, lays the header across its top and
// the list below it, and keeps the header's columns over the list's data
// when the list scrolls sideways.
//
// The list's notifications (WM_COMMAND, WM_NOTIFY, the owner-draw messages,
// its colours) now reach this window; they are relayed to the list's
// original parent, so the dialog keeps drawing and hearing its list. The
// header's own notifications travel the same way.
#pragma once

#include "framework/window/window.h"

class HeaderControl;

class HdrBeddingWindow : public Window {
public:
    HdrBeddingWindow(Window& list, HeaderControl& header);
    ~HdrBeddingWindow() override;

    // Creates the window over the list and moves the list into it; false
    // when the list has no window or the bed cannot be made.
    bool Embed();
    // Header on top, following the list's horizontal scroll position; the
    // list fills the rest.
    void Layout();
    HWND OriginalParent() const { return originalParent_; }
    const RECT& ListRectBefore() const { return listRect_; }

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    Window& list_;
    HeaderControl& header_;
    HWND originalParent_ = nullptr;
    RECT listRect_{};
};
