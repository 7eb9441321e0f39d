#include "framework/ui/colour_table.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<ColourGroup*>& Groups()
{
    static std::vector<ColourGroup*> groups;
    return groups;
}

const ColourEntry* FindEntry(const ColourGroup* group, uint32_t id)
{
    if (!group || !group->entries) return nullptr;
    for (const ColourEntry* e = group->entries; e->name; ++e)
        if (e->id == id) return e;
    return nullptr;
}

COLORREF OwnColour(const ColourEntry& e) { return e.system ? GetSysColor(e.systemIndex) : e.current; }

ColourEntry g_misc[] = {
    {"Group box text in dialogs", RGB(0, 0, 128), false, COLOR_BTNTEXT, 0, false, 20778, 0},
    {nullptr, 0, false, 0, 0, false, 0, 0},
};
ColourGroup g_miscGroup{"Miscellaneous colors", 1000, g_misc};

}  // namespace

void RegisterColorGroup(ColourGroup* group)
{
    if (!group) return;
    for (ColourEntry* e = group->entries; e && e->name; ++e) e->current = e->defaultColour;
    if (std::find(Groups().begin(), Groups().end(), group) == Groups().end()) Groups().push_back(group);
}

void UnregisterColorGroup(ColourGroup* group)
{
    auto& g = Groups();
    g.erase(std::remove(g.begin(), g.end(), group), g.end());
}

COLORREF ColorValue(const ColourGroup* group, uint32_t id)
{
    const ColourEntry* e = FindEntry(group, id);
    if (!e) return 0;
    if (e->system) return GetSysColor(e->systemIndex);
    if (e->inverted && e->linkedId) {
        const ColourEntry* linked = FindEntry(group, e->linkedId);
        if (linked) return OwnColour(*linked) ^ 0x00FFFFFFu;
    }
    return e->current;
}

bool HasColor(const ColourGroup* group, uint32_t id) { return FindEntry(group, id) != nullptr; }

ColourGroup* MiscColourGroup()
{
    static bool registered = (RegisterColorGroup(&g_miscGroup), true);
    (void)registered;
    return &g_miscGroup;
}
