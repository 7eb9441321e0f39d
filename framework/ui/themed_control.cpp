#include "framework/ui/themed_control.h"

#include "framework/ui/dialog_module.h"
#include "framework/window/window.h"

ThemedControl::ThemedControl(Window& control, std::function<int()> stateOf)
    : control_(control), stateOf_(std::move(stateOf))
{
}

ThemedControl::~ThemedControl() = default;

void ThemedControl::Attach()
{
    state_ = stateOf_();
    if (!control_.GetHandle()) return;
    tracking_ = std::make_unique<MouseTracking>(control_.GetHandle());
    if (ThemesActive()) tracking_->Track();
}

const ThemeData* ThemedControl::GetTheme(const wchar_t* className)
{
    for (const Kept& k : themes_)
        if (k.className == className) return k.theme.get();
    auto theme = std::make_unique<ThemeData>(control_.GetHandle(), className);
    if (!*theme) return nullptr;
    themes_.push_back(Kept{className, std::move(theme)});
    return themes_.back().theme.get();
}

bool ThemedControl::Update()
{
    const int state = stateOf_();
    const bool changed = state != state_;
    state_ = state;
    return changed;
}

void ThemedControl::MouseMoved()
{
    if (Update()) control_.Invalidate(false);
    if (!tracking_ && control_.GetHandle()) tracking_ = std::make_unique<MouseTracking>(control_.GetHandle());
    if (tracking_) tracking_->Track();
}

void ThemedControl::MouseLeft()
{
    if (Update()) control_.Invalidate(true);
}

bool ThemedControl::IsMouseInside() const
{
    if (!control_.GetHandle()) return false;
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT r{};
    ::GetWindowRect(control_.GetHandle(), &r);
    return PtInRect(&r, cursor) != FALSE;
}

void ThemedControl::OnThemeChange()
{
    themes_.clear();
    if (control_.GetHandle()) control_.Invalidate(true);
}
