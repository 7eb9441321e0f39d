#include "framework/ui/check_list_box.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/base/text_utils.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/module_fonts.h"
#include "framework/window/memory_dc.h"
#include "framework/window/module.h"
#include "framework/window/visual_style.h"
#include "framework/window/window_text.h"

namespace {

constexpr int kGap = 3;  // between the mark, the bitmap and the text
constexpr COLORREF kTransparent = RGB(192, 192, 192);
// Theme parts and states of class "Button" and "TAB".
constexpr int kPartRadio = 2;
constexpr int kPartCheck = 3;
constexpr int kPartTabBody = 10;

int TextHeight(HDC dc)
{
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

}  // namespace

ODCBListBox::ODCBListBox(Window* parent, int id, uint32_t options, CheckListBinding* binding)
    : ODListBox(parent, id, 0), options_(options), binding_(binding)
{
    textColours_.fill(GetSysColor(COLOR_WINDOWTEXT));
}

void ODCBListBox::SetupWindow()
{
    ODListBox::SetupWindow();
    ModifyStyle(0, LBS_NOTIFY | LBS_USETABSTOPS);
}

int ODCBListBox::AddRow(const char* text, uint32_t state)
{
    const int row = AddString(text ? text : "");
    if (row < 0) return -1;
    SetItemData(row, state);
    ClientDC dc(GetHandle());
    SelectObjectScope font(dc, GetFont());
    std::wstring wide = Wide1251(text ? text : "");
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (size.cx > widest_) {
        widest_ = size.cx;
        SetHorizontalExtent(size.cx + 2 * size.cy);
    }
    return row;
}

uint32_t ODCBListBox::RowState(int row) const
{
    if (row < 0 || row >= GetCount()) return 0;
    return static_cast<uint32_t>(GetItemData(row));
}

void ODCBListBox::SetRowState(int row, uint32_t state)
{
    if (row < 0 || row >= GetCount()) return;
    SetItemData(row, state);
    if (binding_) binding_->RowStateChanged(row, state);
}

bool ODCBListBox::SetItemBitmap(int row, uint32_t bitmapId)
{
    if (row < 0 || row >= kMaxBitmaps) return false;
    bitmaps_[static_cast<size_t>(row)].Reset();
    if (bitmapId) {
        Module own(GetProgramInstance());
        const uint32_t id = own.HasResource(RT_BITMAP, bitmapId + 10000) ? bitmapId + 10000 : bitmapId;
        bitmaps_[static_cast<size_t>(row)] = Bitmap(own.LoadBitmap(id));
    }
    bitmapColumn_ = 0;
    for (const Bitmap& b : bitmaps_)
        if (b) bitmapColumn_ = std::max(bitmapColumn_, static_cast<int>(b.Size().cx));
    Invalidate(true);
    return true;
}

HBITMAP ODCBListBox::ItemBitmap(int row) const
{
    return row >= 0 && row < kMaxBitmaps ? bitmaps_[static_cast<size_t>(row)].Get() : nullptr;
}

void ODCBListBox::SetCheck(bool checked, int row)
{
    if (row < 0 || row >= GetCount()) return;
    const uint32_t state = RowState(row);
    SetRowState(row, checked ? (state | ROW_CHECKED) : (state & ~ROW_CHECKED));
    Repaint();
}

void ODCBListBox::SetAll(bool checked)
{
    for (int row = 0; row < GetCount(); ++row) {
        const uint32_t state = RowState(row);
        SetRowState(row, checked ? (state | ROW_CHECKED) : (state & ~ROW_CHECKED));
    }
    Invalidate(true);
}

void ODCBListBox::EnableRow(bool enable, int row)
{
    if (row < 0 || row >= GetCount()) return;
    const uint32_t state = RowState(row);
    SetRowState(row, enable ? (state & ~ROW_DISABLED) : (state | ROW_DISABLED));
    if (!enable && GetSelIndex() == row) SetSelIndex(-1);
    Repaint();
}

bool ODCBListBox::IsRowEnabled(int row) const
{
    return row >= 0 && row < GetCount() && !(RowState(row) & ROW_DISABLED) && IsWindowEnabled();
}

void ODCBListBox::SetTextColour(int index, COLORREF colour)
{
    if (index < 1 || index > 3) return;
    textColours_[static_cast<size_t>(index - 1)] = colour;
    Invalidate(false);
}

bool ODCBListBox::Toggle(int row)
{
    if (!IsRowEnabled(row)) return false;
    SetRowState(row, RowState(row) ^ ROW_CHECKED);
    Repaint();
    NotifyParent();
    return true;
}

void ODCBListBox::Activate(int row) { Toggle(row); }

void ODCBListBox::NotifyParent()
{
    HWND parent = GetParent(GetHandle());
    if (parent) ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetId(), 0), reinterpret_cast<LPARAM>(GetHandle()));
}

