// Items of combo boxes: text, numbers and a choice from a list.
#pragma once

#include <string>
#include <vector>

#include "framework/ui/dlg_item.h"
#include "framework/window/combo_box.h"

enum : uint32_t {
    DICB_EMPTY_OK = 0x10,              // an empty text is accepted
    DICB_NUMBER = 0x20,                // the text must be a number
    DICB_NO_CHECK_DISABLED = 0x80,     // no validation while disabled
    DICB_STORE_TEXT = 0x4000,          // store copies the text
    DICB_NO_STORE_DISABLED = 0x8000,   // no store while disabled
    DICB_NUMBER64 = 0x20000,           // the number is 64 bits wide
    DICB_HEX = 0x100000,               // the number is read as hexadecimal
    DICB_OWNER_DRAWN = 0x200000,       // an owner-drawn combo box
};

class ComboBox;

// A combo box bound to a text buffer of `textLimit` bytes.
class DIComboBox : public DlgItemDescr {
public:
    DIComboBox(uint32_t historyId, char* boundText, uint32_t textLimit, uint32_t flags, uint32_t id);
    DIComboBox(char* boundText, uint32_t textLimit, uint32_t flags, uint32_t id)
        : DIComboBox(0, boundText, textLimit, flags, id) {}
    DIComboBox(uint32_t textLimit, uint32_t flags, uint32_t id) : DIComboBox(0, nullptr, textLimit, flags, id) {}

    void CreateControl() override;
    void SetData() override;
    bool GetData() override;
    void Store() override;
    void SetValue(uint32_t index) override;
    std::string GetText() override;
    void SetText(const char* text) override;

    uint32_t Flags() const { return flags_; }
    uint32_t TextLimit() const { return textLimit_; }
    ComboBoxData& Data() { return data_; }
    uint64_t Number() const { return number_; }
    ComboBox* Combo() const;

protected:
    // True for items that always read their text as a number.
    virtual bool Numeric() const { return (flags_ & (DICB_NUMBER | DICB_NUMBER64)) != 0; }
    bool ReadNumber(const std::string& text);
    // Puts the focus into the control (its edit field) after a refusal.
    void FocusControl();
    bool StoreBlocked() const;

    uint32_t textLimit_;
    char* boundText_;
    uint32_t historyId_;
    uint32_t flags_;
    uint64_t number_ = 0;
    ComboBoxData data_;
    uint8_t displayType_ = 0xFF;
};

// A combo box bound to a 32-bit (or, with DICB_NUMBER64, 64-bit) number shown
// in `displayType` (framework/ui/int_value_text.h).
class DIIntValueComboBox : public DIComboBox {
public:
    DIIntValueComboBox(uint32_t flags, uint8_t displayType, uint32_t* bound, uint32_t id);
    DIIntValueComboBox(uint32_t flags, uint8_t displayType, uint64_t* bound, uint32_t id);
    void Store() override;

protected:
    bool Numeric() const override { return true; }

private:
    void* boundNumber_;
};

// A drop-down list bound to the index of its choice.
class DIComboBoxList : public DlgItemDescr {
public:
    DIComboBoxList(std::vector<std::string> strings, uint32_t id, uint32_t* boundIndex);
    // The strings of text resource `textId`, separated by the byte 0x01.
    DIComboBoxList(uint32_t id, uint32_t* boundIndex, uint32_t textId);

    void CreateControl() override;
    void SetData() override;
    bool GetData() override;
    void Store() override;
    void SetValue(uint32_t index) override;
    uint32_t GetValue() override;
    ComboBoxData& Data() { return data_; }

private:
    ComboBoxData data_;
    bool chosen_ = false;
};

DIComboBox* NewDIComboBox(uint32_t historyId, char* boundText, uint32_t textLimit, uint32_t flags, uint32_t id);
DIComboBox* NewDIComboBox(char* boundText, uint32_t textLimit, uint32_t flags, uint32_t id);
DIComboBox* NewDIComboBox(uint32_t textLimit, uint32_t flags, uint32_t id);
DIComboBox* NewDIComboBox(uint32_t flags, uint32_t id);
DIComboBox* NewDIComboBox(uint32_t id);
DIIntValueComboBox* NewDIIntValueComboBox(uint32_t flags, uint8_t displayType, uint32_t* bound, uint32_t id);
