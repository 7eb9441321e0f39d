// The item engine of a dialog: it owns the item descriptors that bind the
// template's controls to program variables, moves data between them,
// validates, applies enable/show rules between check boxes and other
// controls, keeps per-control colours and fonts, lays the controls out again
// when the dialog is resized, attaches tooltips from the options bound to the
// dialog, runs the browsers of browse buttons, and offers the derived
// dialogs operations by control id.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdarg>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/anchor_layout.h"
#include "framework/ui/dlg_item.h"
#include "framework/window/gdi_objects.h"

class BButton;
class Dialog;
class Tooltip;
struct ComboBoxData;
struct ListBoxData;

enum : uint8_t {
    COLOUR_TEXT = 0x01,
    COLOUR_FONT = 0x02,
    COLOUR_EDIT_AS_STATIC = 0x04,
    COLOUR_BACKGROUND = 0x08,
    COLOUR_BOLD = 0x10,
};

enum : uint32_t {
    DEP_INVERTED = 1,   // the rule fires when the box is not checked
    DEP_SHOW_HIDE = 2,  // shows and hides instead of enabling and disabling
};

class SIDialog {
public:
    explicit SIDialog(Dialog& window);
    virtual ~SIDialog();
    SIDialog(const SIDialog&) = delete;
    SIDialog& operator=(const SIDialog&) = delete;

    Dialog& DialogWindow() const { return window_; }
    HWND Handle() const;

    // Item list. Each item gets this engine as owner and makes its control
    // object at once. A null item (a failed factory) is skipped, and the
    // items after it are still added.
    void AddItems(std::initializer_list<DlgItemDescr*> items);
    void AddItem(DlgItemDescr* item);
    void RemoveItems(std::initializer_list<uint32_t> ids);
    DlgItemDescr* FindItem(uint32_t id) const;
    const std::vector<std::unique_ptr<DlgItemDescr>>& Items() const { return items_; }
    Window* ItemControl(uint32_t id) const;
    // The combo record of kinds 2, 3, 7, 9 and 12; null for other kinds.
    ComboBoxData* ItemComboData(uint32_t id) const;
    // The list record of kind 4; null for other kinds.
    ListBoxData* ItemListData(uint32_t id) const;
    uint32_t ItemNumber(uint32_t id) const;
    uint64_t ItemNumber64(uint32_t id) const;

    virtual bool Validate();
    void StoreData();

    // Anchors: (control id, flags); measured at set-up.
    int AddAnchors(std::initializer_list<std::pair<uint32_t, uint32_t>> anchors);
    bool Resizable() const { return resizable_; }
    const std::vector<AnchorRecord>& Anchors() const { return anchors_; }
    void AddDepItem(uint32_t flags, uint32_t checkBoxId, std::initializer_list<uint32_t> dependents);

    // Operations by control id.
    void EnableItem(bool enable, uint32_t id);
    void DisableItem(uint32_t id) { SetEnabled(false, id); }
    void EnableItems(bool enable, std::initializer_list<uint32_t> ids);
    bool IsItemEnabled(uint32_t id) const;
    void CheckItem(uint32_t id) { SetItemCheck(id, true); }
    void UncheckItem(uint32_t id) { SetItemCheck(id, false); }
    bool IsItemChecked(uint32_t id) const;
    void HideItem(bool hide, uint32_t id);
    void HideItems(bool hide, std::initializer_list<uint32_t> ids);
    void ShowAllChildren(bool hide);
    bool RemoveItemGap(uint32_t id);
    RECT GetItemRect(uint32_t id) const;
    void SetItemText(uint32_t id, const char* format, ...) __attribute__((format(gnu_printf, 3, 4)));
    void SetItemTextV(uint32_t id, const char* format, va_list args);
    std::string GetItemText(uint32_t id);
    // The control's text (1024 characters at most) with its "$"-names
    // expanded, set back.
    void SubstituteItemText(uint32_t id);
    // The same for texts of up to `maxLength` characters (the setup's pages
    // substitute texts of up to kLongSubstitution).
    static constexpr size_t kLongSubstitution = 8192;
    void SubstituteItemText(uint32_t id, size_t maxLength);
    // The control's text (2048 characters at most) as the format for the
    // arguments, the result set back.
    void FormatItemText(uint32_t id, ...);
    void FocusItem(uint32_t id);
    void SetItemTextColor(COLORREF colour, uint32_t id);
    void SetItemBkColor(COLORREF colour, uint32_t id);
    void SetItemFont(HFONT font, uint32_t id);
    void SetItemBold(uint32_t id);
    void SetItemsTextBlue(std::initializer_list<uint32_t> ids);
    void SetItemTextBlue(uint32_t id) { SetItemTextColor(0xF20000, id); }
    void PostCommand(uint32_t id);
    void EnableAll(bool enable);
    bool Locked() const { return (state_ & kLocked) != 0; }

