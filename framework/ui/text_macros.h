// "$"-name expansion in texts and plain text replacement.
#pragma once

#include <cstddef>

struct TextMacro {
    const char* name;   // null ends a table
    const char* value;  // the current value (the setup fills "P" and "V")
};

// The program's macro table (null: none).
void SetTextMacros(const TextMacro* table);
const TextMacro* GetTextMacros();

// Expands "$<name>" in `text` into `out` of `size` bytes. A value that does
// not fit ends in as many dots of "..." as fit and ends the expansion.
// Nothing is written past `size`; `out` always ends with a NUL when size > 0.
void ExpandTextMacros(char* out, const char* text, size_t size);

// Copies `text` into `out` (`size` bytes) with each `pattern` replaced; an
// empty pattern copies the text unchanged. False when the result was cut.
bool ReplaceAll(const char* replacement, const char* pattern, const char* text, char* out, size_t size);
