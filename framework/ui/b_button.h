// The framework's owner-drawn push button: a bitmap (one image, a vertical
// strip of state images, or three images), a text in the current language,
// hot tracking, the system's visual style while themes are active (the
// classic drawing otherwise), and a link style for buttons that act as
// hyperlinks.
//
// Images: an image id of 0 means none; BBUTTON_DEFAULT_IMAGE means the
// bitmap control id + 10000 (a link button has no image). Without themes a
// bitmap's button greys (black, dark grey, light grey, white) follow the
// system colours; with themes it is drawn as it is, light grey
// (0xC0C0C0) transparent.
//
// States (GetThemeState): 1 normal, 2 hot, 3 pressed, 4 disabled, 5 the
// dialog's default button while the mouse is outside it. A press by the
// Space key (ODS_SELECTED) draws pressed too.
#pragma once

#include <memory>
#include <string>

#include "framework/ui/themed_control.h"
#include "framework/window/button.h"
#include "framework/window/gdi_objects.h"

enum : uint32_t {
    BBUTTON_IMAGE_RIGHT = 0x01,   // the image right of the text
    BBUTTON_SIZED = 0x02,         // sized to its image (FitToImage)
    BBUTTON_NO_FOCUS = 0x04,      // no focus rectangle
    BBUTTON_IMAGES = 0x08,        // state images given: only they are drawn
    BBUTTON_STRIP = 0x10,         // the images are one vertical strip
    BBUTTON_NO_TEXT = 0x20,       // the image only
    BBUTTON_LINK = 0x40,          // drawn as a link
    BBUTTON_HOT_UNDERLINE = 0x80, // a link underlined only while hot
};

constexpr uint32_t BBUTTON_DEFAULT_IMAGE = 0xFFFFFFFFu;

class BButton : public Button {
public:
    enum : int { STATE_NORMAL = 1, STATE_HOT = 2, STATE_PRESSED = 3, STATE_DISABLED = 4, STATE_DEFAULT = 5 };

    // Attaches to the template button `id`.
    BButton(Window* parent, int id, uint32_t imageId, uint32_t flags = 0);
    // Creates a button of its own.
    BButton(Window* parent, int id, const char* text, int x, int y, int w, int h, uint32_t imageId);
    ~BButton() override;

    uint32_t ImageId() const { return imageId_; }
    uint32_t Flags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; Invalidate(false); }
    // Loads another image and repaints.
    void SetImage(uint32_t imageId);
    // The client area becomes the image plus 4 pixels on every side.
    void FitToImage();
    // `count` images stacked vertically in one bitmap (owned); a count of 0
    // is taken as 1. The button takes the size of one image.
    void SetImageStrip(uint32_t count, HBITMAP strip);
    bool SetImageStrip(uint32_t count, uint32_t bitmapId);
    // From a packed device-independent bitmap (header, colour table, bits);
    // false when no bitmap can be made of it.
    bool SetImageStrip(uint32_t count, const BITMAPINFO* dib);
    // Three bitmaps by id (hot optional: 0); the button takes the normal
    // image's size. False when the normal image is missing.
    bool SetImages(uint32_t hotId, uint32_t pressedId, uint32_t normalId);
    // -1: the text of resource id control id + 10000.
    void SetTextId(int32_t id) { textId_ = id; Invalidate(false); }
    // -1: the link colours of the framework.
    void SetTextColour(int32_t colour) { textColour_ = colour; Invalidate(false); }
    // A marked button is drawn as one of the dialog's push buttons (themed
    // while themes are on), its text always shown.
    void Mark() { marked_ = true; Invalidate(false); }
    bool Marked() const { return marked_; }
    HBITMAP Bitmap() const { return normal_.Get(); }
    uint32_t ImageCount() const { return imageCount_; }

    // The text shown: empty for an image-only button; else the text of the
    // text id in the current language, or the window text by the bilingual
    // rule when that is empty.
    std::string GetText() const;
    int GetThemeState() const;
    bool IsLinkHot() const;
    bool IsSameId(const BButton& other) const { return GetId() == other.GetId(); }
    // The strip row or image shown for `state`: the image's index (strip)
    // or 0 normal, 1 pressed, 2 hot (three images).
    uint32_t ImageIndexFor(int state) const;

    void SetupWindow() override;
    void DrawItem(DRAWITEMSTRUCT& item) override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    bool EvSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;

private:
    void LoadImage();
    bool IsDefaultOfParent() const;
    int DrawState(const DRAWITEMSTRUCT& item) const;
    void DrawStateImage(const DRAWITEMSTRUCT& item, int state);
    void DrawButton(const DRAWITEMSTRUCT& item, int state);
    void DrawLinkText(HDC dc, const RECT& r, const std::wstring& text, bool disabled, bool hot);
    HFONT LinkFont();
    void ResizeTo(SIZE size);
    void ApplyStrip(uint32_t count);
    void BecomeImageButton();

    uint32_t imageId_;
    uint32_t imageCount_ = 1;
    uint32_t flags_;
    int32_t textId_ = -1;
    int32_t textColour_ = -1;
    bool marked_ = false;
    ::Bitmap normal_, pressed_, hot_;
    GdiObject<HFONT> linkFont_;
    HFONT linkFontOf_ = nullptr;
    std::unique_ptr<ThemedControl> themed_;
};
