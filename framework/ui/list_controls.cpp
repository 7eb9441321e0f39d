#include "framework/ui/list_controls.h"

#include "framework/window/window_text.h"

void DrawTextRow(DRAWITEMSTRUCT& item, const std::string& text)
{
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT r = item.rcItem;
    r.left += 2;
    DrawTextW(item.hDC, Wide1251(text.c_str()).c_str(), -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void ODComboBox::DrawItem(DRAWITEMSTRUCT& item)
{
    std::string text = static_cast<int>(item.itemID) >= 0 ? GetString(static_cast<int>(item.itemID)) : GetText();
    DrawTextRow(item, text);
}

void ODListBox::DrawItem(DRAWITEMSTRUCT& item)
{
    if (static_cast<int>(item.itemID) < 0) return;
    DrawTextRow(item, GetString(static_cast<int>(item.itemID)));
}

WTListBox::WTListBox(Window* parent, int id, int x, int y, int w, int h) : HListBox(parent, id)
{
    Attr.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_USETABSTOPS;
    Attr.x = x;
    Attr.y = y;
    Attr.w = w;
    Attr.h = h;
}
