// The dialog module's four shared fonts, made on first use and kept until
// the module goes: "Courier New" 9 point normal, "Microsoft Sans Serif" 8
// point bold (the framework's shared bold font), "Tahoma" 8 point normal
// and bold. Made on first use rather than at load: a DLL's start-up runs
// under the loader lock, where nothing should call into GDI.
#pragma once

#include <windows.h>

#include <cstdint>

class SIDialog;

enum class ModuleFontId : uint32_t {
    FixedPitch = 0,  // "Courier New" 400/9
    Bold = 1,        // "Microsoft Sans Serif" 700/8
    Tahoma = 2,      // "Tahoma" 400/8
    TahomaBold = 3,  // "Tahoma" 700/8
};

// Null for an id outside the four.
HFONT ModuleFont(ModuleFontId id);

// Gives the dialog's control `controlId` one of the shared fonts (through
// the engine's per-control font record, so set-up applies it when the
// window does not exist yet).
void SetItemModuleFont(SIDialog& engine, ModuleFontId id, uint32_t controlId);
