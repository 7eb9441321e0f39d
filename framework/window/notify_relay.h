// Relays a WM_NOTIFY that a parent window receives to the object of the
// control that sent it, so a control object can answer its own
// notifications (a tree view its selection and deleted items) without every
// parent knowing about it.
#pragma once

#include <windows.h>

// True when the sender's object handled the notification; `result` is then
// what the parent's window procedure returns. Senders without an object of
// this layer, and objects that decline, leave the parent's own handling.
bool RelayNotifyToChild(HWND parent, NMHDR& header, LRESULT& result);
