// Owner-drawn list boxes that show their rows as check boxes (ODCBListBox)
// or radio buttons (ODRBListBox), themed when themes are active, with an
// optional bitmap per row.
//
// Each row's state word is the row's item data (LB_GETITEMDATA): bit 0
// checked (radio: selected), bit 1 disabled, bits 2-3 the text colour (1,
// 2 or 3 of the list's three colours); other bits are kept as given.
//
// A click, Space or a mnemonic posts WM_COMMAND (control id, notification
// code 0, control window) to the parent: code 0 is BN_CLICKED, so the item
// engine's command dispatch lets bound values and the dialog's rules
// follow the list as they follow a check box.
#pragma once

#include <array>
#include <string>

#include "framework/ui/list_controls.h"
#include "framework/window/gdi_objects.h"

enum : uint32_t {
    ROW_CHECKED = 0x1,
    ROW_DISABLED = 0x2,
    ROW_COLOUR_MASK = 0xC,
};

// The check list's own options word (its constructor's `options`). It is
// neither a window style (where 0x40 is LBS_HASSTRINGS) nor the owner-drawn
// list flags (where 0x40 counts the header's widths), so the mnemonic bit
// keeps the value 0x40 without meeting either.
enum : uint32_t {
    CBLIST_GLYPHS = 0x01,     // the mark is drawn as "0"/"1" in an edged square
    CBLIST_MARK_ONLY = 0x02,  // a click toggles only within the mark column
    CBLIST_MNEMONICS = 0x40,  // "&x" in a row text: typing x acts on the row
};

// The dialog item behind a list: told of each row change made by the user
// or by the list's operations.
class CheckListBinding {
public:
    virtual ~CheckListBinding() = default;
    virtual void RowStateChanged(int row, uint32_t state) = 0;
    // The radio form: `row` became the selected row.
    virtual void RadioSelected(int) {}
};

class ODCBListBox : public ODListBox {
public:
    static constexpr int kMaxBitmaps = 32;

    ODCBListBox(Window* parent, int id, uint32_t options = 0, CheckListBinding* binding = nullptr);

    void SetupWindow() override;
    uint32_t Options() const { return options_; }

    // Appends a row; the horizontal extent grows for a text wider than any
    // before. The row index, or -1.
    virtual int AddRow(const char* text, uint32_t state);
    uint32_t RowState(int row) const;
    void SetRowState(int row, uint32_t state);

    // One bitmap per row, drawn after the mark; resource id + 10000 when the
    // module has it, else id; 0 removes it. Rows from 32 on keep none
    // (false).
    bool SetItemBitmap(int row, uint32_t bitmapId);
    HBITMAP ItemBitmap(int row) const;

    void SetCheck(bool checked, int row);
    void Check(int row) { SetCheck(true, row); }
    void Uncheck(int row) { SetCheck(false, row); }
    bool IsChecked(int row) const { return (RowState(row) & ROW_CHECKED) != 0; }
    void CheckAll() { SetAll(true); }
    void UncheckAll() { SetAll(false); }

    void EnableRow(bool enable, int row);
    void EnableRowOn(int row) { EnableRow(true, row); }
    void DisableRow(int row) { EnableRow(false, row); }
    bool IsRowEnabled(int row) const;

    // Flips a check row and tells the parent; nothing for a disabled row.
    virtual bool Toggle(int row);
    // The row under `point` (client coordinates), -1 outside the client
    // area or below the last row.
    int HitRow(POINT point) const;

    // -1: no background colour of its own.
    void SetBackground(COLORREF colour) { background_ = colour; Invalidate(true); }
    // Colour 1, 2 or 3 of the rows' colour bits.
    void SetTextColour(int index, COLORREF colour);

    void DrawItem(DRAWITEMSTRUCT& item) override;
    void EvLButtonDown(UINT modifiers, POINT point) override;
    void EvLButtonDblClk(UINT modifiers, POINT point) override;
    void EvLButtonUp(UINT modifiers, POINT point) override;
    void EvMouseMove(UINT modifiers, POINT point) override;
    void EvMouseLeave() override;
    void EvChar(UINT key, LPARAM flags) override;

    // The first row whose text has "&" before `letter` (1251, case-blind;
    // "&&" is a literal ampersand), -1 when none.
    int FindMnemonic(char letter) const;

protected:
    // What a click, Space or a mnemonic does to an enabled row.
    virtual void Activate(int row);
    virtual bool Radio() const { return false; }
    void NotifyParent();
    void Repaint();
    CheckListBinding* Binding() const { return binding_; }

private:
    void SetAll(bool checked);
    void Click(POINT point);
    int MarkColumnWidth() const;
    void DrawBackground(HDC dc, const RECT& r);

    uint32_t options_;
    CheckListBinding* binding_;
    std::array<Bitmap, kMaxBitmaps> bitmaps_;
    int bitmapColumn_ = 0;
    COLORREF background_ = static_cast<COLORREF>(-1);
    std::array<COLORREF, 3> textColours_;
    int widest_ = 0;
    int hotRow_ = -1;
    bool pressed_ = false;
    bool tracking_ = false;
};

class ODRBListBox : public ODCBListBox {
public:
    using ODCBListBox::ODCBListBox;

    // The radio form takes at most 256 rows, so the selected index always
    // fits the byte its item is bound to.
    static constexpr int kMaxRows = 256;
    int AddRow(const char* text, uint32_t state) override;

    // Clears `oldRow` (when valid), selects `newRow` and tells the parent;
    // false (nothing changes) for a row out of range or disabled.
    bool Select(int oldRow, int newRow);
    // The first selected row, -1 when none.
    int SelectedRow() const;
    // Radio rows are selected, not toggled.
    bool Toggle(int) override { return false; }
    void EvKeyDown(UINT key, LPARAM flags) override;

protected:
    void Activate(int row) override;
    bool Radio() const override { return true; }
};