void ODCBListBox::Repaint()
{
    // The rows draw their background from the parent's: the parent area
    // under the list repaints with it.
    HWND parent = GetParent(GetHandle());
    if (!parent) {
        Invalidate(false);
        return;
    }
    RECT r = GetRectInParent();
    InvalidateRect(parent, &r, FALSE);
    Invalidate(false);
}

int ODCBListBox::HitRow(POINT point) const
{
    RECT client = GetClientRect();
    if (!PtInRect(&client, point)) return -1;
    const int height = static_cast<int>(SendMessage(LB_GETITEMHEIGHT, 0));
    if (height <= 0) return -1;
    const int row = GetTopIndex() + point.y / height;
    return row < GetCount() ? row : -1;
}

int ODCBListBox::MarkColumnWidth() const
{
    ClientDC dc(GetHandle());
    SelectObjectScope font(dc, GetFont());
    const int text = TextHeight(dc);
    if (ThemesActive() && !(options_ & CBLIST_GLYPHS)) {
        ThemeData theme(GetHandle(), L"Button");
        SIZE size = theme ? theme.PartSize(dc, Radio() ? kPartRadio : kPartCheck, 1) : SIZE{0, 0};
        if (size.cx > 0) return size.cx + kGap;
    }
    return kGap + text + kGap;
}

void ODCBListBox::Click(POINT point)
{
    const int row = HitRow(point);
    if (row < 0 || !IsRowEnabled(row)) return;
    if (!Radio() && (options_ & CBLIST_MARK_ONLY) && point.x >= MarkColumnWidth()) return;
    Activate(row);
}

void ODCBListBox::EvLButtonDown(UINT, POINT point)
{
    const int row = HitRow(point);
    if (row >= 0 && !IsRowEnabled(row)) {
        // A disabled row is neither toggled nor selected; the list only
        // takes the focus.
        SetFocus();
        return;
    }
    pressed_ = true;
    DefaultProcessing();
    Click(point);
}

void ODCBListBox::EvLButtonDblClk(UINT modifiers, POINT point)
{
    // A double click is a second click: it toggles again.
    EvLButtonDown(modifiers, point);
}

void ODCBListBox::EvLButtonUp(UINT, POINT)
{
    pressed_ = false;
    DefaultProcessing();
    Invalidate(false);
}

void ODCBListBox::EvMouseMove(UINT, POINT point)
{
    DefaultProcessing();
    const int row = HitRow(point);
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, GetHandle(), 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    if (row != hotRow_) {
        hotRow_ = row;
        Invalidate(false);
    }
}

void ODCBListBox::EvMouseLeave()
{
    tracking_ = false;
    pressed_ = false;
    if (hotRow_ >= 0) {
        hotRow_ = -1;
        Invalidate(false);
    }
    DefaultProcessing();
}

