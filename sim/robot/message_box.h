// Message boxes: the Windows box (its text in static 0xFFFF) and the
// framework's message dialog (its text in static 20539). Both are "#32770"
// windows; a box is told from an ordinary dialog by that static text
// control (a group box of id -1 does not count).
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace robot {

struct BoxRecord {
    std::string caption;  // code page 1251
    std::string text;
    int button = 0;       // the button the robot pressed
};

// The first visible box not in `skip` (of the given process, 0 = any).
HWND FindMessageBox(DWORD processId, const std::set<HWND>* skip);
BoxRecord ReadMessageBox(HWND box);

}  // namespace robot
