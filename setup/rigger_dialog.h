// The frame every setup page shares: the setup's caption, the banner or the
// animation at the top, "$P"/"$V" replaced in every child's text, Back
// (disabled on the first page) and Cancel with its confirmation.
#pragma once

#include <cstdint>

#include "framework/ui/sdialog.h"

class SetupState;

class RiggerDialog : public SDialog {
public:
    RiggerDialog(Window* parent, bool firstPage, uint32_t dialogId, SetupState& state);
    ~RiggerDialog() override;

    // Modal run: 1 (Next), 2 (Cancel confirmed) or 518 (Back); -1 when the
    // template could not be loaded.
    int Execute() override;

    void SetupWindow() override;
    // Stops the animation before the page goes.
    void CleanupWindow() override;
    // The base painting, then the banner when there is one.
    void EvPaint() override;
    // Asks "Are you sure you want to exit the setup?"; Yes ends with 2.
    void CmCancel() override;
    // Validates and stores the page's items, then ends with 518.
    virtual void CmBack();

    LRESULT EvCommand(UINT id, HWND control, UINT code) override;

    bool FirstPage() const { return firstPage_; }
    SetupState& State() const { return state_; }

private:
    // Moves the page down below the banner and hides the title and the
    // animation area.
    void PlaceBannerRoom();
    // Plays the page animation at the right of the animation area.
    void StartAnimation();
    void PaintBanner(HDC dc);

    bool firstPage_;
    SetupState& state_;
    struct Animation;
    Animation* animation_ = nullptr;
};
