#include "sim/robot/message_box.h"

#include "sim/robot/text_1251.h"
#include "sim/robot/window_finder.h"

namespace robot {

namespace {

// The text controls of the two kinds of box.
constexpr int kWindowsBoxText = 0xFFFF;
constexpr int kFrameworkBoxText = 20539;

struct Search {
    DWORD processId;
    const std::set<HWND>* skip;
    HWND found;
};

// A static control: a dialog's group box may carry the id 0xFFFF (-1) too.
HWND TextControl(HWND box)
{
    for (int id : {kWindowsBoxText, kFrameworkBoxText}) {
        HWND text = GetDlgItem(box, id);
        if (text && ClassOf(text) == "Static") return text;
    }
    return nullptr;
}

BOOL CALLBACK Visit(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window)) return TRUE;
    if (search->skip && search->skip->count(window)) return TRUE;
    if (search->processId) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != search->processId) return TRUE;
    }
    if (ClassOf(window) != "#32770" || !TextControl(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindMessageBox(DWORD processId, const std::set<HWND>* skip)
{
    Search search{processId, skip, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BoxRecord ReadMessageBox(HWND box)
{
    BoxRecord record;
    record.caption = GetText1251(box);
    record.text = GetText1251(TextControl(box));
    return record;
}

}  // namespace robot
