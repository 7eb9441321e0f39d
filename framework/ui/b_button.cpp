#include "framework/ui/b_button.h"

#include <windows.h>
#include <vsstyle.h>

#include <algorithm>

#include "framework/base/ml_text.h"
#include "framework/ui/colour_table.h"
#include "framework/ui/dialog_module.h"
#include "framework/window/mapped_bitmap.h"
#include "framework/window/memory_dc.h"
#include "framework/window/module.h"
#include "framework/window/window_text.h"

namespace {

constexpr uint32_t kTextOffset = 10000;
constexpr COLORREF kTransparent = RGB(0xC0, 0xC0, 0xC0);
constexpr uint32_t kLinkHotColour = 14242;
constexpr uint32_t kLinkColour = 14249;
constexpr size_t kMaxText = 256;

int Unit(size_t n) { return static_cast<int>(DpiUnits()[n]); }

SIZE SizeOf(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// A colour of the framework's table, or `fallback` where the table has no
// such entry (its only entry is the group box text).
COLORREF MiscColour(uint32_t id, int fallback)
{
    const ColourGroup* group = MiscColourGroup();
    return HasColor(group, id) ? ColorValue(group, id) : GetSysColor(fallback);
}

::Bitmap LoadButtonBitmap(uint32_t id)
{
    HMODULE module = ResourceModuleFor(RT_BITMAP, id);
    // Themed buttons show the bitmap as drawn; classic ones in the user's
    // button colours.
    if (ThemesActive()) return ::Bitmap(Module(module).LoadBitmap(id));
    MappedBitmap mapped(module, id);
    return std::move(static_cast<::Bitmap&>(mapped));
}

}  // namespace

BButton::BButton(Window* parent, int id, uint32_t imageId, uint32_t flags)
    : Button(parent, id), imageId_(imageId), flags_(flags),
      themed_(std::make_unique<ThemedControl>(*this, [this] { return GetThemeState(); }))
{
    LoadImage();
}

BButton::BButton(Window* parent, int id, const char* text, int x, int y, int w, int h, uint32_t imageId)
    : Button(parent, id), imageId_(imageId), flags_(0),
      themed_(std::make_unique<ThemedControl>(*this, [this] { return GetThemeState(); }))
{
    Attr.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    Attr.x = x;
    Attr.y = y;
    Attr.w = w;
    Attr.h = h;
    Title = text ? text : "";
    LoadImage();
}

BButton::~BButton() = default;

void BButton::LoadImage()
{
    normal_.Reset();
    pressed_.Reset();
    hot_.Reset();
    imageCount_ = 1;
    flags_ &= ~(BBUTTON_IMAGES | BBUTTON_STRIP);
    const uint32_t id = imageId_ == BBUTTON_DEFAULT_IMAGE ? static_cast<uint32_t>(GetId()) + kTextOffset : imageId_;
    // A missing bitmap leaves the button with its text only.
    if (id) normal_ = LoadButtonBitmap(id);
}

void BButton::SetImage(uint32_t imageId)
{
    imageId_ = imageId;
    LoadImage();
    Invalidate(false);
}

void BButton::ResizeTo(SIZE size)
{
    if (!GetHandle()) {
        Attr.w = size.cx;
        Attr.h = size.cy;
        return;
    }
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BButton::FitToImage()
{
    const SIZE image = SizeOf(normal_.Get());
    RECT r{0, 0, image.cx + 8, image.cy + 8};
    const DWORD style = GetHandle() ? GetStyle() : Attr.style;
    const DWORD exStyle = GetHandle() ? static_cast<DWORD>(GetWindowLongA(GetHandle(), GWL_EXSTYLE)) : 0;
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    ResizeTo(SIZE{r.right - r.left, r.bottom - r.top});
    flags_ |= BBUTTON_SIZED;
}

void BButton::SetImageStrip(uint32_t count, HBITMAP strip)
{
    normal_ = ::Bitmap(strip);
    ApplyStrip(count);
}

bool BButton::SetImageStrip(uint32_t count, uint32_t bitmapId)
{
    ::Bitmap strip = LoadButtonBitmap(bitmapId);
    if (!strip) return false;
    normal_ = std::move(strip);
    ApplyStrip(count);
    return true;
}

bool BButton::SetImageStrip(uint32_t count, const BITMAPINFO* dib)
{
    if (!dib || dib->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return false;
    const BITMAPINFOHEADER& header = dib->bmiHeader;
    DWORD colours = header.biClrUsed;
    if (!colours && header.biBitCount <= 8) colours = 1u << header.biBitCount;
    if (header.biCompression == BI_BITFIELDS) colours = 3;
    const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + header.biSize + colours * sizeof(RGBQUAD);
    ScreenDC screen;
    HBITMAP strip = CreateDIBitmap(screen, &header, CBM_INIT, bits, dib, DIB_RGB_COLORS);
    if (!strip) return false;
    SetImageStrip(count, strip);
    return true;
}

void BButton::ApplyStrip(uint32_t count)
{
    // No images would divide the height by zero: one image it is.
    if (count == 0) count = 1;
    pressed_.Reset();
    hot_.Reset();
    imageCount_ = count;
    flags_ |= BBUTTON_IMAGES | BBUTTON_STRIP;
    const SIZE size = SizeOf(normal_.Get());
    ResizeTo(SIZE{size.cx, size.cy / static_cast<LONG>(count)});
    BecomeImageButton();
}

void BButton::BecomeImageButton()
{
    if (GetHandle()) ModifyStyle(WS_BORDER | BS_TYPEMASK, BS_OWNERDRAW, true);
    else Attr.style = (Attr.style & ~(WS_BORDER | BS_TYPEMASK)) | BS_OWNERDRAW;
    Invalidate(false);
}

bool BButton::SetImages(uint32_t hotId, uint32_t pressedId, uint32_t normalId)
{
    ::Bitmap normal = LoadButtonBitmap(normalId);
    if (!normal) return false;
    normal_ = std::move(normal);
    pressed_ = pressedId ? LoadButtonBitmap(pressedId) : ::Bitmap();
    hot_ = hotId ? LoadButtonBitmap(hotId) : ::Bitmap();
    imageCount_ = 1;
    flags_ = (flags_ & ~BBUTTON_STRIP) | BBUTTON_IMAGES;
    ResizeTo(SizeOf(normal_.Get()));
    BecomeImageButton();
    return true;
}

std::string BButton::GetText() const
{
    if ((flags_ & BBUTTON_NO_TEXT) && !marked_) return std::string();
    const uint32_t id = textId_ < 0 ? static_cast<uint32_t>(GetId()) + kTextOffset : static_cast<uint32_t>(textId_);
    std::string text = GetMLResString(id);
    if (!text.empty()) return text;
    std::string own = GetWindowText();
    if (own.size() > 4096) own.resize(4096);
    return GetMLText(own.c_str());
}

bool BButton::IsDefaultOfParent() const
{
    HWND parent = GetHandle() ? ::GetParent(GetHandle()) : nullptr;
    if (!parent) return false;
    const LRESULT id = ::SendMessageA(parent, DM_GETDEFID, 0, 0);
    return HIWORD(id) == DC_HASDEFID && LOWORD(id) == static_cast<WORD>(GetId());
}

int BButton::GetThemeState() const
{
    if (!GetHandle()) return STATE_NORMAL;
    if (!IsWindowEnabled()) return STATE_DISABLED;
    if (themed_ && themed_->IsMouseInside()) return (GetKeyState(VK_LBUTTON) & 0x8000) ? STATE_PRESSED : STATE_HOT;
    return IsDefaultOfParent() ? STATE_DEFAULT : STATE_NORMAL;
}

bool BButton::IsLinkHot() const
{
    if (!(flags_ & BBUTTON_LINK)) return false;
    const int state = GetThemeState();
    return state == STATE_HOT || state == STATE_PRESSED;
}

uint32_t BButton::ImageIndexFor(int state) const
{
    if (flags_ & BBUTTON_STRIP) {
        // A strip shorter than the state's row shows its first image.
        if (state == STATE_HOT) return imageCount_ >= 3 ? 2 : 0;
        if (state == STATE_PRESSED) return imageCount_ > 1 ? 1 : 0;
        return 0;
    }
    if (state == STATE_HOT && hot_) return 2;
    if (state == STATE_PRESSED && pressed_) return 1;
    return 0;
}

void BButton::SetupWindow()
{
    Button::SetupWindow();
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    themed_->Attach();
}

int BButton::DrawState(const DRAWITEMSTRUCT& item) const
{
    if (item.itemState & ODS_DISABLED) return STATE_DISABLED;
    // A press by the Space key is pressed too.
    if (item.itemState & ODS_SELECTED) return STATE_PRESSED;
    const int state = GetThemeState();
    return state == STATE_DISABLED ? STATE_NORMAL : state;
}

void BButton::DrawItem(DRAWITEMSTRUCT& item)
{
    const int state = DrawState(item);
    if ((flags_ & BBUTTON_IMAGES) && !marked_) {
        DrawStateImage(item, state);
        return;
    }
    DrawButton(item, state);
}

void BButton::DrawStateImage(const DRAWITEMSTRUCT& item, int state)
{
    const uint32_t index = ImageIndexFor(state);
    HBITMAP image = normal_.Get();
    int row = 0;
    if (flags_ & BBUTTON_STRIP) {
        row = SizeOf(image).cy / static_cast<int>(imageCount_) * static_cast<int>(index);
    } else if (index == 1) {
        image = pressed_.Get();
    } else if (index == 2) {
        image = hot_.Get();
    }
    if (!image) return;
    MemoryDC source(item.hDC);
    SelectObjectScope keep(source, image);
    const RECT& r = item.rcItem;
    BitBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, row, SRCCOPY);
}

HFONT BButton::LinkFont()
{
    HFONT font = GetFont();
    if (linkFont_ && linkFontOf_ == font) return linkFont_.Get();
    LOGFONTW lf{};
    if (!GetObjectW(font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), sizeof lf, &lf)) return font;
    lf.lfUnderline = TRUE;
    linkFont_ = GdiObject<HFONT>(CreateFontIndirectW(&lf), true);
    linkFontOf_ = font;
    return linkFont_ ? linkFont_.Get() : font;
}

void BButton::DrawLinkText(HDC dc, const RECT& r, const std::wstring& text, bool disabled, bool hot)
{
    const COLORREF colour = hot ? MiscColour(kLinkHotColour, COLOR_HIGHLIGHT)
                            : textColour_ >= 0 ? static_cast<COLORREF>(textColour_)
                                               : MiscColour(kLinkColour, COLOR_HOTLIGHT);
    const bool underline = !(flags_ & BBUTTON_HOT_UNDERLINE) || hot;
    SelectObjectScope font(dc, underline ? LinkFont() : GetFont());
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &extent, DT_SINGLELINE | DT_CALCRECT);
    const int width = extent.right - extent.left, height = extent.bottom - extent.top;
    const DWORD style = GetStyle() & BS_CENTER;
    int x = r.left + (r.right - r.left - width) / 2;
    if (style == BS_LEFT) x = r.left + Unit(2);
    else if (style == BS_RIGHT) x = r.right - Unit(1) - width;
    const int y = r.top + (r.bottom - r.top - height) / 2;
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), static_cast<WPARAM>(text.size()), x, y,
                   width, height, DST_PREFIXTEXT | DSS_DISABLED);
        return;
    }
    SetTextColor(dc, colour);
    RECT place{x, y, x + width, y + height};
    DrawTextW(dc, text.c_str(), -1, &place, DT_SINGLELINE);
}

