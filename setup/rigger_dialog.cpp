#include "setup/rigger_dialog.h"

#include <vfw.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "framework/base/path.h"
#include "framework/base/sys_box.h"
#include "framework/base/trace_scope.h"
#include "framework/ui/dialog_drawing.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/text_macros.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/mci_window.h"
#include "framework/window/window_text.h"
#include "setup/rigger_dialog_banner.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

constexpr uint32_t kPageAnimation = 22272;
constexpr size_t kMaxSubstitutedText = 8192;

// The product's name and version for "$P" and "$V" (either case) while a
// page's texts are expanded; the program's table comes back afterwards.
class PageMacros {
public:
    explicit PageMacros(const SetupState& state)
        : table_{{"P", state.product.name.c_str()},
                 {"p", state.product.name.c_str()},
                 {"V", state.product.version.c_str()},
                 {"v", state.product.version.c_str()},
                 {nullptr, nullptr}},
          previous_(GetTextMacros()),
          longest_(std::max(state.product.name.size(), state.product.version.size()))
    {
        SetTextMacros(table_);
    }
    ~PageMacros() { SetTextMacros(previous_); }
    PageMacros(const PageMacros&) = delete;
    PageMacros& operator=(const PageMacros&) = delete;

    // Expands `text` whole: the buffer has room for every "$" to become the
    // longer of the two values.
    std::string Expand(const std::string& text) const
    {
        size_t dollars = 0;
        for (char c : text) dollars += c == '$';
        std::string out(text.size() + dollars * longest_ + 1, '\0');
        ExpandTextMacros(out.data(), text.c_str(), out.size());
        out.resize(strlen(out.c_str()));
        return out;
    }

private:
    TextMacro table_[5];
    const TextMacro* previous_;
    size_t longest_;
};

RECT ChildRect(HWND dialog, HWND child)
{
    RECT r{};
    ::GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// "..\STARTUP\korvan.avi" beside the setup program's folder, or "" when
// there is none.
std::string StartupAnimation(const SetupState& state)
{
    std::string folder = state.programFolder.empty() ? PPath::ProgramFolder().Text() : state.programFolder;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    const std::string path = folder + "..\\STARTUP\\korvan.avi";
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return path;
}

}  // namespace

struct RiggerDialog::Animation {
    std::unique_ptr<MCIWindow> player;
};

RiggerDialog::RiggerDialog(Window* parent, bool firstPage, uint32_t dialogId, SetupState& state)
    : SDialog(parent, dialogId), firstPage_(firstPage), state_(state)
{
}

RiggerDialog::~RiggerDialog() { delete animation_; }

int RiggerDialog::Execute() { return SDialog::Execute(); }

void RiggerDialog::SetupWindow()
{
    SDialog::SetupWindow();
    PTraceScope scope("RiggerDialog::SetupWindow()");
    HWND dialog = GetHandle();
    if (!state_.caption.empty()) SetText1251(dialog, state_.caption.c_str());
    if (firstPage_) ::EnableWindow(GetDlgItem(dialog, SETUP_CTL_BACK), FALSE);

    {
        const PageMacros macros(state_);
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string text = GetText1251(child);
            // A longer text (a licence) is left whole rather than cut.
            if (text.size() > kMaxSubstitutedText || text.find('$') == std::string::npos) continue;
            const std::string expanded = macros.Expand(text);
            if (expanded != text) SetText1251(child, expanded.c_str());
        }
    }

    if (state_.bannerBitmap && state_.bannerBitmap->Get())
        PlaceBannerRoom();
    else
        StartAnimation();
}

