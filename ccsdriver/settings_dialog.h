// The driver's settings dialog: the TCK frequency ("JTAGSpeed") and the
// trace log switch ("LogOn").
#pragma once

#include <cstdint>

#include "framework/ui/sdialog.h"

constexpr uint32_t kSettingsDialogId = 20561;  // Russian twin 30561
constexpr uint32_t kSettingsCaptionText = 9000;
constexpr uint32_t kLogOnControl = 100;
constexpr uint32_t kFirstSpeedControl = 101;
constexpr uint32_t kHelpButton = 9;

// Edits copies of the two settings; the caller stores them after OK.
class DlgSettings : public SDialog {
public:
    DlgSettings();
    bool LogOn() const { return logOn_ != 0; }
    uint32_t JtagSpeed() const { return jtagSpeed_; }
    // False when OK was pressed with no frequency chosen.
    bool SpeedChosen() const { return speedChosen_; }
    void CmOk() override;
    // The Help button opens the driver's help on this dialog.
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;

private:
    uint8_t logOn_;
    uint32_t jtagSpeed_;
    bool speedChosen_ = true;
};

// Runs the dialog modally; after OK the tracing flag becomes "LogOn" and the
// TCK frequency goes to the master engine. Returns the dialog's result.
int RunSettingsDialog();
