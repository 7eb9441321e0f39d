// The common tree-view control: thin calls over its TVM_ messages. Item texts
// are code page 1251 and travel as UTF-16 (the W messages), whatever the
// system's ANSI code page.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/window/control.h"

class TreeView : public Control {
public:
    TreeView(Window* parent, int id) : Control(parent, id) {}
    const char* ClassName() const override { return "SysTreeView32"; }

    HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, const char* text, int image, int selectedImage,
                         LPARAM data) const;
    bool DeleteItem(HTREEITEM item) const { return SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0; }
    bool DeleteAllItems() const { return DeleteItem(TVI_ROOT); }
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    bool SetItemState(HTREEITEM item, UINT state, UINT mask) const;
    bool SetItemImages(HTREEITEM item, int image, int selectedImage) const;
    bool SetItemText(HTREEITEM item, const char* text) const;
    std::string GetItemText(HTREEITEM item) const;
    LPARAM GetItemData(HTREEITEM item) const;
    bool Expand(HTREEITEM item, UINT code) const { return SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)) != 0; }
    bool SelectItem(HTREEITEM item, UINT code) const { return SendMessage(TVM_SELECTITEM, code, reinterpret_cast<LPARAM>(item)) != 0; }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
    HTREEITEM GetSelection() const { return GetNextItem(nullptr, TVGN_CARET); }
    // The item at `point` (client coordinates) and the hit-test flags.
    HTREEITEM HitTest(POINT point, UINT* flags) const;
    // Empty when the item is not visible or not in the tree.
    RECT GetItemRect(HTREEITEM item, bool textOnly) const;
    bool EnsureVisible(HTREEITEM item) const { return SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)) != 0; }
    HWND EditLabel(HTREEITEM item) const;
    HIMAGELIST SetImageList(HIMAGELIST list, int which) const;
    HIMAGELIST CreateDragImage(HTREEITEM item) const;
    COLORREF GetTextColor() const { return static_cast<COLORREF>(SendMessage(TVM_GETTEXTCOLOR)); }
    COLORREF GetBkColor() const { return static_cast<COLORREF>(SendMessage(TVM_GETBKCOLOR)); }
    UINT GetIndent() const { return static_cast<UINT>(SendMessage(TVM_GETINDENT)); }
};