void RiggerDialog::PlaceBannerRoom()
{
    HWND dialog = GetHandle();
    HWND area = GetDlgItem(dialog, SETUP_CTL_ANIMATION);
    const SIZE bitmap = state_.bannerBitmap->Size();
    const int shift = bitmap.cy - (area ? ChildRect(dialog, area).bottom : 0);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT r = ChildRect(dialog, child);
        ::SetWindowPos(child, nullptr, r.left, r.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT window{};
    ::GetWindowRect(dialog, &window);
    ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + shift,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The banner painting draws the title itself.
    HideItems(true, {SETUP_CTL_ANIMATION, SETUP_CTL_TITLE});
}

void RiggerDialog::StartAnimation()
{
    HWND dialog = GetHandle();
    HWND area = GetDlgItem(dialog, SETUP_CTL_ANIMATION);
    if (!area) return;
    const DWORD style = WS_CHILD | WS_VISIBLE | MCIWNDF_NOPLAYBAR | MCIWNDF_NOMENU | MCIWNDF_NOERRORDLG;
    const std::string file = StartupAnimation(state_);
    auto player = file.empty() ? std::make_unique<MCIWindow>(this, nullptr, style, kPageAnimation)
                               : std::make_unique<MCIWindow>(this, nullptr, style, file.c_str());
    if (!player->GetHandle() || !player->DeviceId()) return;
    // The media window has taken the clip's size (with its frame).
    RECT clip{};
    ::GetWindowRect(player->GetHandle(), &clip);
    const int clipWidth = clip.right - clip.left, clipHeight = clip.bottom - clip.top;
    RECT place = ChildRect(dialog, area);
    if (clipHeight > place.bottom - place.top) {
        place.bottom = place.top + clipHeight;
        ::SetWindowPos(area, nullptr, 0, 0, place.right - place.left, clipHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int x = place.right - clipWidth;
    const int y = place.top + (place.bottom - place.top - clipHeight) / 2;
    ::SetWindowPos(player->GetHandle(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    if (HWND title = GetDlgItem(dialog, SETUP_CTL_TITLE)) {
        const RECT r = ChildRect(dialog, title);
        const int width = x - 1 - r.left;
        ::SetWindowPos(title, nullptr, 0, 0, width > 0 ? width : 0, r.bottom - r.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    player->Play(0, -1, 0, true);
    animation_ = new Animation{std::move(player)};
}

void RiggerDialog::CleanupWindow()
{
    // The player stops and lets go of its file before the page goes.
    if (animation_) animation_->player.reset();
    SDialog::CleanupWindow();
}

void RiggerDialog::EvPaint()
{
    SDialog::EvPaint();
    if (!state_.bannerBitmap || !state_.bannerBitmap->Get()) return;
    HWND dialog = GetHandle();
    ClientDC dc(dialog);
    PaintBanner(dc);
}

void RiggerDialog::PaintBanner(HDC dc)
{
    HWND dialog = GetHandle();
    const ProductSettings& product = state_.product;
    const SIZE size = state_.bannerBitmap->Size();
    const RECT client = GetClientRect();
    const BannerPlacement banner =
        PlaceBanner(product.bannerAlign, client.right, size, product.bannerColorL, product.bannerColorR);
    {
        MemoryDC memory(dc);
        HGDIOBJ old = SelectObject(memory, state_.bannerBitmap->Get());
        BitBlt(dc, banner.bitmapX, 0, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    if (banner.filled && banner.fill.right > banner.fill.left)
        FillGradient(GRADIENT_HORIZONTAL, banner.right, banner.left, banner.fill, dc);

    const std::wstring title = Wide1251(GetItemText1251(dialog, SETUP_CTL_TITLE).c_str());
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF colour =
        product.bannerTextColor == -1 ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(product.bannerTextColor);
    const COLORREF oldColour = SetTextColor(dc, colour);
    RECT text{product.bannerTextX, product.bannerTextY, client.right, size.cy};
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_NOPREFIX | DT_NOCLIP);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

void RiggerDialog::CmCancel()
{
    if (!CancelAllowed()) return;
    std::string text = GetMLText("Are you sure you want to exit the setup?|\302\373 \344\345\351\361\362\342\350\362"
                                 "\345\353\374\355\356 \365\356\362\350\362\345 \342\373\351\362\350 \350\347 "
                                 "\357\360\356\343\360\340\354\354\373 \363\361\362\340\355\356\342\352\350?");
    std::string caption = GetMLText("Confirm Exit|\317\356\344\362\342\345\360\346\344\345\355\350\345 \342\373"
                                    "\365\356\344\340");
    FwBoxRequest request{FwBoxKind::Plain,
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND,
                         0,
                         0,
                         caption.c_str(),
                         text.c_str(),
                         GetHandle()};
    const int answer = FwPresentBox(request);
    LogPrintf("** Message **: %s\n [%s]\n", text.c_str(), answer == IDYES ? "YES" : "NO");
    if (answer == IDYES) SDialog::CmCancel();
}

void RiggerDialog::CmBack()
{
    if (!Validate()) return;
    StoreData();
    CloseWindow(SETUP_RESULT_BACK);
}

LRESULT RiggerDialog::EvCommand(UINT id, HWND control, UINT code)
{
    // A disabled button does not act, whatever sent the command (Enter
    // goes to the default button even while it is disabled).
    if (code == BN_CLICKED && (id == SETUP_CTL_NEXT || id == SETUP_CTL_BACK)) {
        if (::IsWindowEnabled(GetDlgItem(GetHandle(), static_cast<int>(id)))) {
            if (id == SETUP_CTL_NEXT)
                CmOk();
            else
                CmBack();
        }
        return 0;
    }
    return SDialog::EvCommand(id, control, code);
}
