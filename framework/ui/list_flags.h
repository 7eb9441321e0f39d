// The list flags word shared by the list controls and their owner-drawn
// text: what a list does (dragging, the index map, type-ahead search) and
// how its rows are drawn (grid lines, centring, colour codes, header).
#pragma once

#include <cstdint>

enum : uint32_t {
    LIST_DRAG = 0x2,                  // items can be dragged
    LIST_INDEX_MAP = 0x4,             // items are numbered in insertion order
    LIST_GRID = 0x8,                  // vertical lines between columns
    LIST_CENTRE = 0x10,               // every column centred
    LIST_HEADER_WIDTHS = 0x40,        // a column is at least its header's width
    LIST_DIALOG_UNITS = 0x80,         // the item height is in dialog units
    LIST_HAS_HEADER = 0x100,          // the list has a column header
    LIST_NO_COLOUR_CODES = 0x200,     // "$" and "%" codes are shown as text
    LIST_TYPE_AHEAD = 0x400,          // typing opens the search box
    LIST_MAIN = 0x800,                // the dialog's main list
    LIST_GRID_PEN = 0x1000,           // grid lines in the button-face colour
    LIST_PARENT_BACKGROUND = 0x2000,  // rows on the parent's background
};
