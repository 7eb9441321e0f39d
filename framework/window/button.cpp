#include "framework/window/button.h"

void Button::SetupWindow()
{
    if (isDefault_ && Parent() && Parent()->GetHandle()) Parent()->SendMessage(DM_SETDEFID, static_cast<WPARAM>(GetId()));
}

uint32_t CheckBox::Transfer(void* buffer, TransferDirection direction)
{
    if (!buffer) return sizeof(UINT);
    auto* state = static_cast<UINT*>(buffer);
    if (direction == TransferDirection::GetData) *state = GetCheck();
    else SetCheck(*state);
    return sizeof(UINT);
}
