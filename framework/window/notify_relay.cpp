#include "framework/window/notify_relay.h"

#include "framework/window/window.h"

bool RelayNotifyToChild(HWND parent, NMHDR& header, LRESULT& result)
{
    // Only a direct child's own notification: a control of another window
    // that names this one as its parent is not relayed.
    if (!header.hwndFrom || GetParent(header.hwndFrom) != parent) return false;
    Window* child = Window::FromHandle(header.hwndFrom);
    if (!child) return false;
    return child->EvNotifyFromParent(header, result);
}
