#include "framework/ui/option_items.h"

#include "framework/config/poption.h"
#include "framework/ui/di_browsers.h"
#include "framework/ui/di_buttons.h"
#include "framework/ui/di_combo_box.h"
#include "framework/ui/int_value_text.h"
#include "framework/ui/sdialog.h"

namespace {

constexpr uint32_t kStringFlags = 0xC000;   // store the text; not while disabled
constexpr uint32_t kIntFlags = 0xA000;
constexpr uint32_t kInt64Flags = 0x28000;

// The folder or file browse dialog: the browser runs as soon as the dialog
// is up; the dialog then closes itself with the outcome.
class DlgBrowseOption : public SDialog {
public:
    DlgBrowseOption(Window* parent, DIDirBrowser* item) : SDialog(parent, OPTION_BROWSE_TEMPLATE), item_(item)
    {
        AddItem(item);
    }
    void AfterSetup() override { PostCommand(OPTION_BROWSE_BUTTON); }
    LRESULT EvCommand(UINT id, HWND control, UINT code) override
    {
        if (id == OPTION_BROWSE_BUTTON && code == BN_CLICKED) {
            // The command arrives posted, so the control handle is looked up.
            if (!control) control = GetDlgItem(GetHandle(), OPTION_BROWSE_BUTTON);
            SDialog::EvCommand(id, control, code);
            if (item_->Chosen()) CmOk();
            else CmCancel();
            return 0;
        }
        return SDialog::EvCommand(id, control, code);
    }

private:
    DIDirBrowser* item_;
};

}  // namespace

DlgItemDescr* CreateDlgItem(POption& option, uint32_t controlId, uint32_t browseButtonId)
{
    if (auto* file = dynamic_cast<PFileOption*>(&option))
        return new DIFileBrowser(0, false, file->Title().c_str(), file->Filter().c_str(), kStringFlags,
                                 static_cast<char*>(file->Variable()), browseButtonId, controlId);
    if (auto* folder = dynamic_cast<PFolderOption*>(&option))
        return new DIDirBrowser(kStringFlags, static_cast<char*>(folder->Variable()), browseButtonId, controlId);
    if (auto* inet = dynamic_cast<PINetAddrOption*>(&option))
        return new DIINetAddrBrowser(inet->EditFlags() | kStringFlags, static_cast<char*>(inet->Variable()),
                                     browseButtonId, controlId);
    if (auto* text = dynamic_cast<PStringOption*>(&option))
        return new DIComboBox(0, static_cast<char*>(text->Variable()), text->MaxLength(),
                              text->EditFlags() | kStringFlags, controlId);
    if (auto* wide = dynamic_cast<PIntValueOption64*>(&option))
        return new DIIntValueComboBox(wide->ItemFlags() | kInt64Flags, wide->DisplayType(),
                                      static_cast<uint64_t*>(wide->Variable()), controlId);
    if (auto* number = dynamic_cast<PIntValueOption*>(&option))
        return new DIIntValueComboBox(number->ItemFlags() | kIntFlags, number->DisplayType(),
                                      static_cast<uint32_t*>(number->Variable()), controlId);
    if (auto* choice = dynamic_cast<PRadioOptionAsComboBox*>(&option))
        return new DIComboBoxList(choice->DisplayTexts(), controlId, static_cast<uint32_t*>(choice->Variable()));
    if (auto* radio = dynamic_cast<PRadioOption*>(&option))
        return new DIRadioButtonsNT(controlId, static_cast<uint32_t*>(radio->Variable()));
    if (auto* flag = dynamic_cast<PBoolOption*>(&option))
        return new DICheckBox(controlId, static_cast<uint8_t*>(flag->Variable()));
    return nullptr;
}

bool Browse(POption& option, Window* parent)
{
    if (!dynamic_cast<PFolderOption*>(&option)) return false;
    auto* item = static_cast<DIDirBrowser*>(CreateDlgItem(option, OPTION_BROWSE_COMBO, OPTION_BROWSE_BUTTON));
    DlgBrowseOption dialog(parent, item);
    return dialog.Execute() == IDOK;
}
