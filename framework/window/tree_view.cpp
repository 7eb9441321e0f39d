#include "framework/window/tree_view.h"

#include <cstring>
#include <vector>

#include "framework/window/window_text.h"

HTREEITEM TreeView::InsertItem(HTREEITEM parent, HTREEITEM after, const char* text, int image, int selectedImage,
                               LPARAM data) const
{
    std::wstring wide = Wide1251(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = wide.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

UINT TreeView::GetItemState(HTREEITEM item, UINT mask) const
{
    if (!item) return 0;
    return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask)) & mask;
}

bool TreeView::SetItemState(HTREEITEM item, UINT state, UINT mask) const
{
    if (!item) return false;
    TVITEMW tv{};
    tv.mask = TVIF_STATE | TVIF_HANDLE;
    tv.hItem = item;
    tv.state = state;
    tv.stateMask = mask;
    return SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) != 0;
}

bool TreeView::SetItemImages(HTREEITEM item, int image, int selectedImage) const
{
    if (!item) return false;
    TVITEMW tv{};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    tv.hItem = item;
    tv.iImage = image;
    tv.iSelectedImage = selectedImage;
    return SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) != 0;
}

bool TreeView::SetItemText(HTREEITEM item, const char* text) const
{
    if (!item) return false;
    std::wstring wide = Wide1251(text);
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = wide.data();
    return SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) != 0;
}

std::string TreeView::GetItemText(HTREEITEM item) const
{
    if (!item) return {};
    std::vector<wchar_t> buffer(1024, L'\0');
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = buffer.data();
    tv.cchTextMax = static_cast<int>(buffer.size());
    if (!SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return {};
    buffer.back() = L'\0';
    return Narrow1251(tv.pszText);
}

LPARAM TreeView::GetItemData(HTREEITEM item) const
{
    if (!item) return 0;
    TVITEMW tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    return SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) ? tv.lParam : 0;
}

HTREEITEM TreeView::GetNextItem(HTREEITEM item, UINT code) const
{
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeView::HitTest(POINT point, UINT* flags) const
{
    TVHITTESTINFO info{};
    info.pt = point;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags) *flags = info.flags;
    return item;
}

RECT TreeView::GetItemRect(HTREEITEM item, bool textOnly) const
{
    RECT r{};
    if (!item || !GetHandle()) return r;
    // TVM_GETITEMRECT takes the item handle in the rectangle it fills.
    std::memcpy(&r, &item, sizeof item);
    if (!SendMessage(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r))) return RECT{};
    return r;
}

HWND TreeView::EditLabel(HTREEITEM item) const
{
    return reinterpret_cast<HWND>(SendMessage(TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)));
}

HIMAGELIST TreeView::SetImageList(HIMAGELIST list, int which) const
{
    return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
}

HIMAGELIST TreeView::CreateDragImage(HTREEITEM item) const
{
    return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(item)));
}
