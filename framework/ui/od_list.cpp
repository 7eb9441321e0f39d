#include "framework/ui/od_list.h"

#include <algorithm>
#include <cctype>

#include "framework/ui/colour_table.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/sidialog.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/theme_library.h"
#include "framework/window/window.h"
#include "framework/window/window_text.h"

namespace {

constexpr uint32_t kMiscColourIds[4] = {21425, 21426, 21427, 21428};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ParseColour(const char* text, COLORREF& colour, const char** rest)
{
    if (!text || (text[0] != '$' && text[0] != '%')) return false;
    int value[6];
    for (int i = 0; i < 6; ++i) {
        // Six hexadecimal digits, every one of them: "$12345G" is text.
        value[i] = HexDigit(text[1 + i]);
        if (value[i] < 0) return false;
    }
    colour = RGB(value[0] * 16 + value[1], value[2] * 16 + value[3], value[4] * 16 + value[5]);
    if (rest) *rest = text + 7;
    return true;
}

ColumnCodes ParseColumnCodes(const std::string& field, bool codes)
{
    ColumnCodes result;
    const char* p = field.c_str();
    if (*p == kCentreMark) {
        result.centred = true;
        ++p;
    }
    if (codes) {
        // A text code and a background code, each once, in either order.
        for (int round = 0; round < 2; ++round) {
            COLORREF colour = 0;
            const char* rest = nullptr;
            if ((p[0] == '$' || p[0] == '%') && p[1] == p[0]) {
                ++p;  // the doubled sign: one literal character
                break;
            }
            if (!ParseColour(p, colour, &rest)) break;
            COLORREF& slot = *p == '$' ? result.textColour : result.background;
            if (slot != kNoColour) break;
            slot = colour;
            p = rest;
        }
    }
    result.text = p;
    return result;
}

bool FullWidthLine(const std::string& text, std::string* line)
{
    if (text.empty() || text[0] != '@' || (text.size() > 1 && text[1] == '@')) return false;
    if (line) *line = text.substr(1);
    return true;
}

std::vector<std::string> SplitFields(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        fields.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return fields;
}

ODList::ODList(uint32_t flags, Window& owner) : owner_(owner), flags_(flags)
{
    for (int i = 0; i < kColours; ++i)
        colours_[static_cast<size_t>(i)] = i < 4 ? ColorValue(MiscColourGroup(), kMiscColourIds[i]) : GetSysColor(COLOR_WINDOWTEXT);
}

ODList::~ODList()
{
    if (header_) header_->SetFollower(nullptr);
}

COLORREF ODList::ColumnColour(int column) const
{
    return column >= 0 && column < kColours ? colours_[static_cast<size_t>(column)] : GetSysColor(COLOR_WINDOWTEXT);
}

void ODList::SetColumnColour(int column, COLORREF colour)
{
    if (column >= 0 && column < kColours) colours_[static_cast<size_t>(column)] = colour;
}

void ODList::SetHeader(HColumnHeader* header)
{
    if (header_) header_->SetFollower(nullptr);
    header_ = header;
    if (header_) {
        header_->SetFollower(this);
        flags_ |= LIST_HAS_HEADER;
    }
}

void ODList::MeasureFont()
{
    if (!owner_.GetHandle()) return;
    ClientDC dc(owner_.GetHandle());
    SelectObjectScope font(dc, owner_.GetFont());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    padding_ = 2 * (tm.tmAveCharWidth & ~1);
}

int ODList::Extent(HDC dc, const std::string& text) const
{
    const std::wstring wide = Wide1251(text.c_str());
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

void ODList::ClearWidths()
{
    widths_.clear();
    total_ = 0;
    lastColumn_ = 0;
}

void ODList::MeasureText(const std::string& text)
{
    if (!owner_.GetHandle()) return;
    const bool codes = !(flags_ & LIST_NO_COLOUR_CODES);
    ClientDC dc(owner_.GetHandle());
    SelectObjectScope font(dc, owner_.GetFont());
    std::string line;
    bool changed = false;
    if (text.compare(0, 2, "@@") == 0) {
        MeasureText(text.substr(1));  // a doubled at sign is one literal "@"
        return;
    }
    if (FullWidthLine(text, &line)) {
        const int width = Extent(dc, ParseColumnCodes(line, codes).text);
        if (width > total_) {
            total_ = width;
            SetOwnerExtent(Extent());
        }
        return;
    }
    const bool columns = text.find('\t') != std::string::npos;
    const std::vector<std::string> fields = columns ? SplitFields(text, '\t') : std::vector<std::string>{text};
    for (size_t i = 0; i < fields.size(); ++i) {
        int width = padding_;
        if (columns) {
            width += Extent(dc, ParseColumnCodes(fields[i], codes).text);
        } else {
            // Segments are drawn one after another: their texts add up.
            for (const std::string& segment : SplitFields(fields[i], kSegmentMark))
                width += Extent(dc, ParseColumnCodes(segment, codes).text);
        }
        // The header's measured width (margin + title) is the least a
        // column takes, so its title is never cut.
        if ((flags_ & LIST_HEADER_WIDTHS) && header_ && i < header_->MeasuredWidths().size())
            width = std::max(width, header_->MeasuredWidths()[i]);
        if (i >= widths_.size()) {
            widths_.push_back(width);
            changed = true;
        } else if (width > widths_[i]) {
            widths_[i] = width;
            changed = true;
        }
    }
    int total = GetSystemMetrics(SM_CXVSCROLL);
    for (int w : widths_) total += w;
    if (static_cast<int>(fields.size()) - 1 > lastColumn_) lastColumn_ = static_cast<int>(fields.size()) - 1;
    if (total > total_) {
        total_ = total;
        SetOwnerExtent(Extent());
    }
    if (changed) UpdateHeader();
}

void ODList::UpdateHeader()
{
    if (!header_) return;
    const int count = header_->Count();
    for (int i = 0; i < count; ++i) {
        const bool last = i + 1 == count;
        if (last) header_->SetColumnWidth(kHeaderLastColumn, i);
        else if (static_cast<size_t>(i) < widths_.size()) header_->SetColumnWidth(widths_[static_cast<size_t>(i)], i);
    }
}

COLORREF ODList::RowBackground() const
{
    if (background_ != kNoColour) return background_;
    if (engine_) return engine_->WindowColour(engine_->FindItem(static_cast<uint32_t>(owner_.GetId())));
    return GetSysColor(COLOR_WINDOW);
}

void FillParentBackground(HWND window, HDC dc, const RECT& r)
{
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (ThemesActive() && window) theme::DrawThemeParentBackground(window, dc, &r);
}

void ODList::DrawRow(const DRAWITEMSTRUCT& item, const std::string& text)
{
    if (static_cast<int>(item.itemID) < 0) return;
    HDC dc = item.hDC;
    const RECT r = item.rcItem;
    const bool noSelection = NoSelection();
    const bool selected = !noSelection && (item.itemState & ODS_SELECTED);
    const COLORREF row = selected ? GetSysColor(COLOR_HIGHLIGHT) : RowBackground();
    if ((flags_ & LIST_PARENT_BACKGROUND) && !selected) {
        FillParentBackground(owner_.GetHandle(), dc, r);
    } else {
        Brush brush(row);
        FillRect(dc, &r, brush);
    }
    SelectObjectScope font(dc, owner_.GetFont());
    SetBkMode(dc, TRANSPARENT);
    // The item rectangle's left edge carries the list's sideways scrolling.
    originX_ = r.left;
    const std::string shown = text.compare(0, 2, "@@") == 0 ? text.substr(1) : text;
    std::string line;
    if (FullWidthLine(text, &line)) {
        DrawSegments(dc, r, {line}, selected, row);
    } else if (shown.find('\t') != std::string::npos) {
        DrawColumns(dc, r, SplitFields(shown, '\t'), selected, row);
    } else {
        DrawSegments(dc, r, SplitFields(shown, kSegmentMark), selected, row);
    }
    if (!noSelection && (item.itemState & ODS_FOCUS)) DrawFocusRect(dc, &r);
}

void ODList::DrawColumns(HDC dc, const RECT& r, const std::vector<std::string>& fields, bool selected, COLORREF row)
{
    const auto& units = DpiUnits();
    const int unit1 = static_cast<int>(units[1]), unit2 = static_cast<int>(units[2]);
    const bool codes = !(flags_ & LIST_NO_COLOUR_CODES);
    RECT client{};
    GetClientRect(owner_.GetHandle(), &client);
    // Grid lines in the button-face colour only with both flags.
    Pen grid;
    const bool gridPen = (flags_ & (LIST_GRID | LIST_GRID_PEN)) == (LIST_GRID | LIST_GRID_PEN);
    if (gridPen) grid = Pen(GetSysColor(COLOR_BTNFACE));
    SelectObjectScope pen(dc, gridPen ? grid.Get() : nullptr);
    int x = unit1 + originX_;
    for (size_t i = 0; i < fields.size(); ++i) {
        const bool lastField = i + 1 == fields.size();
        int width = lastField ? kLastColumnWidth : (i < widths_.size() ? widths_[i] : padding_);
        if (header_) {
            const int w = header_->GetColumnWidth(static_cast<int>(i));
            if (w >= 0) width = w;
        }
        const ColumnCodes column = ParseColumnCodes(fields[i], codes);
        RECT textRect{x + padding_ / 2 - unit1, r.top, x + width - padding_ / 2, r.bottom};
        if (column.background != kNoColour && column.background != row && !selected) {
            RECT fill = textRect;
            fill.right -= unit2;
            Brush brush(column.background);
            FillRect(dc, &fill, brush);
        }
        COLORREF colour = ColumnColour(static_cast<int>(i));
        if (column.textColour != kNoColour) colour = column.textColour;
        if (selected) colour = GetSysColor(COLOR_HIGHLIGHTTEXT);
        SetTextColor(dc, colour);
        UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
        if ((column.centred || (flags_ & LIST_CENTRE)) && x + width <= client.right) format |= DT_CENTER;
        const std::wstring wide = Wide1251(column.text.c_str());
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &textRect, format);
        if (flags_ & LIST_GRID) {
            MoveToEx(dc, x + width - 1, r.top, nullptr);
            LineTo(dc, x + width - 1, r.bottom);
        }
        x += width;
    }
}

void ODList::DrawSegments(HDC dc, const RECT& r, const std::vector<std::string>& segments, bool selected, COLORREF row)
{
    const bool codes = !(flags_ & LIST_NO_COLOUR_CODES);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int y = r.top + (r.bottom - r.top - tm.tmHeight) / 2;
    int x = 1 + originX_;
    for (const std::string& segment : segments) {
        const ColumnCodes column = ParseColumnCodes(segment, codes);
        const std::wstring wide = Wide1251(column.text.c_str());
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        if (column.background != kNoColour && column.background != row && !selected) {
            RECT fill{x, r.top, x + size.cx, r.bottom};
            Brush brush(column.background);
            FillRect(dc, &fill, brush);
        }
        COLORREF colour = column.textColour != kNoColour ? column.textColour : GetSysColor(COLOR_WINDOWTEXT);
        if (selected) colour = GetSysColor(COLOR_HIGHLIGHTTEXT);
        SetTextColor(dc, colour);
        TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
        x += size.cx;
    }
}
