// The drawing part of the owner-drawn lists and combo boxes: an item's text
// becomes columns (TAB-separated), coloured segments (separated by 0x04) or
// one full-width line (a leading "@"). A column or segment may start with
// 0x1D (centred) and colour codes: "$RRGGBB" for the text, "%RRGGBB" for
// the background, in either order; "$$", "%%" and a leading "@@" stand for
// one literal character. A code needs six hexadecimal digits; anything
// else is shown as written.
//
// Column widths grow as texts are measured and set the owner's horizontal
// extent (the widest total + 2 pixels); with a column header the header's
// columns follow them.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/column_header.h"
#include "framework/ui/list_flags.h"

class SIDialog;
class Window;

constexpr char kCentreMark = 0x1D;
constexpr char kSegmentMark = 0x04;
constexpr COLORREF kNoColour = static_cast<COLORREF>(-1);

// One column's or segment's text with its codes taken off.
struct ColumnCodes {
    std::string text;
    COLORREF textColour = kNoColour;
    COLORREF background = kNoColour;
    bool centred = false;
};

// A colour code at the start of `text` ("$" or "%" and six hexadecimal
// digits): true with the colour and the rest of the text.
bool ParseColour(const char* text, COLORREF& colour, const char** rest);
ColumnCodes ParseColumnCodes(const std::string& field, bool codes);
// A text that is one full-width line ("@" not followed by "@"): its text.
bool FullWidthLine(const std::string& text, std::string* line = nullptr);
// Fills `r` of `window`'s client area with what its parent shows there:
// the parent draws it through the theme library while themes are active,
// else (and under it, should the parent draw nothing) the dialog face colour.
void FillParentBackground(HWND window, HDC dc, const RECT& r);
std::vector<std::string> SplitFields(const std::string& text, char separator);

class ODList : public ColumnHeaderFollower {
public:
    static constexpr int kColours = 64;
    static constexpr int kLastColumnWidth = 10000;
    static constexpr int kHeaderLastColumn = 2048;

    ODList(uint32_t flags, Window& owner);
    ~ODList() override;

    uint32_t DrawFlags() const { return flags_; }
    void SetDrawFlags(uint32_t flags) { flags_ = flags; }
    void SetEngine(SIDialog* engine) { engine_ = engine; }
    void SetBackground(COLORREF colour) { background_ = colour; }
    COLORREF Background() const { return background_; }
    COLORREF ColumnColour(int column) const;
    void SetColumnColour(int column, COLORREF colour);

    void MeasureFont();
    void MeasureText(const std::string& text);
    void ClearWidths();
    const std::vector<int>& Widths() const { return widths_; }
    int TotalWidth() const { return total_; }
    int LastColumn() const { return lastColumn_; }
    int Padding() const { return padding_; }
    // The owner's horizontal extent for its widest text.
    int Extent() const { return total_ + 2; }

    void SetHeader(HColumnHeader* header);
    HColumnHeader* Header() const { return header_; }
    void HeaderGone() override { header_ = nullptr; }

    // Draws item `item.itemID`'s text, `text`, into the record's DC.
    void DrawRow(const DRAWITEMSTRUCT& item, const std::string& text);

protected:
    virtual void SetOwnerExtent(int extent) = 0;
    // LBS_NOSEL on a list box; a combo box has no such style.
    virtual bool NoSelection() const { return false; }
    Window& owner_;

private:
    int Extent(HDC dc, const std::string& text) const;
    COLORREF RowBackground() const;
    void UpdateHeader();
    void DrawColumns(HDC dc, const RECT& r, const std::vector<std::string>& fields, bool selected, COLORREF row);
    void DrawSegments(HDC dc, const RECT& r, const std::vector<std::string>& segments, bool selected, COLORREF row);

    std::vector<int> widths_;
    std::array<COLORREF, kColours> colours_{};
    uint32_t flags_;
    int total_ = 0;
    int lastColumn_ = 0;
    HColumnHeader* header_ = nullptr;
    int originX_ = 0;
    int padding_ = 4;
    SIDialog* engine_ = nullptr;
    COLORREF background_ = kNoColour;
};
