#include "framework/window/mapped_bitmap.h"

#include <commctrl.h>

// Only bitmaps with a colour table (up to 256 colours) are mapped; the table
// entries are replaced, so the pixels need no rewriting.
MappedBitmap::MappedBitmap(HINSTANCE module, uint32_t id)
    : Bitmap(CreateMappedBitmap(module, static_cast<INT_PTR>(id), 0, nullptr, 0))
{
}
