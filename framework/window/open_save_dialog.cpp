#include "framework/window/open_save_dialog.h"

#include "framework/base/trace_scope.h"

POpenSaveDialog::POpenSaveDialog(HWND owner, OpenSaveData& data, const char* filter, DWORD flags, bool save)
    : owner_(owner), data_(data), save_(save)
{
    if (filter) data_.filter = filter;
    data_.flags = flags | OFN_ENABLESIZING;
}

int POpenSaveDialog::Execute()
{
    PTraceScope scope("POpenSaveDialog::Execute()");
    return RunOpenSaveDialog(owner_, save_, data_) ? IDOK : IDCANCEL;
}
