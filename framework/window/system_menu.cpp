#include "framework/window/system_menu.h"

bool AppendSystemMenuItem(HWND window, UINT id, const char* text)
{
    HMENU menu = window ? GetSystemMenu(window, FALSE) : nullptr;
    return menu && AppendMenuA(menu, MF_STRING, id, text);
}

bool HasSystemMenuItem(HWND window, UINT id)
{
    HMENU menu = window ? GetSystemMenu(window, FALSE) : nullptr;
    return menu && GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}
