// The two pages over the installed versions: the configuration transfer
// ("DisplayVersions") and the uninstall of older versions
// ("DisplayUVersions").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/di_check_list.h"
#include "setup/rigger_dialog.h"

class DIListBox;
class DICheckBoxesAsListBox;

enum : uint16_t {
    SETUP_CTL_TRANSFER_BOX = 100,
    SETUP_CTL_VERSION_LIST = 101,
    SETUP_CTL_UVERSIONS_NOTE = 21101,
    SETUP_CTL_UVERSIONS_TEXT = 1000,
};

// Dialog 20597: box 100 (transfer the configuration) and list 101 of the
// versions. The box and the selection come from the state and go back to it
// when the page ends forward or back; a selection beyond the list becomes
// the first version.
class DlgVersions : public RiggerDialog {
public:
    DlgVersions(Window* parent, bool firstPage, SetupState& state, const std::vector<std::string>& versions);
    // The page's result; the state holds the box and the selection after it.
    int Execute() override;

private:
    uint8_t transfer_ = 0;
    DIListBox* list_ = nullptr;
};

// Dialog 20869: check list 101 of the versions, text 1000 and note 21101.
// The version being installed is checked and locked; the others start
// unchecked. With "MultipleVersions" off text 1000 says that the version
// found will be uninstalled; with it on the note is shown.
class DlgUVersions : public RiggerDialog {
public:
    DlgUVersions(Window* parent, bool firstPage, SetupState& state, const std::vector<std::string>& versions);
    void SetupWindow() override;
    // After OK: the rows with their check states.
    const CheckListEntries& Rows() const { return rows_; }

private:
    CheckListEntries rows_;
};
