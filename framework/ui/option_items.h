// The dialog half of the options: the item that edits an option in a
// dialog, and the browse dialog of folder and file options.
#pragma once

#include <cstdint>

class DlgItemDescr;
class POption;
class Window;

enum : uint32_t {
    OPTION_BROWSE_TEMPLATE = 14147,
    OPTION_BROWSE_BUTTON = 100,
    OPTION_BROWSE_COMBO = 101,
};

// A new item bound to the option's own value for control `controlId` (the
// caller's dialog owns it), or null for an option without a dialog item.
// Folder and file options take their browse button id as `browseButtonId`.
DlgItemDescr* CreateDlgItem(POption& option, uint32_t controlId, uint32_t browseButtonId = 0);

// Runs the browse dialog of a folder or file option: the folder or file
// browser opens at once, and the dialog ends with OK (true, the option holds
// the choice) when something was chosen; false when cancelled (the option
// keeps its value) or for other options.
bool Browse(POption& option, Window* parent = nullptr);
