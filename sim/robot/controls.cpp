#include "sim/robot/controls.h"

#include "sim/robot/text_1251.h"
#include "sim/robot/window_finder.h"

namespace robot {

HWND ControlOf(HWND dialog, int id)
{
    return dialog && IsWindow(dialog) ? GetDlgItem(dialog, id) : nullptr;
}

std::string ControlText(HWND dialog, int id) { return GetText1251(ControlOf(dialog, id)); }

int ControlCheck(HWND dialog, int id)
{
    HWND control = ControlOf(dialog, id);
    if (!control) return -1;
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state)) return -1;
    return static_cast<int>(state);
}

bool ControlEnabled(HWND dialog, int id)
{
    HWND control = ControlOf(dialog, id);
    return control && IsWindowEnabled(control);
}

bool PostClick(HWND dialog, int id)
{
    HWND control = ControlOf(dialog, id);
    if (!control || !IsWindowEnabled(control)) return false;
    return PostMessageW(control, BM_CLICK, 0, 0) != 0;
}

bool TypeText(HWND dialog, int id, const std::string& text)
{
    HWND control = ControlOf(dialog, id);
    if (!control || !IsWindowEnabled(control)) return false;
    // A drop-down combo box keeps its text in its edit child.
    HWND edit = control;
    const bool combo = ClassOf(control) == "ComboBox";
    if (combo) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(control, &info) && info.hwndItem) edit = info.hwndItem;
    }
    // The edit's own EN_CHANGE (forwarded by the combo as CBN_EDITCHANGE)
    // tells the dialog, as typing would.
    return SetText1251(edit, text);
}

}  // namespace robot
