#include "sim/robot/window_finder.h"

#include "sim/robot/text_1251.h"

namespace robot {

namespace {

struct Search {
    const WindowQuery* query;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    const WindowQuery& q = *search->query;
    if (!IsWindowVisible(window)) return TRUE;
    if (q.skip && q.skip->count(window)) return TRUE;
    if (q.processId) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != q.processId) return TRUE;
    }
    if (!q.className.empty() && ClassOf(window) != q.className) return TRUE;
    if (!TitleMatches(q.title, GetText1251(window))) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

bool TitleMatches(const std::string& pattern, const std::string& title)
{
    if (pattern.empty()) return true;
    if (pattern.back() == '*') return title.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    return title == pattern;
}

std::string ClassOf(HWND window)
{
    wchar_t name[256] = {};
    const int n = GetClassNameW(window, name, 256);
    return Narrow1251(std::wstring(name, n > 0 ? n : 0));
}

HWND FindTopWindow(const WindowQuery& query)
{
    Search search{&query, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace robot
