#include "framework/window/tooltip.h"

#include <commctrl.h>

#include "framework/window/window_text.h"

Tooltip::Tooltip(Window* parent, uint32_t style) : Window(parent, 0)
{
    Attr.style = WS_POPUP | style;
    Attr.exStyle = WS_EX_TOPMOST;
    Attr.x = Attr.y = Attr.w = Attr.h = CW_USEDEFAULT;
}

bool Tooltip::AddTool(HWND tool, const char* text)
{
    if (!GetHandle() || !tool) return false;
    std::wstring wide = Wide1251(text);
    TTTOOLINFOW info{};
    // The size without the reserved field, so that version 5 controls take it.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = Parent() ? Parent()->GetHandle() : GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = wide.data();
    return SendMessageW(GetHandle(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}
