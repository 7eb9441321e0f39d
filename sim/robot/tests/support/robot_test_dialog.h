// The robot's test dialog (support/robot_test_dialog.rc), run modally in the
// test's own thread; what the user did in it is kept in DialogState.
#pragma once

#include <windows.h>

#include <string>

namespace robot_test {

enum : int {
    kDialog = 100,
    kFolder = 20599,
    kInstall = 300,
    kNever = 302,
    kAsk = 500,
    kLabel = 21099,
};

struct DialogState {
    std::string caption;   // set at start when not empty (code page 1251)
    std::string folder;    // the combo box's text at OK
    bool install = false;  // box 300 at OK
    int asked = 0;         // the message box's answer, 0 when not asked
};

// The dialog's result: 1 OK, 2 Cancel or closed, -2 when nothing ended it
// within the safety bound.
INT_PTR RunTestDialog(DialogState& state, UINT safetyMs = 20000);

}  // namespace robot_test
