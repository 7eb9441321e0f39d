#include "framework/ui/check_controls.h"

#include "framework/config/poption.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/sidialog.h"

void SmartDoubleClick(Window& button)
{
    if (!SmartDoubleClickOption().GetValue()) return;
    Window* dialog = button.Parent();
    if (!dialog || !dialog->GetHandle()) return;
    if (auto* engine = dynamic_cast<SIDialog*>(dialog); engine && engine->NoSmartDoubleClick()) return;
    // Posted: the button finishes its own double click before the dialog
    // reads the items and closes.
    PostMessageA(dialog->GetHandle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog->GetHandle(), IDOK)));
}

void ACheckBox::EvLButtonDblClk(UINT modifiers, POINT point)
{
    CheckBox::EvLButtonDblClk(modifiers, point);
    // An automatic three-state box cycles through its states on clicks.
    if ((GetStyle() & BS_TYPEMASK) == BS_AUTO3STATE) return;
    SmartDoubleClick(*this);
}

void ARadioButton::EvLButtonDblClk(UINT modifiers, POINT point)
{
    RadioButton::EvLButtonDblClk(modifiers, point);
    SmartDoubleClick(*this);
}
