// The plug-in's first dialog (template 21862, Russian 31862): the 2.x and
// 3.x installations found in the registry, or folders the user names, with
// a tick for each; Install writes the help setting and copies the file
// lists into the ticked ones, "E&xit Setup" leaves without copying.
#pragma once

#include <cstdint>

#include "framework/ui/sdialog.h"

enum : uint32_t {
    DLG_SETUP = 21862,
    CTRL_CCS2_TEXT = 21099,
    CTRL_CCS3_TEXT = 21100,
    CTRL_SETUP_NOTE = 21101,
};

class DlgSetup : public SDialog {
public:
    DlgSetup();
    void SetupWindow() override;
    // The Install button: the dialog ends with OK only when everything of
    // the ticked versions was copied.
    void CmOk() override;
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;

private:
    void UpdateInstallButton();
    // Fills the version's folder combo from the registry, or says that it
    // was not found there and clears its tick.
    void ShowFoundFolder(uint32_t version);
    bool Install();
};