    // Buttons.
    BButton* FindButton(uint32_t id) const;
    BButton* SetButtonImage(uint32_t imageId, uint32_t id);
    BButton* AddLinkButton(uint32_t id);
    void MarkButton(uint32_t id);
    void MarkButtons(std::initializer_list<uint32_t> ids);
    // Takes a button into the list; a button already listed for its id wins
    // and the new one is refused (false).
    bool AddButton(BButton* button);
    const std::vector<BButton*>& Buttons() const { return buttons_; }
    // Deletes the listed buttons whose control the template lacks.
    void DropButtonsWithoutControl();

    // Hooks.
    virtual void OnRightButton(POINT, UINT) {}
    virtual int Hook3(void*, uint32_t, uint32_t) { return -1; }
    virtual void AfterBrowse(uint32_t) {}
    virtual bool EvHelp(HELPINFO& info);
    virtual void ApplyRules();
    virtual void HitTestHook(POINT, UINT) {}
    virtual int Hook0(void*, uint32_t, uint32_t) { return 0; }
    virtual COLORREF WindowColour(DlgItemDescr*) { return GetSysColor(COLOR_WINDOW); }
    virtual void Inspect(POINT) {}

    // Engine steps, run by the dialog.
    void SetupFonts();
    void SetupItems();
    // Records the window rectangle as the initial one; relayout starts now.
    void TakeInitialRect();
    const RECT& InitialRect() const { return initial_; }
    bool HasInitialRect() const { return initialTaken_; }
    void Relayout();
    void OnCommand(UINT code, HWND control, uint32_t id);
    // True when it handled the code; `result` is the answer.
    bool OnNotify(NMHDR& header, LRESULT& result);
    bool MeasureItem(MEASUREITEMSTRUCT& item);
    // The brush for a WM_CTLCOLOR message, or null for the default.
    HBRUSH CtlColor(HDC dc, HWND control, UINT type);
    bool BrowseDir(uint32_t comboId);
    void BuildTooltips();
    Tooltip* GetTooltip() const { return tooltip_; }
    uint32_t ResourceId() const { return resourceId_; }
    void SetResourceId(uint32_t id) { resourceId_ = id; }
    uint32_t HelpBase() const { return helpBase_; }
    void SetHelpBase(uint32_t base) { helpBase_ = base; }
    uint32_t LastCommandId() const { return lastCommand_; }
    void SetTooltipsWanted(bool wanted) { tooltipsWanted_ = wanted; }
    // True when the dialog asks its check boxes and radio buttons not to
    // close it on a double click.
    bool NoSmartDoubleClick() const { return (state_ & kNoSmartDoubleClick) != 0; }
    bool LabelEditing() const { return (state_ & kLabelEdit) != 0; }
    void SetLabelEditing(bool on) { state_ = on ? (state_ | kLabelEdit) : (state_ & ~kLabelEdit); }
    bool ContextHelp() const { return (state_ & kContextHelp) != 0; }
    void SetContextHelp(bool on) { state_ = on ? (state_ | kContextHelp) : (state_ & ~kContextHelp); }
    // Applies the queued button marks (set-up).
    void ApplyButtonMarks();

protected:
    static constexpr uint8_t kLocked = 1;
    static constexpr uint8_t kNoSmartDoubleClick = 2;
    static constexpr uint8_t kContextHelp = 4;
    static constexpr uint8_t kNotifyHandled = 8;
    static constexpr uint8_t kLabelEdit = 0x10;

private:
    struct ColourRecord {
        uint32_t id = 0;
        uint8_t flags = 0;
        COLORREF text = 0;
        HFONT font = nullptr;
        COLORREF background = 0;
        // One brush per background colour, alive until the colour changes
        // or the engine goes: the control paints with it after WM_CTLCOLOR*
        // returns.
        Brush brush;
    };
    struct DepRule {
        uint32_t flags;
        uint32_t checkBoxId;
        std::vector<uint32_t> dependents;
    };
    ColourRecord& Colour(uint32_t id);
    const ColourRecord* FindColour(uint32_t id) const;
    void SetEnabled(bool enable, uint32_t id);
    void SetItemCheck(uint32_t id, bool check);
    void ApplyTextToControl(uint32_t id, const std::string& text);
    void ApplyStaticPrefixes();

    Dialog& window_;
    std::vector<std::unique_ptr<DlgItemDescr>> items_;
    std::vector<ColourRecord> colours_;
    std::vector<AnchorRecord> anchors_;
    std::vector<DepRule> rules_;
    std::vector<std::pair<uint32_t, std::string>> queuedTexts_;
    std::vector<uint32_t> queuedMarks_;
    std::vector<BButton*> buttons_;
    std::vector<Font> boldFonts_;
    std::vector<std::pair<uint32_t, UINT>> fixedHeights_;
    Tooltip* tooltip_ = nullptr;
    RECT initial_{};
    bool initialTaken_ = false;
    bool resizable_ = false;
    bool tooltipsWanted_ = false;
    uint8_t state_ = kContextHelp;
    uint32_t lastCommand_ = 0;
    uint32_t resourceId_ = 0;
    uint32_t helpBase_ = 0;
};

// The control under `point` (screen coordinates) among the dialog's direct
// children: the innermost of the nested rectangles that contain it.
HWND ControlUnderPoint(HWND dialog, POINT point);
