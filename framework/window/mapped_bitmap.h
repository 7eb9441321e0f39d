// A bitmap resource loaded with its greys mapped to the system colours of
// buttons: black to the button text, dark grey to the shadow, light grey to
// the face and white to the highlight, so that images drawn in the classic
// greys match the user's colour scheme. Owned, deleted with the object.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/window/gdi_objects.h"

class MappedBitmap : public Bitmap {
public:
    MappedBitmap() = default;
    // Bitmap `id` of `module`; empty when the module has no such bitmap. The
    // colours are those of the moment of loading.
    MappedBitmap(HINSTANCE module, uint32_t id);
};