int ODCBListBox::FindMnemonic(char letter) const
{
    const char wanted = ToUpper1251(letter);
    for (int row = 0; row < GetCount(); ++row) {
        const std::string text = GetString(row);
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != '&') continue;
            if (text[i + 1] == '&') {
                ++i;  // a literal ampersand
                continue;
            }
            if (ToUpper1251(text[i + 1]) == wanted) return row;
            break;  // a text offers one mnemonic
        }
    }
    return -1;
}

void ODCBListBox::EvChar(UINT key, LPARAM)
{
    const int current = GetSelIndex();
    if (key == L' ' && !Radio()) {
        Toggle(current);
        return;
    }
    if (options_ & CBLIST_MNEMONICS) {
        const wchar_t wide[2] = {static_cast<wchar_t>(key), 0};
        const std::string narrow = Narrow1251(wide);
        const int row = narrow.size() == 1 ? FindMnemonic(narrow[0]) : -1;
        if (row >= 0) {
            SetFocus();
            if (IsRowEnabled(row)) {
                SetSelIndex(row);
                Activate(row);
            }
            return;
        }
    }
    DefaultProcessing();
}

void ODCBListBox::DrawBackground(HDC dc, const RECT& r)
{
    HWND parent = GetParent(GetHandle());
    if (ThemesActive() && background_ == static_cast<COLORREF>(-1) && parent) {
        if (GetWindowLongA(parent, GWL_STYLE) & WS_CHILD) {
            // A page inside another window: the rows show the tab body the
            // page sits on, drawn for the whole parent and cut out here.
            ThemeData tab(parent, L"TAB");
            RECT pr{};
            ::GetClientRect(parent, &pr);
            MemoryDC body(dc);
            Bitmap picture(dc, pr.right, pr.bottom);
            if (tab && picture && body) {
                SelectObjectScope keep(body, picture);
                tab.DrawBackground(body, kPartTabBody, 0, pr);
                POINT origin{r.left, r.top};
                MapWindowPoints(GetHandle(), parent, &origin, 1);
                BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, body, origin.x, origin.y, SRCCOPY);
                return;
            }
        }
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    if (background_ != static_cast<COLORREF>(-1)) {
        Brush brush(background_);
        FillRect(dc, &r, brush);
        return;
    }
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
}

