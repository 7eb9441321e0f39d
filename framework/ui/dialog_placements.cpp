#include "framework/ui/dialog_placements.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/config/ini_stream.h"
#include "framework/ui/dialog_module.h"

namespace {

constexpr const char* kSection = "Dlg Placements";

bool ReadNumber(const char* text, uint32_t& value)
{
    if (!text || !*text) return false;
    char* end = nullptr;
    unsigned long v = strtoul(text, &end, 0);  // decimal, or hexadecimal with "0x"
    if (!end || *end) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

// Registered with the event handlers at start-up, as long as the dialog
// module is part of the program.
DialogPlacementsHandler g_dialogPlacementsHandler;

void DialogPlacementsHandler::Read(INIStream& stream)
{
    INIStream* nested = stream.GetSubStream(false, kSection);
    if (!nested) return;
    std::vector<std::string> names;
    for (const auto& section : nested->Sections()) names.push_back(section->Name());
    for (const std::string& name : names) {
        uint32_t id = 0, w = 0, h = 0;
        if (!ReadNumber(name.c_str(), id)) break;
        nested->SetSection(name.c_str());
        // The first dialog without a width or a height ends the list.
        if (!ReadNumber(nested->FindValue("W"), w) || !ReadNumber(nested->FindValue("H"), h) || !w || !h) break;
        StoreDialogPlacement(id, static_cast<int32_t>(w), static_cast<int32_t>(h));
    }
}

void DialogPlacementsHandler::Write(INIStream& stream)
{
    INIStream* nested = stream.GetSubStream(true, kSection);
    if (!nested) return;
    for (const DialogPlacement& p : DialogPlacementList()) {
        char name[16], w[16], h[16];
        snprintf(name, sizeof name, "%" PRIu32, p.templateId);
        snprintf(w, sizeof w, "%" PRId32, p.width);
        snprintf(h, sizeof h, "%" PRId32, p.height);
        nested->SelectSection(name);
        nested->SetValue(w, "W");
        nested->SetValue(h, "H");
    }
}

void DialogPlacementsHandler::OnDesktopRead(INIStream* stream)
{
    if (stream) Read(*stream);
}

void DialogPlacementsHandler::OnDesktopWrite(INIStream* stream)
{
    if (stream) Write(*stream);
}
