// The framework's buttons: image, strip, three-image and link buttons; the
// normal, hot, pressed, default and disabled states; the themed and the
// classic drawing. Read back through Win32 (styles, sizes, the cursor) and
// the pixels of buttons drawn into memory DCs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/base/ev_handler.h"
#include "framework/ui/b_button.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/sdialog.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr uint32_t kPage = 770;
constexpr int kImage = 771, kStrip = 772, kThree = 773, kLink = 774, kMarked = 775, kDisabled = 776;
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0), kCyan = RGB(0, 255, 255), kMagenta = RGB(255, 0, 255);
constexpr COLORREF kImageCentre = RGB(200, 0, 0), kImageMargin = RGB(0xC0, 0xC0, 0xC0);

bool Themes() { return true; }
bool NoThemes() { return false; }

// The button drawn into a memory DC with `state` bits, as rows of pixels.
struct Picture {
    RECT r{};
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * r.right + x)]; }
    COLORREF Centre() const { return At(r.right / 2, r.bottom / 2); }
    bool Has(COLORREF c) const { return std::find(pixels.begin(), pixels.end(), c) != pixels.end(); }
    // The longest horizontal run of `c` (an underline is a long one).
    int LongestRun(COLORREF c) const
    {
        int best = 0;
        for (int y = 0; y < r.bottom; ++y) {
            int run = 0;
            for (int x = 0; x < r.right; ++x) {
                run = At(x, y) == c ? run + 1 : 0;
                best = std::max(best, run);
            }
        }
        return best;
    }
};

Picture Draw(BButton& button, UINT state = 0)
{
    Picture p;
    p.r = button.GetClientRect();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, p.r.right, p.r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(button.GetId());
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state | (button.IsWindowEnabled() ? 0 : ODS_DISABLED);
    item.hwndItem = button.GetHandle();
    item.hDC = dc;
    item.rcItem = p.r;
    button.DrawItem(item);
    for (int y = 0; y < p.r.bottom; ++y)
        for (int x = 0; x < p.r.right; ++x) p.pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return p;
}

// A pixel of the image's light-grey margin as drawn: two left of the first
// pixel of its dark red centre, in the middle row.
COLORREF MarginPixel(const Picture& p)
{
    const int y = p.r.bottom / 2;
    for (int x = 2; x < p.r.right; ++x)
        if (p.At(x, y) == kImageCentre) return p.At(x - 2, y);
    return CLR_INVALID;
}

