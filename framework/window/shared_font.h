// Fonts shared by face, size and weight: every PSharedFont with the same
// face (compared exactly), pixel height, weight and point size uses one
// HFONT, which lives while any of them does.
//
// The fonts are made with DEFAULT_CHARSET: the window layer hands every
// text to Windows as UTF-16 (converted from code page 1251), so Cyrillic
// comes from the face's Unicode glyphs whatever the system's ANSI code page.
#pragma once

#include <windows.h>

#include <string>

class PSharedFont {
public:
    // The pixel height is derived from the point size for the screen, or
    // for `dc` when one is given.
    PSharedFont(int pointSize, int weight, const char* face, HDC dc = nullptr);
    // From an existing font: its face and height, weight 700 with `bold`
    // (else its own weight).
    PSharedFont(HFONT font, bool bold);
    ~PSharedFont();
    PSharedFont(const PSharedFont&) = delete;
    PSharedFont& operator=(const PSharedFont&) = delete;

    HFONT Handle() const;
    operator HFONT() const { return Handle(); }

    // The number of PSharedFont objects using this font's HFONT.
    int Users() const;

    // One font of the process-wide list (face, handle, users, pixel height,
    // weight, point size).
    struct Info;

private:
    void Join(const std::string& face, int pixelHeight, int weight, int pointSize);
    Info* info_ = nullptr;
};

// A heap object, or null when out of memory.
PSharedFont* NewPSharedFont(int pointSize, int weight, const char* face);
