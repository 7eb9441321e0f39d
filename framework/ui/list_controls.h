// The list and combo controls of the dialog items in their minimal forms:
// a combo box with a history id, an owner-drawn combo box and list box that
// draw their rows as text, a list box carrying user data, a list box made
// in code. Their histories, columns and drawing rules come with the controls.
#pragma once

#include "framework/window/combo_box.h"
#include "framework/window/list_box.h"

class HComboBox : public ComboBox {
public:
    HComboBox(Window* parent, int id, uint32_t textLimit, uint32_t historyId = 0, uint32_t flags = 0)
        : ComboBox(parent, id, textLimit), historyId_(historyId), flags_(flags) {}
    uint32_t HistoryId() const { return historyId_; }
    uint32_t Flags() const { return flags_; }

private:
    uint32_t historyId_;
    uint32_t flags_;
};

// Rows drawn as their text; the height comes from the dialog (WM_MEASUREITEM).
void DrawTextRow(DRAWITEMSTRUCT& item, const std::string& text);

class ODComboBox : public HComboBox {
public:
    using HComboBox::HComboBox;
    void DrawItem(DRAWITEMSTRUCT& item) override;
};

class HListBox : public ListBox {
public:
    HListBox(Window* parent, int id, uintptr_t userData = 0) : ListBox(parent, id), userData_(userData) {}
    uintptr_t UserData() const { return userData_; }
    void SetUserData(uintptr_t data) { userData_ = data; }

private:
    uintptr_t userData_;
};

class ODListBox : public HListBox {
public:
    // `listFlags` steer the drawing; `owner` is the dialog engine that answers
    // the row colours.
    ODListBox(Window* parent, int id, uint32_t listFlags, void* owner = nullptr)
        : HListBox(parent, id), listFlags_(listFlags), owner_(owner) {}
    uint32_t ListFlags() const { return listFlags_; }
    void* Owner() const { return owner_; }
    void DrawItem(DRAWITEMSTRUCT& item) override;

private:
    uint32_t listFlags_;
    void* owner_;
};

// A list box created in code on its parent.
class WTListBox : public HListBox {
public:
    WTListBox(Window* parent, int id, int x, int y, int w, int h);
};