void CursorAway() { SetCursorPos(0, 0); }
void CursorOn(const BButton& b)
{
    RECT r = b.GetWindowRect();
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// A strip of `images` 16 x 16 images: red, then green, then blue.
HBITMAP StripOf(int images)
{
    HDC screen = GetDC(nullptr);
    HBITMAP strip = CreateCompatibleBitmap(screen, 16, 16 * images);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, strip);
    const COLORREF colours[3] = {kRed, kGreen, kBlue};
    for (int i = 0; i < images; ++i) {
        RECT r{0, 16 * i, 16, 16 * i + 16};
        HBRUSH brush = CreateSolidBrush(colours[i % 3]);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return strip;
}

class ButtonsPage : public SDialog {
public:
    ButtonsPage() : SDialog(nullptr, kPage)
    {
        MarkButtons({kMarked, IDOK, IDCANCEL, kDisabled});
    }
    void SetupWindow() override
    {
        SDialog::SetupWindow();
        strip = SetButtonImage(0, kStrip);
        strip->SetImageStrip(3, 7701u);
        three = SetButtonImage(0, kThree);
        three->SetImages(7704, 7703, 7702);
        link = AddLinkButton(kLink);
        image = FindButton(kImage);
    }
    BButton* image = nullptr;
    BButton* strip = nullptr;
    BButton* three = nullptr;
    BButton* link = nullptr;
};

TEST(Buttons, StripAndThreeImageButtonsShowTheImageOfTheirState)
{
    SetThemesActiveHook(&NoThemes);
    ButtonsPage page;
    RunScripted(page, [&](Dialog& d) {
        CursorAway();
        BButton& strip = *page.strip;
        EXPECT_EQ(strip.GetStyle() & (WS_BORDER | BS_TYPEMASK), static_cast<uint32_t>(BS_OWNERDRAW));
        RECT client = strip.GetClientRect();
        EXPECT_EQ(client.right, 16);
        EXPECT_EQ(client.bottom, 16);  // one image of the three
        EXPECT_EQ(Draw(strip).Centre(), kRed);
        EXPECT_EQ(Draw(strip, ODS_SELECTED).Centre(), kGreen);  // a Space press is pressed
        CursorOn(strip);
        EXPECT_EQ(strip.GetThemeState(), BButton::STATE_HOT);
        EXPECT_EQ(Draw(strip).Centre(), kBlue);
        CursorAway();

        // A strip of one image shows it pressed too; a count of 0 is one.
        strip.SetImageStrip(1, StripOf(1));
        EXPECT_EQ(Draw(strip, ODS_SELECTED).Centre(), kRed);
        strip.SetImageStrip(0, StripOf(2));
        EXPECT_EQ(strip.ImageCount(), 1u);
        EXPECT_EQ(strip.GetClientRect().bottom, 32);
        const Picture whole = Draw(strip, ODS_SELECTED);
        EXPECT_EQ(whole.At(8, 4), kRed);
        EXPECT_EQ(whole.At(8, 28), kGreen);

        // From a packed device-independent bitmap: two 16 x 16 images,
        // blue above yellow (rows stored bottom-up).
        std::vector<uint32_t> packed(sizeof(BITMAPINFOHEADER) / 4 + 16 * 32);
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(packed.data());
        *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 16, 32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        uint32_t* bits = packed.data() + sizeof(BITMAPINFOHEADER) / 4;
        for (int row = 0; row < 32; ++row)
            for (int x = 0; x < 16; ++x) bits[row * 16 + x] = row < 16 ? 0x00FFFF00u : 0x000000FFu;
        EXPECT_TRUE(strip.SetImageStrip(2, reinterpret_cast<const BITMAPINFO*>(packed.data())));
        EXPECT_EQ(strip.GetClientRect().bottom, 16);
        EXPECT_EQ(Draw(strip).Centre(), kBlue);
        EXPECT_EQ(Draw(strip, ODS_SELECTED).Centre(), kYellow);
        EXPECT_FALSE(strip.SetImageStrip(2, static_cast<const BITMAPINFO*>(nullptr)));

        BButton& three = *page.three;
        EXPECT_EQ(three.GetClientRect().right, 20);
        EXPECT_EQ(three.GetClientRect().bottom, 14);
        EXPECT_EQ(Draw(three).Centre(), kYellow);
        EXPECT_EQ(Draw(three, ODS_SELECTED).Centre(), kCyan);
        CursorOn(three);
        EXPECT_EQ(Draw(three).Centre(), kMagenta);
        CursorAway();
        EXPECT_FALSE(three.SetImages(0, 0, 7799));  // no such normal image: kept
        EXPECT_EQ(Draw(three).Centre(), kYellow);
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
}

TEST(Buttons, StatesNormalHotDefaultAndDisabled)
{
    SetThemesActiveHook(&NoThemes);
    ButtonsPage page;
    RunScripted(page, [&](Dialog& d) {
        CursorAway();
        BButton* ok = page.FindButton(IDOK);
        BButton* marked = page.FindButton(kMarked);
        ASSERT_NE(ok, nullptr);
        ASSERT_NE(marked, nullptr);
        EXPECT_EQ(marked->GetThemeState(), BButton::STATE_NORMAL);
        EXPECT_EQ(ok->GetThemeState(), BButton::STATE_DEFAULT);
        CursorOn(*ok);
        EXPECT_EQ(ok->GetThemeState(), BButton::STATE_HOT);  // the default look only while outside
        CursorAway();
        EnableWindow(marked->GetHandle(), FALSE);
        EXPECT_EQ(marked->GetThemeState(), BButton::STATE_DISABLED);
        EnableWindow(marked->GetHandle(), TRUE);
        // The pressed classic button is drawn sunk: its top-left edge dark.
        const Picture up = Draw(*marked), down = Draw(*marked, ODS_SELECTED);
        EXPECT_NE(up.pixels, down.pixels);
        EXPECT_TRUE(down.Has(GetSysColor(COLOR_BTNTEXT)));
        // A change of the system's theme repaints the button with erase.
        UpdateWindow(marked->GetHandle());
        ValidateRect(marked->GetHandle(), nullptr);
        PEvHandlerDispatcher::OnThemeChange();
        RECT dirty{};
        EXPECT_TRUE(GetUpdateRect(marked->GetHandle(), &dirty, FALSE));
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
}

TEST(Buttons, ImageButtonsByIdAndTheirClassicAndThemedImages)
{
    SetThemesActiveHook(&NoThemes);
    ButtonsPage page;
    Picture classic;
    RunScripted(page, [&](Dialog& d) {
        CursorAway();
        // Bitmap 10771 makes button 771 an image button at set-up; 772 has
        // no bitmap of its id and was made one by the page itself.
        ASSERT_NE(page.image, nullptr);
        EXPECT_EQ(page.image->ImageId(), 10771u);
        EXPECT_NE(page.image->Bitmap(), nullptr);
        classic = Draw(*page.image);
        Click(d.GetHandle(), IDCANCEL);
    });
    // Classic: the light-grey margin became the button face; image and text.
    EXPECT_TRUE(classic.Has(kImageCentre));
    EXPECT_EQ(MarginPixel(classic), GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(classic.Has(GetSysColor(COLOR_BTNTEXT)));

    SetThemesActiveHook(&Themes);
    ButtonsPage themedPage;
    Picture themed;
    RunScripted(themedPage, [&](Dialog& d) {
        CursorAway();
        themed = Draw(*themedPage.image);
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
    // Themed: the light grey is transparent over the theme's button.
    EXPECT_TRUE(themed.Has(kImageCentre));
    EXPECT_NE(MarginPixel(themed), kImageMargin);
    EXPECT_NE(MarginPixel(themed), CLR_INVALID);
    EXPECT_NE(themed.pixels, classic.pixels);

}

TEST(Buttons, DefaultImageIdAndNoImage)
{
    Window parent(nullptr);
    BButton byId(&parent, kImage, BBUTTON_DEFAULT_IMAGE);
    EXPECT_NE(byId.Bitmap(), nullptr);
    BButton none(&parent, kImage, 0);
    EXPECT_EQ(none.Bitmap(), nullptr);
}

TEST(Buttons, LinkButtonsColourUnderlineAndHandCursor)
{
    SetThemesActiveHook(&NoThemes);
    ButtonsPage page;
    RunScripted(page, [&](Dialog& d) {
        BButton& link = *page.link;
        EXPECT_EQ(link.Bitmap(), nullptr);  // a link has no image
        CursorAway();
        const COLORREF normal = GetSysColor(COLOR_HOTLIGHT), hot = GetSysColor(COLOR_HIGHLIGHT);
        const Picture away = Draw(link);
        EXPECT_TRUE(away.Has(normal));
        EXPECT_FALSE(away.Has(hot));
        EXPECT_GT(away.LongestRun(normal), 20);  // underlined
        EXPECT_FALSE(away.Has(GetSysColor(COLOR_3DDKSHADOW)) && away.Has(GetSysColor(COLOR_3DHILIGHT)));
        CursorOn(link);
        EXPECT_TRUE(link.IsLinkHot());
        const Picture onIt = Draw(link);
        EXPECT_TRUE(onIt.Has(hot));
        SendMessageW(link.GetHandle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.GetHandle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));

        // Underlined only while hot.
        link.SetFlags(link.Flags() | BBUTTON_HOT_UNDERLINE);
        EXPECT_GT(Draw(link).LongestRun(hot), 20);
        CursorAway();
        EXPECT_FALSE(link.IsLinkHot());
        EXPECT_LT(Draw(link).LongestRun(normal), 12);
        // A colour of its own while not hot.
        link.SetTextColour(RGB(0, 128, 0));
        EXPECT_TRUE(Draw(link).Has(RGB(0, 128, 0)));
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
}

TEST(Buttons, ThemedButtonsAreDrawnByTheThemeInEveryState)
{
    SetThemesActiveHook(&Themes);
    ButtonsPage page;
    std::vector<Picture> pictures;
    Picture classicDisabled;
    RunScripted(page, [&](Dialog& d) {
        CursorAway();
        BButton* marked = page.FindButton(kMarked);
        BButton* ok = page.FindButton(IDOK);
        ASSERT_NE(marked, nullptr);
        pictures.push_back(Draw(*marked));                // normal
        pictures.push_back(Draw(*marked, ODS_SELECTED));  // pressed
        pictures.push_back(Draw(*ok));                    // default
        EnableWindow(marked->GetHandle(), FALSE);
        pictures.push_back(Draw(*marked));  // disabled
        SetThemesActiveHook(&NoThemes);
        classicDisabled = Draw(*marked);
        SetThemesActiveHook(&Themes);
        EnableWindow(marked->GetHandle(), TRUE);
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
    ASSERT_EQ(pictures.size(), 4u);
    EXPECT_NE(pictures[0].pixels, pictures[1].pixels);
    EXPECT_NE(pictures[0].pixels, pictures[3].pixels);
    EXPECT_NE(pictures[3].pixels, classicDisabled.pixels);
    // The theme draws its own face, not the classic one.
    EXPECT_NE(pictures[0].At(4, pictures[0].r.bottom / 2), GetSysColor(COLOR_BTNFACE));
}

TEST(Buttons, DoubleClickCountsAsASecondClick)
{
    class Counting : public ButtonsPage {
    public:
        LRESULT EvCommand(UINT id, HWND control, UINT code) override
        {
            if (id == kMarked && code == BN_CLICKED) ++clicks;
            return ButtonsPage::EvCommand(id, control, code);
        }
        int clicks = 0;
    } page;
    RunScripted(page, [&](Dialog& d) {
        HWND marked = GetDlgItem(d.GetHandle(), kMarked);
        SendMessageW(marked, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(marked, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        SendMessageW(marked, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
        PumpPending();
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(page.clicks, 2);
}

TEST(Buttons, PageOfEveryKindInEnglishAndRussian)
{
    for (uint8_t language : {0, 1}) {
        g_mlLanguage = language;
        ButtonsPage page;
        std::string caption;
        RunScripted(page, [&](Dialog& d) {
            caption = GetText1251(d.GetHandle());
            SetFocus(GetDlgItem(d.GetHandle(), kMarked));
            CursorOn(*page.link);
            for (int shot = 0; shot < 2; ++shot) SaveScreenshot(d.GetHandle(), language ? "buttons_ru" : "buttons_en");
            CursorAway();
            Click(d.GetHandle(), IDCANCEL);
        });
        EXPECT_EQ(caption, language ? "\xCA\xED\xEE\xEF\xEA\xE8" : "Buttons");
    }
    g_mlLanguage = 0;
}

}  // namespace
