// The framework's table of named colours, in groups.
#pragma once

#include <windows.h>

#include <cstdint>

struct ColourEntry {
    const char* name;      // null ends a table
    COLORREF defaultColour;
    bool system;           // take GetSysColor(systemIndex)
    int systemIndex;
    uint16_t linkedId;     // with `inverted`: the entry whose colour is inverted
    bool inverted;
    uint32_t id;
    COLORREF current;
};

struct ColourGroup {
    const char* title;
    uint32_t baseId;
    ColourEntry* entries;
};

// Sets every entry to its default and lists the group.
void RegisterColorGroup(ColourGroup* group);
void UnregisterColorGroup(ColourGroup* group);
// The colour of entry `id` in `group`: 0 when absent; the system colour for a
// system entry; for an inverted entry the linked entry's own colour with its
// three bytes inverted (never followed further, so a cycle cannot loop).
COLORREF ColorValue(const ColourGroup* group, uint32_t id);
// Whether `group` has entry `id` (ColorValue answers 0 for a missing one).
bool HasColor(const ColourGroup* group, uint32_t id);
// The framework's group "Miscellaneous colors" (registered on first use).
ColourGroup* MiscColourGroup();
