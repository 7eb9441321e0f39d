// The framework's private messages between its controls and their parents
// for dragging inside the program and for dropped files.
#pragma once

#include <windows.h>

enum : UINT {
    // Posted to the window under the cursor: wParam the source list's window
    // (or its parent), lParam the drop point in that window's client area.
    WM_FW_DROP = 0xCABC,
    // A control relays a drop (or, for a tree, the dropped files of
    // WM_DROPFILES) to its parent with the same wParam and lParam.
    WM_FW_DROP_RELAY = 0xCABD,
    // Sent to the source list's parent when an item was dropped elsewhere.
    WM_FW_DROPPED_ELSEWHERE = 0xCABE,
    // Asks a control for its hit code at the point in lParam.
    WM_FW_HIT_CODE = 0xCABF,
};
