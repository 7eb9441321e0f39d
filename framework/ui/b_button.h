// The framework's owner-drawn push button: a bitmap beside the text. Its
// full drawing and theming come with the controls; this form draws the
// image and the text in the classic frame.
#pragma once

#include "framework/window/button.h"
#include "framework/window/gdi_objects.h"

enum : uint32_t {
    BBUTTON_NO_TEXT = 0x20,  // the image only
    BBUTTON_LINK = 0x40,     // drawn as a link
};

class BButton : public Button {
public:
    // Attaches to the template button `id`; image 0 for none.
    BButton(Window* parent, int id, uint32_t imageId, uint32_t flags = 0);
    // Creates a button of its own.
    BButton(Window* parent, int id, const char* text, int x, int y, int w, int h, uint32_t imageId);
    ~BButton() override;

    uint32_t ImageId() const { return imageId_; }
    uint32_t Flags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; Invalidate(false); }
    // Loads another image and repaints.
    void SetImage(uint32_t imageId);
    // A marked button is drawn as one of the dialog's themed push buttons
    // (hot, pressed, disabled and default states; the classic push button
    // with the default frame while themes are off); its text always stays.
    void Mark() { marked_ = true; Invalidate(false); }
    bool Marked() const { return marked_; }
    HBITMAP Bitmap() const { return bitmap_; }

    void SetupWindow() override;
    void DrawItem(DRAWITEMSTRUCT& item) override;

private:
    void LoadImage();
    void DrawMarked(DRAWITEMSTRUCT& item);
    bool IsDefault() const;
    uint32_t imageId_;
    uint32_t flags_;
    bool marked_ = false;
    HBITMAP bitmap_ = nullptr;
};
