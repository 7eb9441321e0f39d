// The header control ("SysHeader32"): columns with a title, a width and a
// format word. Titles travel as UTF-16 converted from code page 1251.
#pragma once

#include <string>

#include "framework/window/control.h"

#include <commctrl.h>

class HeaderControl : public Control {
public:
    HeaderControl(Window* parent, int id) : Control(parent, id) {}
    const char* ClassName() const override { return "SysHeader32"; }

    int Count() const;
    // The index of the new column, -1 on failure.
    int InsertColumn(int index, int width, const char* title, int format = HDF_LEFT | HDF_STRING);
    bool DeleteColumn(int index);
    // -1 for a column that does not exist.
    int ColumnWidth(int index) const;
    bool SetColumnWidth(int index, int width);
    int ColumnFormat(int index) const;
    bool SetColumnFormat(int index, int format);
    std::string ColumnTitle(int index) const;
    bool SetColumnTitle(int index, const char* title);
    RECT ColumnRect(int index) const;
    // The height the control wants inside `area` (HDM_LAYOUT).
    int LayoutHeight(const RECT& area) const;
};
