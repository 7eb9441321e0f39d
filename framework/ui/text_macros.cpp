#include "framework/ui/text_macros.h"

#include <cstring>

namespace {
const TextMacro* g_macros = nullptr;

// Appends `value` within the room; false (and dots as far as they fit) when
// it does not fit.
bool AppendBounded(char*& cursor, size_t& room, const char* value)
{
    size_t n = strlen(value);
    if (n <= room) {
        memcpy(cursor, value, n);
        cursor += n;
        room -= n;
        return true;
    }
    size_t dots = room < 3 ? room : 3;
    size_t keep = room - dots;
    memcpy(cursor, value, keep);
    cursor += keep;
    memset(cursor, '.', dots);
    cursor += dots;
    room = 0;
    return false;
}
}  // namespace

void SetTextMacros(const TextMacro* table) { g_macros = table; }
const TextMacro* GetTextMacros() { return g_macros; }

void ExpandTextMacros(char* out, const char* text, size_t size)
{
    if (!out || size == 0) return;
    char* cursor = out;
    size_t room = size - 1;
    for (const char* p = text ? text : ""; *p && room;) {
        if (*p == '$' && g_macros) {
            const TextMacro* match = nullptr;
            for (const TextMacro* m = g_macros; m->name; ++m)
                if (*m->name && strncmp(p + 1, m->name, strlen(m->name)) == 0) {
                    match = m;
                    break;
                }
            if (match) {
                p += 1 + strlen(match->name);
                if (!AppendBounded(cursor, room, match->value ? match->value : "")) break;
                continue;
            }
        }
        *cursor++ = *p++;
        --room;
    }
    *cursor = 0;
}

bool ReplaceAll(const char* replacement, const char* pattern, const char* text, char* out, size_t size)
{
    if (!out || size == 0) return false;
    const char* t = text ? text : "";
    const char* r = replacement ? replacement : "";
    const size_t patternLength = pattern ? strlen(pattern) : 0;
    const size_t replacementLength = strlen(r);
    size_t room = size - 1;
    char* cursor = out;
    bool complete = true;
    while (*t) {
        if (patternLength && strncmp(t, pattern, patternLength) == 0) {
            if (replacementLength > room) {
                complete = false;
                break;
            }
            memcpy(cursor, r, replacementLength);
            cursor += replacementLength;
            room -= replacementLength;
            t += patternLength;
            continue;
        }
        if (!room) {
            complete = false;
            break;
        }
        *cursor++ = *t++;
        --room;
    }
    *cursor = 0;
    return complete;
}
