// What the robot does to the controls of a dialog, found by id. Clicks are
// posted (BM_CLICK), never sent: a click that opens a modal box must not
// hold the robot, in the dialog's own thread (from a timer) or in another
// process. Reads go through bounded sends.
#pragma once

#include <windows.h>

#include <string>

namespace robot {

HWND ControlOf(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
// BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE; -1 when there is no control.
int ControlCheck(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
// Posts a click to an enabled control; false when it is missing or disabled.
bool PostClick(HWND dialog, int id);
// Types a text into a combo box's edit (or an edit) as the user would: the
// dialog hears of the change from the edit.
bool TypeText(HWND dialog, int id, const std::string& text);

}  // namespace robot
