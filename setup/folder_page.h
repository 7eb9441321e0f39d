// The destination folder page: TARGETDIR in an edit, a Browse button, and
// the checks of Next (an empty text, a relative path, a folder that already
// holds files).
#pragma once

#include <cstdint>

#include "setup/rigger_dialog.h"

enum : uint16_t {
    SETUP_CTL_FOLDER_EDIT = 100,
    SETUP_CTL_FOLDER_BROWSE = 101,
};
// The edit takes at most this many characters.
constexpr uint32_t kFolderEditMax = 257;

class DlgFolder : public RiggerDialog {
public:
    DlgFolder(Window* parent, bool firstPage, SetupState& state);
    // Next: TARGETDIR takes the edit's text and is checked; the page ends
    // only for a folder that may be used.
    void CmOk() override;
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;

    // The edit's text as the page keeps it (TARGETDIR after the page).
    const char* Folder() const { return folder_; }

private:
    void Browse();
    // The edit's text into the buffer.
    void TakeEditText();

    char folder_[kFolderEditMax + 1] = {};
};
