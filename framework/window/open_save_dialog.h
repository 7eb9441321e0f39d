// The common file dialog as an object: the record, the filter, the flags and
// whether it saves, run once (and once more after a failed first run with an
// initial name, see RunOpenSaveDialog).
#pragma once

#include <windows.h>

#include "framework/window/common_dialogs.h"

class POpenSaveDialog {
public:
    // The record gets OFN_ENABLESIZING; `filter` ('|' separated) and
    // `flags` are written into it. The record must outlive the object: the
    // chosen name lands in its fileName.
    POpenSaveDialog(HWND owner, OpenSaveData& data, const char* filter, DWORD flags, bool save);

    // IDOK with the chosen file in the record, else IDCANCEL.
    int Execute();

    OpenSaveData& Data() const { return data_; }
    bool Saves() const { return save_; }

private:
    HWND owner_;
    OpenSaveData& data_;
    bool save_;
};
