#include "framework/window/header_control.h"

#include <commctrl.h>

#include "framework/window/window_text.h"

namespace {

constexpr int kTitleMax = 512;

}  // namespace

int HeaderControl::Count() const { return GetHandle() ? static_cast<int>(SendMessage(HDM_GETITEMCOUNT)) : 0; }

int HeaderControl::InsertColumn(int index, int width, const char* title, int format)
{
    if (!GetHandle()) return -1;
    std::wstring text = Wide1251(title ? title : "");
    HDITEMW item{};
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
    item.cxy = width;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    item.fmt = format;
    return static_cast<int>(SendMessageW(GetHandle(), HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

bool HeaderControl::DeleteColumn(int index)
{
    return GetHandle() && SendMessage(HDM_DELETEITEM, static_cast<WPARAM>(index)) != 0;
}

int HeaderControl::ColumnWidth(int index) const
{
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    if (!GetHandle() || !SendMessageW(GetHandle(), HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.cxy;
}

bool HeaderControl::SetColumnWidth(int index, int width)
{
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    return GetHandle() && SendMessageW(GetHandle(), HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int HeaderControl::ColumnFormat(int index) const
{
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!GetHandle() || !SendMessageW(GetHandle(), HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.fmt;
}

bool HeaderControl::SetColumnFormat(int index, int format)
{
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    item.fmt = format;
    return GetHandle() && SendMessageW(GetHandle(), HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::string HeaderControl::ColumnTitle(int index) const
{
    wchar_t buffer[kTitleMax + 1] = L"";
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = kTitleMax;
    if (!GetHandle() || !SendMessageW(GetHandle(), HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return std::string();
    buffer[kTitleMax] = 0;
    return Narrow1251(item.pszText ? item.pszText : buffer);
}

bool HeaderControl::SetColumnTitle(int index, const char* title)
{
    std::wstring text = Wide1251(title ? title : "");
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    return GetHandle() && SendMessageW(GetHandle(), HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

RECT HeaderControl::ColumnRect(int index) const
{
    RECT r{};
    if (GetHandle()) SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

int HeaderControl::LayoutHeight(const RECT& area) const
{
    if (!GetHandle()) return 0;
    RECT r = area;
    WINDOWPOS pos{};
    HDLAYOUT layout{&r, &pos};
    if (!SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout))) return 0;
    return pos.cy;
}