void ODCBListBox::DrawItem(DRAWITEMSTRUCT& item)
{
    const int row = static_cast<int>(item.itemID);
    if (row < 0) return;
    PMemoryDC buffer(item.rcItem, item.hDC, GetHandle());
    HDC dc = buffer;
    RECT r = item.rcItem;
    DrawBackground(dc, r);
    if (!(GetStyle() & WS_VSCROLL)) OffsetRect(&r, 1, 1);

    const uint32_t state = RowState(row);
    const bool disabled = !IsRowEnabled(row);
    const bool checked = (state & ROW_CHECKED) != 0;
    const bool hot = row == hotRow_;
    const int themeState = (checked ? 4 : 0) + (disabled ? 4 : hot && pressed_ ? 3 : hot ? 2 : 1);
    const UINT textFlags = DT_SINGLELINE | DT_VCENTER | ((options_ & CBLIST_MNEMONICS) ? 0 : DT_NOPREFIX);

    HFONT font = GetFont();
    SelectObjectScope fontScope(dc, font);
    const int textHeight = TextHeight(dc);
    const int rowHeight = r.bottom - r.top;
    int x = r.left;

    const bool themed = ThemesActive() && !(options_ & CBLIST_GLYPHS);
    ThemeData theme(GetHandle(), themed ? L"Button" : nullptr);
    const int part = Radio() ? kPartRadio : kPartCheck;
    SIZE markSize = theme ? theme.PartSize(dc, part, themeState) : SIZE{0, 0};
    if (theme && markSize.cx > 0) {
        RECT mark{x, r.top + (rowHeight - markSize.cy) / 2, x + markSize.cx, 0};
        mark.bottom = mark.top + markSize.cy;
        theme.DrawBackground(dc, part, themeState, mark);
        x = mark.right + kGap;
    } else {
        const int side = std::min(textHeight, rowHeight);
        RECT mark{x + kGap, r.top + (rowHeight - side) / 2, x + kGap + side, 0};
        mark.bottom = mark.top + side;
        if (options_ & CBLIST_GLYPHS) {
            // The glyph form: "0" or "1" in an edged square, in the shared
            // fixed-pitch font (a symbol face such as Marlett draws window
            // buttons for these characters, not digits).
            FillRect(dc, &mark, GetSysColorBrush(COLOR_WINDOW));
            DrawEdge(dc, &mark, EDGE_SUNKEN, BF_RECT);
            SelectObjectScope glyphFont(dc, ModuleFont(ModuleFontId::FixedPitch));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
            DrawTextW(dc, checked ? L"1" : L"0", 1, &mark, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        } else {
            UINT flags = Radio() ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
            if (checked) flags |= DFCS_CHECKED;
            if (disabled) flags |= DFCS_INACTIVE;
            DrawFrameControl(dc, &mark, DFC_BUTTON, flags);
        }
        x = mark.right + textHeight / 3;
    }

    if (bitmapColumn_ > 0) {
        if (HBITMAP bitmap = ItemBitmap(row)) {
            BITMAP info{};
            GetObjectA(bitmap, sizeof info, &info);
            MemoryDC source(dc);
            SelectObjectScope keep(source, bitmap);
            TransparentBlt(dc, x, r.top + (rowHeight - info.bmHeight) / 2, info.bmWidth, info.bmHeight, source, 0, 0,
                           info.bmWidth, info.bmHeight, kTransparent);
        }
        x += bitmapColumn_ + 2;
    }

    std::wstring text = Wide1251(GetString(row).c_str());
    RECT textRect{x, r.top, r.right, r.bottom};
    const uint32_t colourBits = (state & ROW_COLOUR_MASK) >> 2;
    SetBkMode(dc, TRANSPARENT);
    if (theme && !colourBits) {
        theme.DrawText(dc, part, themeState, text.c_str(), textFlags, textRect);
    } else {
        COLORREF colour = GetSysColor(disabled && !theme ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
        if (colourBits) colour = textColours_[colourBits - 1];
        SetTextColor(dc, colour);
        DrawTextW(dc, text.c_str(), -1, &textRect, textFlags);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT extent = textRect;
        DrawTextW(dc, text.c_str(), -1, &extent, textFlags | DT_CALCRECT);
        RECT focus{textRect.left - 1, r.top, std::min(extent.right + 1, r.right), r.bottom};
        DrawFocusRect(dc, &focus);
    }
}

int ODRBListBox::AddRow(const char* text, uint32_t state)
{
    if (GetCount() >= kMaxRows) return -1;
    return ODCBListBox::AddRow(text, state);
}

int ODRBListBox::SelectedRow() const
{
    for (int row = 0; row < GetCount(); ++row)
        if (RowState(row) & ROW_CHECKED) return row;
    return -1;
}

bool ODRBListBox::Select(int oldRow, int newRow)
{
    if (newRow < 0 || newRow >= GetCount() || !IsRowEnabled(newRow)) return false;
    if (oldRow >= 0 && oldRow < GetCount() && oldRow != newRow) SetRowState(oldRow, RowState(oldRow) & ~ROW_CHECKED);
    SetRowState(newRow, RowState(newRow) | ROW_CHECKED);
    if (Binding()) Binding()->RadioSelected(newRow);
    NotifyParent();
    Repaint();
    return true;
}

void ODRBListBox::Activate(int row) { Select(SelectedRow(), row); }

void ODRBListBox::EvKeyDown(UINT, LPARAM)
{
    const int before = GetSelIndex();
    DefaultProcessing();
    const int after = GetSelIndex();
    // Moving the caret selects the row it lands on.
    if (after != before && after >= 0) Select(SelectedRow(), after);
}
