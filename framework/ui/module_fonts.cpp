#include "framework/ui/module_fonts.h"

#include <array>
#include <memory>

#include "framework/ui/sidialog.h"
#include "framework/window/shared_font.h"

namespace {

struct FontSpec {
    const char* face;
    int weight;
    int points;
};

constexpr std::array<FontSpec, 4> kFonts{{
    {"Courier New", FW_NORMAL, 9},
    {"Microsoft Sans Serif", FW_BOLD, 8},
    {"Tahoma", FW_NORMAL, 8},
    {"Tahoma", FW_BOLD, 8},
}};

}  // namespace

HFONT ModuleFont(ModuleFontId id)
{
    static std::array<std::unique_ptr<PSharedFont>, kFonts.size()> fonts;
    const auto index = static_cast<size_t>(id);
    if (index >= kFonts.size()) return nullptr;
    if (!fonts[index]) {
        const FontSpec& spec = kFonts[index];
        fonts[index].reset(NewPSharedFont(spec.points, spec.weight, spec.face));
    }
    return fonts[index] ? fonts[index]->Handle() : nullptr;
}

void SetItemModuleFont(SIDialog& engine, ModuleFontId id, uint32_t controlId)
{
    if (HFONT font = ModuleFont(id)) engine.SetItemFont(font, controlId);
}