void BButton::DrawButton(const DRAWITEMSTRUCT& item, int state)
{
    PMemoryDC buffer(item.rcItem, item.hDC, GetHandle());
    HDC dc = buffer;
    const RECT whole = item.rcItem;
    const bool link = (flags_ & BBUTTON_LINK) && !marked_;
    const bool disabled = state == STATE_DISABLED;
    const ThemeData* theme = ThemesActive() ? themed_->GetTheme(L"Button") : nullptr;

    // The background: the parent's under a link, else the push button.
    FillRect(dc, &whole, GetSysColorBrush(COLOR_BTNFACE));
    if (link) {
        if (theme) theme::DrawThemeParentBackground(GetHandle(), dc, &whole);
    } else if (!theme || !theme->DrawBackground(dc, BP_PUSHBUTTON, state, whole)) {
        theme = nullptr;
        RECT frame = whole;
        if (IsDefaultOfParent() && !disabled) {
            FrameRect(dc, &frame, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&frame, -1, -1);
        }
        DrawFrameControl(dc, &frame, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (state == STATE_PRESSED ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
    }

    std::wstring text = Wide1251(GetText().c_str());
    if (text.size() > kMaxText) text.resize(kMaxText);
    SelectObjectScope font(dc, GetFont());
    const DWORD lines = (GetStyle() & BS_MULTILINE) ? 0 : DT_SINGLELINE;
    SIZE textSize{0, 0};
    if (!text.empty()) {
        RECT extent{0, 0, whole.right - whole.left, whole.bottom - whole.top};
        if (theme && SUCCEEDED(theme::GetThemeTextExtent(theme->Handle(), dc, BP_PUSHBUTTON, state, text.c_str(), -1,
                                                         DT_VCENTER | lines, nullptr, &extent))) {
        } else {
            DrawTextW(dc, text.c_str(), -1, &extent, DT_CALCRECT | lines);
        }
        textSize = SIZE{extent.right - extent.left, extent.bottom - extent.top};
    }
    if (link) {
        DrawLinkText(dc, whole, text, disabled, state == STATE_HOT || state == STATE_PRESSED);
        return;
    }

    // Image and text side by side, centred as a group inside the margins.
    RECT inner = whole;
    InflateRect(&inner, -Unit(3), -Unit(3));
    const SIZE image = SizeOf(normal_.Get());
    const int gap = image.cx && textSize.cx ? Unit(5) : 0;
    const int total = image.cx + gap + textSize.cx;
    int x = inner.left + std::max<int>(0, (inner.right - inner.left - total) / 2);
    const bool imageRight = (flags_ & BBUTTON_IMAGE_RIGHT) != 0;
    const int imageX = imageRight ? x + textSize.cx + gap : x;
    const int textX = imageRight ? x : x + image.cx + gap;
    if (image.cx) {
        // Clipped to the item.
        const int w = std::min<int>(image.cx, inner.right - imageX), h = std::min<int>(image.cy, whole.bottom - whole.top);
        const int y = whole.top + (whole.bottom - whole.top - h) / 2;
        MemoryDC source(dc);
        SelectObjectScope keep(source, normal_.Get());
        if (w > 0 && h > 0) {
            if (theme) TransparentBlt(dc, imageX, y, w, h, source, 0, 0, w, h, kTransparent);
            else BitBlt(dc, imageX, y, w, h, source, 0, 0, SRCCOPY);
        }
    }
    if (!text.empty()) {
        RECT place{textX, inner.top, std::min<LONG>(textX + textSize.cx + 1, inner.right), inner.bottom};
        const DWORD flags = DT_VCENTER | DT_LEFT | lines;
        SetBkMode(dc, TRANSPARENT);
        if (!theme || FAILED(theme::DrawThemeText(theme->Handle(), dc, BP_PUSHBUTTON, state, text.c_str(), -1, flags, 0,
                                                  &place))) {
            SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
            DrawTextW(dc, text.c_str(), -1, &place, flags);
        }
    }
    if ((item.itemState & ODS_FOCUS) && !(flags_ & BBUTTON_NO_FOCUS)) {
        RECT focus = whole;
        InflateRect(&focus, -Unit(3), -Unit(3));
        DrawFocusRect(dc, &focus);
    }
}

LRESULT BButton::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        if (ThemesActive() || (flags_ & (BBUTTON_IMAGES | BBUTTON_LINK))) themed_->MouseMoved();
        break;
    case WM_MOUSELEAVE:
        themed_->MouseLeft();
        break;
    case WM_LBUTTONDBLCLK:
        // A double click is a second click.
        ::SendMessageW(GetHandle(), WM_LBUTTONDOWN, w, l);
        ::SendMessageW(GetHandle(), WM_LBUTTONUP, w, l);
        return 0;
    case WM_LBUTTONUP: {
        const LRESULT result = Button::WindowProc(msg, w, l);
        if (GetHandle()) Invalidate(true);
        return result;
    }
    default: break;
    }
    return Button::WindowProc(msg, w, l);
}

bool BButton::EvSetCursor(HWND window, UINT hitTest, UINT mouseMessage)
{
    if (window == GetHandle() && IsLinkHot()) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return true;
    }
    return Button::EvSetCursor(window, hitTest, mouseMessage);
}
