// The plug-in's second dialog (template 21781, Russian 31781): the success
// note, and ticks to open the help and to start the board setup program of
// each installation the files went into.
#pragma once

#include <cstdint>
#include <string>

#include "framework/ui/sdialog.h"

enum : uint32_t {
    DLG_SETUP_OK = 21781,
    CTRL_SETUP_OK_NOTE = 21099,
};

// The board setup program of the accepted installation of `version`, when
// the files went into a version and that program is there; else empty. A
// folder typed by hand, or a rejected registry candidate, has none: nothing
// is started from the search path or from an installation not accepted.
std::string BoardSetupProgram(uint32_t version);

class DlgSetupOk : public SDialog {
public:
    DlgSetupOk();
    void SetupWindow() override;
    // The Exit button: stores the ticks, ends with 1, then opens and starts
    // what is ticked.
    void CmOk() override;
};
