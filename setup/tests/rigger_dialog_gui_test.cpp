// The page frame: caption, Back on the first page, "$P"/"$V" in every text,
// Back and Cancel with their results, the animation (built-in or the
// STARTUP file) and the banner (placement, gradient, moved page).
#include "setup/rigger_dialog.h"

#include <gtest/gtest.h>

#include <vfw.h>

#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/text_macros.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/tests/support/dialog_script.h"
#include "framework/window/window_text.h"
#include "setup/rigger_dialog_banner.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

constexpr uint32_t kTestPage = 29950;
constexpr int kText = 300, kBox = 301, kLong = 302;

// An item that accepts or refuses on validation and notes its store.
class GateItem : public DlgItemDescr {
public:
    GateItem(bool* accept, bool* stored) : DlgItemDescr(99, kBox, nullptr), accept_(accept), stored_(stored) {}
    void CreateControl() override {}
    void SetData() override {}
    bool GetData() override { return *accept_; }
    void Store() override { *stored_ = true; }

private:
    bool* accept_;
    bool* stored_;
};

class TestPage : public RiggerDialog {
public:
    TestPage(bool firstPage, SetupState& state) : RiggerDialog(nullptr, firstPage, kTestPage, state) {}
};

class PageFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.product.name = "VOQ Tools";
        state.product.version = "1.02.3";
        state.caption = "VOQ Tools v. 1.02.3 Installation";
    }
    void TearDown() override { g_mlLanguage = 0; }

    SetupState state;
};

HWND FindChildOfClass(HWND dialog, const char* className)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = "";
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, className) == 0) return child;
    }
    return nullptr;
}

RECT RectIn(HWND dialog, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ItemRect(HWND dialog, int id) { return RectIn(dialog, GetDlgItem(dialog, id)); }

TEST_F(PageFrame, FirstPageHasBackDisabledAndEveryTextNamesTheProduct)
{
    const TextMacro program[] = {{"P", "other"}, {nullptr, nullptr}};
    SetTextMacros(program);
    for (bool first : {true, false}) {
        TestPage page(first, state);
        const int result = RunScripted(page, [&](Dialog& d) {
            HWND h = d.GetHandle();
            EXPECT_EQ(GetText1251(h), "VOQ Tools v. 1.02.3 Installation");
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(h, SETUP_CTL_BACK)) != 0, !first);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, SETUP_CTL_NEXT)));
            // Either letter case; a "$" that names nothing stays.
            EXPECT_EQ(ItemText(h, SETUP_CTL_TITLE), "Welcome to VOQ Tools v1.02.3");
            EXPECT_EQ(ItemText(h, kText), "VOQ Tools v1.02.3 is ready; $$ and $X stay");
            EXPECT_EQ(ItemText(h, kBox), "&Remember VOQ Tools");
            if (first) SaveScreenshot(h, "page_frame_en");
            Click(h, SETUP_CTL_NEXT);
        });
        EXPECT_EQ(result, SETUP_RESULT_NEXT);
    }
    // The program's own table is back.
    EXPECT_EQ(GetTextMacros(), program);
    SetTextMacros(nullptr);
}

TEST_F(PageFrame, RussianPageUsesItsTwinTemplate)
{
    g_mlLanguage = 1;
    state.language = SETUP_LANG_RUSSIAN;
    TestPage page(true, state);
    RunScripted(page, [&](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(ItemText(h, SETUP_CTL_TITLE), "\302\340\361 \357\360\350\342\345\362\361\362\342\363\345\362 VOQ Tools v1.02.3");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, SETUP_CTL_BACK)));
        SaveScreenshot(h, "page_frame_ru");
        Click(h, SETUP_CTL_NEXT);
    });
    EXPECT_EQ(page.TemplateId(), kTestPage + 10000);
}

TEST_F(PageFrame, TextsUpTo8192CharactersAreExpandedLongerOnesKeptWhole)
{
    struct Case {
        size_t filler;
        bool expanded;
    };
    for (const Case c : {Case{8192 - 3, true}, Case{8192 - 2, false}}) {
        const std::string text = std::string(c.filler, 'x') + " $P";
        TestPage page(true, state);
        page.SetItemText(kLong, "%s", text.c_str());
        RunScripted(page, [&](Dialog& d) {
            const std::string shown = ItemText(d.GetHandle(), kLong);
            EXPECT_EQ(shown, c.expanded ? std::string(c.filler, 'x') + " VOQ Tools" : text) << c.filler;
            Click(d.GetHandle(), SETUP_CTL_NEXT);
        });
    }
}

