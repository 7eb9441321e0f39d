#include "framework/ui/b_button.h"

#include "framework/ui/dialog_module.h"
#include "framework/ui/ml_text.h"
#include "framework/window/memory_dc.h"
#include "framework/window/visual_style.h"
#include "framework/window/module.h"
#include "framework/window/window_text.h"

BButton::BButton(Window* parent, int id, uint32_t imageId, uint32_t flags)
    : Button(parent, id), imageId_(imageId), flags_(flags)
{
    LoadImage();
}

BButton::BButton(Window* parent, int id, const char* text, int x, int y, int w, int h, uint32_t imageId)
    : Button(parent, id), imageId_(imageId), flags_(0)
{
    Attr.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    Attr.x = x;
    Attr.y = y;
    Attr.w = w;
    Attr.h = h;
    Title = text ? text : "";
    LoadImage();
}

BButton::~BButton()
{
    if (bitmap_) DeleteObject(bitmap_);
}

void BButton::LoadImage()
{
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    if (!imageId_) return;
    Module module(ResourceModuleFor(RT_BITMAP, imageId_));
    bitmap_ = module.LoadBitmap(imageId_);
}

void BButton::SetImage(uint32_t imageId)
{
    imageId_ = imageId;
    LoadImage();
    Invalidate(false);
}

void BButton::SetupWindow()
{
    Button::SetupWindow();
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
}

bool BButton::IsDefault() const
{
    HWND parent = GetParent(GetHandle());
    if (!parent) return false;
    const LRESULT id = ::SendMessageA(parent, DM_GETDEFID, 0, 0);
    return HIWORD(id) == DC_HASDEFID && LOWORD(id) == static_cast<WORD>(GetId());
}

void BButton::DrawMarked(DRAWITEMSTRUCT& item)
{
    constexpr int kPartPushButton = 1;
    PMemoryDC buffer(item.rcItem, item.hDC, GetHandle());
    HDC dc = buffer;
    RECT r = item.rcItem;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT window = GetWindowRect();
    const bool inside = PtInRect(&window, cursor) != FALSE;
    // 1 normal, 2 hot, 3 pressed, 4 disabled, 5 default.
    const int state = disabled ? 4 : pressed ? 3 : inside ? 2 : IsDefault() ? 5 : 1;
    ThemeData theme(GetHandle(), ThemesActive() ? L"Button" : nullptr);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (!theme || !theme.DrawBackground(dc, kPartPushButton, state, r)) {
        if (IsDefault() && !disabled) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&r, -1, -1);
        }
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
        r = item.rcItem;
    }
    InflateRect(&r, -4, -3);
    if (bitmap_) {
        BITMAP info{};
        GetObjectA(bitmap_, sizeof info, &info);
        MemoryDC memory(dc);
        SelectObjectScope keep(memory, bitmap_);
        TransparentBlt(dc, r.left, r.top + (r.bottom - r.top - info.bmHeight) / 2, info.bmWidth, info.bmHeight, memory, 0, 0,
                       info.bmWidth, info.bmHeight, RGB(192, 192, 192));
        r.left += info.bmWidth + 4;
    }
    std::wstring text = Wide1251(GetWindowText().c_str());
    const DWORD flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    SelectObjectScope font(dc, GetFont());
    SetBkMode(dc, TRANSPARENT);
    if (!theme || !theme.DrawText(dc, kPartPushButton, state, text.c_str(), flags, r)) {
        SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextW(dc, text.c_str(), -1, &r, flags);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT f = item.rcItem;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

void BButton::DrawItem(DRAWITEMSTRUCT& item)
{
    if (marked_ && !(flags_ & BBUTTON_LINK)) {
        DrawMarked(item);
        return;
    }
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    UINT state = DFCS_BUTTONPUSH;
    if (item.itemState & ODS_SELECTED) state |= DFCS_PUSHED;
    if (item.itemState & ODS_DISABLED) state |= DFCS_INACTIVE;
    if (flags_ & BBUTTON_LINK) FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    else DrawFrameControl(dc, &r, DFC_BUTTON, state);
    InflateRect(&r, -4, -3);
    if (bitmap_) {
        BITMAP info{};
        GetObjectA(bitmap_, sizeof info, &info);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap_);
        int y = r.top + (r.bottom - r.top - info.bmHeight) / 2;
        int x = (flags_ & BBUTTON_NO_TEXT) ? r.left + (r.right - r.left - info.bmWidth) / 2 : r.left;
        BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        if (!(flags_ & BBUTTON_NO_TEXT)) r.left += info.bmWidth + 4;
    }
    if (!(flags_ & BBUTTON_NO_TEXT)) {
        std::string text = GetWindowText();
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                                     : (flags_ & BBUTTON_LINK)       ? COLOR_HOTLIGHT
                                                                     : COLOR_BTNTEXT));
        DrawTextW(dc, Wide1251(text.c_str()).c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT f = item.rcItem;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}
