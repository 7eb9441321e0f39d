// Finding the top-level windows of the program under test by title or class.
// A title pattern matches the whole caption, or its start when it ends with
// '*'; an empty pattern matches any. Only visible windows count: a dialog is
// shown once its set-up has run, so its controls hold their first state.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace robot {

struct WindowQuery {
    std::string title;       // code page 1251; empty = any
    std::string className;   // empty = any
    DWORD processId = 0;     // 0 = any process on the desktop
    const std::set<HWND>* skip = nullptr;  // windows already taken
};

bool TitleMatches(const std::string& pattern, const std::string& title);
std::string ClassOf(HWND window);
// The first visible top-level window that matches, or null.
HWND FindTopWindow(const WindowQuery& query);

}  // namespace robot