TEST_F(PageFrame, BackValidatesAndStoresThenEndsWith518)
{
    bool accept = false, stored = false;
    TestPage page(false, state);
    page.AddItem(new GateItem(&accept, &stored));
    const int result = RunScripted(page, [&](Dialog& d) {
        HWND h = d.GetHandle();
        // A refusing item keeps the page open with nothing stored.
        Click(h, SETUP_CTL_BACK);
        PumpPending();
        EXPECT_TRUE(IsWindow(h));
        EXPECT_FALSE(stored);
        accept = true;
        Click(h, SETUP_CTL_BACK);
    });
    EXPECT_EQ(result, SETUP_RESULT_BACK);
    EXPECT_TRUE(stored);
}

TEST_F(PageFrame, CancelAsksAndOnlyYesEndsWith2)
{
    for (uint8_t language : {0, 1}) {
        g_mlLanguage = language;
        FwBoxRecorder boxes(IDNO);
        TestPage page(true, state);
        const int result = RunScripted(page, [&](Dialog& d) {
            HWND h = d.GetHandle();
            Click(h, IDCANCEL);
            PumpPending();
            EXPECT_TRUE(IsWindow(h));
            boxes.SetAnswer(IDYES);
            Click(h, IDCANCEL);
        });
        EXPECT_EQ(result, SETUP_RESULT_CANCEL);
        ASSERT_EQ(boxes.Boxes().size(), 2u);
        const FwRecordedBox& box = boxes.Boxes()[0];
        EXPECT_EQ(box.style & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK),
                  static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        EXPECT_EQ(box.caption, language ? "\317\356\344\362\342\345\360\346\344\345\355\350\345 \342\373\365\356\344\340"
                                        : "Confirm Exit");
        if (!language) {
            EXPECT_EQ(box.text, "Are you sure you want to exit the setup?");
        }
        EXPECT_NE(box.owner, nullptr);
    }
}

// The animation: a clip taller than the area makes the area taller; the
// player sits at its right, vertically centred, and the title ends one pixel
// left of it.
void ExpectPlayerPlaced(HWND h, int clipWidth)
{
    HWND player = FindChildOfClass(h, "MCIWndClass");
    ASSERT_NE(player, nullptr);
    const RECT p = RectIn(h, player);
    const RECT area = ItemRect(h, SETUP_CTL_ANIMATION);
    RECT clip{};
    GetClientRect(player, &clip);
    EXPECT_EQ(clip.right, clipWidth);
    EXPECT_EQ(clip.bottom, 32);
    EXPECT_EQ(p.right, area.right);
    EXPECT_EQ(area.bottom - area.top, p.bottom - p.top);
    EXPECT_EQ(p.top - area.top, area.bottom - p.bottom);
    EXPECT_EQ(ItemRect(h, SETUP_CTL_TITLE).right, p.left - 1);
}

TEST_F(PageFrame, AnimationIsTheBuiltInClipOrStartupKorvanAvi)
{
    {
        TestPage page(true, state);
        RunScripted(page, [&](Dialog& d) {
            ExpectPlayerPlaced(d.GetHandle(), 48);
            Click(d.GetHandle(), SETUP_CTL_NEXT);
        });
    }
    // ..\STARTUP\korvan.avi beside the program's folder wins (here the busy
    // clock, 32 pixels wide).
    TempTree tree;
    const std::string program = tree.Path("disk\\setup");
    CreateDirectoryA(tree.Path("disk").c_str(), nullptr);
    CreateDirectoryA(program.c_str(), nullptr);
    CreateDirectoryA(tree.Path("disk\\STARTUP").c_str(), nullptr);
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(22283), "AVI");
    ASSERT_NE(found, nullptr);
    tree.Write("disk\\STARTUP\\korvan.avi",
               std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                           SizeofResource(nullptr, found)));
    state.programFolder = program;
    TestPage page(true, state);
    RunScripted(page, [&](Dialog& d) {
        ExpectPlayerPlaced(d.GetHandle(), 32);
        Click(d.GetHandle(), SETUP_CTL_NEXT);
    });
}

