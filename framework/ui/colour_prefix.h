// The colour prefix of a static label: "$<number>" at the start of the text
// gives the label's text colour, and "$$" stands for a plain "$".
#pragma once

#include <cstdint>
#include <string>

struct ColourPrefix {
    bool changed = false;    // the text differs from the input
    bool hasColour = false;  // a colour was given
    uint32_t colour = 0;     // COLORREF
    std::string text;        // the text without the prefix
};

// "$255$red" -> colour 255, "red"; "$5 apples" -> colour 5, " apples";
// "$$5 apples" -> "$5 apples" without colour; anything else unchanged.
ColourPrefix ApplyColourPrefix(const char* text);
