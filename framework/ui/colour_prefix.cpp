#include "framework/ui/colour_prefix.h"

ColourPrefix ApplyColourPrefix(const char* text)
{
    ColourPrefix result;
    const char* t = text ? text : "";
    if (t[0] == '$' && t[1] >= '0' && t[1] <= '9') {
        uint64_t colour = 0;
        const char* p = t + 1;
        while (*p >= '0' && *p <= '9') {
            colour = colour * 10 + static_cast<uint64_t>(*p - '0');
            if (colour > 0xFFFFFFFFu) colour = 0xFFFFFFFFu;  // saturate: never wraps
            ++p;
        }
        if (*p == '$') ++p;
        result.changed = true;
        result.hasColour = true;
        result.colour = static_cast<uint32_t>(colour);
        result.text = p;
        return result;
    }
    if (t[0] == '$' && t[1] == '$') {
        result.changed = true;
        result.text = t + 1;
        return result;
    }
    result.text = t;
    return result;
}