TEST(PageBanner, BitmapSideAndGradientColours)
{
    const SIZE bitmap{100, 40};
    struct Case {
        const char* align;
        int32_t left, right;
        int bitmapX;
        RECT fill;
        bool filled;
        COLORREF from, to;
    };
    const Case cases[] = {
        {"Left", 0x0000FF, 0xFF0000, 0, {100, 0, 500, 40}, true, 0x0000FF, 0xFF0000},
        {"Right", 0x0000FF, 0xFF0000, 400, {0, 0, 400, 40}, true, 0x0000FF, 0xFF0000},
        {"Centre", 0x0000FF, 0xFF0000, 0, {100, 0, 500, 40}, true, 0x0000FF, 0xFF0000},
        {"right", -1, 0x00FF00, 0, {100, 0, 500, 40}, true, 0x00FF00, 0x00FF00},
        {"Left", 0x123456, -1, 0, {100, 0, 500, 40}, true, 0x123456, 0x123456},
        {"Right", -1, -1, 400, {0, 0, 400, 40}, false, 0, 0},
    };
    for (const Case& c : cases) {
        const BannerPlacement p = PlaceBanner(c.align, 500, bitmap, c.left, c.right);
        EXPECT_EQ(p.bitmapX, c.bitmapX) << c.align;
        EXPECT_TRUE(EqualRect(&p.fill, &c.fill)) << c.align;
        EXPECT_EQ(p.filled, c.filled) << c.align;
        if (c.filled) {
            EXPECT_EQ(p.left, c.from) << c.align;
            EXPECT_EQ(p.right, c.to) << c.align;
        }
    }
}

// A 120 x 70 bitmap, solid yellow.
std::unique_ptr<Bitmap> YellowBanner()
{
    ScreenDC screen;
    auto bitmap = std::make_unique<Bitmap>(screen, 120, 70);
    MemoryDC dc(screen);
    SelectObjectScope select(dc, *bitmap);
    Brush yellow(RGB(255, 255, 0));
    RECT r{0, 0, 120, 70};
    FillRect(dc, &r, yellow);
    return bitmap;
}

COLORREF PixelAt(HWND h, int x, int y)
{
    ClientDC dc(h);
    return GetPixel(dc, x, y);
}

TEST_F(PageFrame, BannerMovesThePageDownAndPaintsBitmapGradientAndTitle)
{
    // Where the template's controls are without a banner.
    RECT plainText{}, plainClient{};
    {
        TestPage page(true, state);
        RunScripted(page, [&](Dialog& d) {
            plainText = ItemRect(d.GetHandle(), kText);
            GetClientRect(d.GetHandle(), &plainClient);
            Click(d.GetHandle(), SETUP_CTL_NEXT);
        });
    }
    state.bannerBitmap = YellowBanner();
    state.product.bannerColorL = RGB(255, 0, 0);
    state.product.bannerColorR = RGB(0, 0, 255);
    state.product.bannerTextColor = RGB(255, 255, 255);
    state.product.bannerTextX = 130;
    state.product.bannerTextY = 8;
    for (const char* align : {"Left", "Right", "Middle"}) {
        state.product.bannerAlign = align;
        TestPage page(true, state);
        RunScripted(page, [&](Dialog& d) {
            HWND h = d.GetHandle();
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, SETUP_CTL_TITLE)));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, SETUP_CTL_ANIMATION)));
            EXPECT_EQ(FindChildOfClass(h, "MCIWndClass"), nullptr);
            // Moved by the banner's height less the area's bottom, so the
            // area now ends where the banner does; the page grew by as much.
            EXPECT_EQ(ItemRect(h, SETUP_CTL_ANIMATION).bottom, 70);
            const RECT text = ItemRect(h, kText);
            RECT client{};
            GetClientRect(h, &client);
            const int shift = text.top - plainText.top;
            EXPECT_EQ(client.bottom - plainClient.bottom, shift);
            EXPECT_NE(shift, 0);
            RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            PumpPending();
            const bool right = std::string(align) == "Right";
            const int bitmapX = right ? client.right - 120 : 0;
            EXPECT_EQ(PixelAt(h, bitmapX + 2, 60), RGB(255, 255, 0)) << align;
            // The band runs from red at its left to blue at its right.
            const int bandLeft = right ? 0 : 120, bandRight = right ? client.right - 120 : client.right;
            const COLORREF start = PixelAt(h, bandLeft + 1, 66), end = PixelAt(h, bandRight - 2, 66);
            EXPECT_GT(GetRValue(start), 200) << align;
            EXPECT_LT(GetBValue(start), 60) << align;
            EXPECT_GT(GetBValue(end), 200) << align;
            EXPECT_LT(GetRValue(end), 60) << align;
            SaveScreenshot(h, right ? "page_banner_right" : (std::string(align) == "Left" ? "page_banner_left"
                                                                                          : "page_banner_unknown"));
            Click(h, SETUP_CTL_NEXT);
        });
    }
    // Neither colour: the band keeps the page's face colour.
    state.product.bannerColorL = state.product.bannerColorR = -1;
    state.product.bannerAlign = "Left";
    TestPage page(true, state);
    RunScripted(page, [&](Dialog& d) {
        HWND h = d.GetHandle();
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        PumpPending();
        RECT client{};
        GetClientRect(h, &client);
        EXPECT_EQ(PixelAt(h, client.right - 3, 66), GetSysColor(COLOR_BTNFACE));
        Click(h, SETUP_CTL_NEXT);
    });
}

}  // namespace
