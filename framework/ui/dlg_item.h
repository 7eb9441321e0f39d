// Item descriptors: each binds one control of a dialog template (or a group
// of radio buttons) to a program variable. The item makes the control's
// object before the dialog window exists (CreateControl), writes the
// variable into the control at set-up (SetData), reads and checks the
// control on OK (GetData: false keeps the dialog open) and writes the value
// back once every item has accepted (Store). Cancel stores nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class SIDialog;
class Window;

enum DlgItemKind : uint32_t {
    DI_RADIO_BUTTONS = 0,
    DI_CHECK_BOX = 1,
    DI_COMBO_BOX = 2,
    DI_DROP_DOWN_LIST = 3,
    DI_LIST_BOX = 4,
    DI_TREE_VIEW = 5,
    DI_EDIT = 6,
    DI_FOLDER_BROWSER = 7,
    DI_GAUGE = 8,
    DI_FILE_BROWSER = 9,
    DI_INET_ADDR_BROWSER = 12,
};

enum : uint32_t { DI_IMMEDIATE = 1 };  // a click stores at once

class DlgItemDescr {
public:
    DlgItemDescr(uint32_t kind, uint32_t controlId, void* bound) : kind_(kind), controlId_(controlId), bound_(bound) {}
    virtual ~DlgItemDescr() = default;
    DlgItemDescr(const DlgItemDescr&) = delete;
    DlgItemDescr& operator=(const DlgItemDescr&) = delete;

    virtual void CreateControl() = 0;
    virtual void SetData() = 0;
    virtual bool GetData() = 0;
    virtual void Store() {}
    virtual void SetValue(uint32_t) {}
    virtual uint32_t GetValue() { return 0; }
    // The control's text (GetDlgItemTextA, 4096 bytes at most).
    virtual std::string GetText();
    virtual void SetText(const char* text);
    // A command came from control `id` of the dialog.
    virtual void OnCommand(uint32_t) {}

    uint32_t Kind() const { return kind_; }
    uint32_t ControlId() const { return controlId_; }
    SIDialog* Owner() const { return owner_; }
    void SetOwner(SIDialog* owner) { owner_ = owner; }
    Window* Control() const { return control_; }
    // The item forgets its control (the dialog deleted it).
    void DropControl() { control_ = nullptr; }
    uint32_t Value() const { return value_; }
    uint32_t ItemFlags() const { return itemFlags_; }
    void SetItemFlags(uint32_t flags) { itemFlags_ = flags; }
    bool Immediate() const { return (itemFlags_ & DI_IMMEDIATE) != 0; }

protected:
    // The dialog's window, or null before it exists.
    HWND DialogHandle() const;
    HWND ControlHandle() const;
    // The dialog's window object (the parent of the item's controls).
    Window* DialogObject() const;

    uint32_t kind_;
    uint32_t controlId_;
    SIDialog* owner_ = nullptr;
    Window* control_ = nullptr;
    uint32_t value_ = 0;
    uint32_t itemFlags_ = 0;
    void* bound_;
};
