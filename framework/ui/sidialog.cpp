#include "framework/ui/sidialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/config/poption.h"
#include "framework/ui/b_button.h"
#include "framework/ui/colour_prefix.h"
#include "framework/ui/di_browsers.h"
#include "framework/ui/di_buttons.h"
#include "framework/ui/di_combo_box.h"
#include "framework/ui/di_list_box.h"
#include "framework/ui/di_tree_view.h"
#include "framework/ui/list_controls.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "framework/ui/text_macros.h"
#include "framework/ui/trace_scope.h"
#include "framework/window/common_dialogs.h"
#include "framework/window/dialog.h"
#include "framework/window/tooltip.h"
#include "framework/window/window_text.h"

namespace {

constexpr uint16_t kBrowseTitle = 6418;
constexpr uint32_t kListDialogUnits = 0x80;
// List flag: the list has a column header.
constexpr uint32_t kListHasHeader = 0x100;

bool IsClass(HWND window, const char* name)
{
    char buffer[64] = "";
    GetClassNameA(window, buffer, sizeof buffer);
    return lstrcmpiA(buffer, name) == 0;
}

RECT ChildRect(HWND dialog, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace

SIDialog::SIDialog(Dialog& window) : window_(window) {}

SIDialog::~SIDialog() = default;

HWND SIDialog::Handle() const { return window_.GetHandle(); }

void SIDialog::AddItems(std::initializer_list<DlgItemDescr*> items)
{
    for (DlgItemDescr* item : items) AddItem(item);
}

void SIDialog::AddItem(DlgItemDescr* item)
{
    if (!item) return;
    item->SetOwner(this);
    items_.emplace_back(item);
    item->CreateControl();
}

void SIDialog::RemoveItems(std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids) {
        auto it = std::find_if(items_.begin(), items_.end(), [id](const auto& item) { return item->ControlId() == id; });
        if (it == items_.end()) continue;
        delete (*it)->Control();
        items_.erase(it);
    }
}

DlgItemDescr* SIDialog::FindItem(uint32_t id) const
{
    for (const auto& item : items_)
        if (item->ControlId() == id) return item.get();
    return nullptr;
}

Window* SIDialog::ItemControl(uint32_t id) const
{
    DlgItemDescr* item = FindItem(id);
    return item ? item->Control() : nullptr;
}

ComboBoxData* SIDialog::ItemComboData(uint32_t id) const
{
    DlgItemDescr* item = FindItem(id);
    if (!item) return nullptr;
    switch (item->Kind()) {
    case DI_COMBO_BOX:
    case DI_FOLDER_BROWSER:
    case DI_FILE_BROWSER:
    case DI_INET_ADDR_BROWSER:
        return &static_cast<DIComboBox*>(item)->Data();
    case DI_DROP_DOWN_LIST:
        return &static_cast<DIComboBoxList*>(item)->Data();
    default:
        return nullptr;
    }
}

ListBoxData* SIDialog::ItemListData(uint32_t id) const
{
    auto* list = dynamic_cast<DIListBox*>(FindItem(id));
    return list ? &list->Data() : nullptr;
}

uint32_t SIDialog::ItemNumber(uint32_t id) const
{
    auto* combo = dynamic_cast<DIComboBox*>(FindItem(id));
    return combo ? static_cast<uint32_t>(combo->Number()) : 0;
}

uint64_t SIDialog::ItemNumber64(uint32_t id) const
{
    auto* combo = dynamic_cast<DIComboBox*>(FindItem(id));
    return combo ? combo->Number() : 0;
}

bool SIDialog::Validate()
{
    for (const auto& item : items_)
        if (!item->GetData()) return false;
    return true;
}

void SIDialog::StoreData()
{
    for (const auto& item : items_) item->Store();
}

int SIDialog::AddAnchors(std::initializer_list<std::pair<uint32_t, uint32_t>> anchors)
{
    int count = 0;
    for (const auto& [id, flags] : anchors) {
        if (!id) break;
        AnchorRecord record;
        record.controlId = id;
        record.flags = flags;
        anchors_.push_back(record);
        ++count;
    }
    if (count) resizable_ = true;
    return count;
}

void SIDialog::AddDepItem(uint32_t flags, uint32_t checkBoxId, std::initializer_list<uint32_t> dependents)
{
    rules_.push_back(DepRule{flags, checkBoxId, std::vector<uint32_t>(dependents)});
}

void SIDialog::SetEnabled(bool enable, uint32_t id)
{
    if (HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr) EnableWindow(control, enable);
}

void SIDialog::EnableItem(bool enable, uint32_t id)
{
    if (enable && Locked()) return;
    SetEnabled(enable, id);
}

void SIDialog::EnableItems(bool enable, std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids) EnableItem(enable, id);
}

bool SIDialog::IsItemEnabled(uint32_t id) const
{
    HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr;
    return control && IsWindowEnabled(control);
}

void SIDialog::SetItemCheck(uint32_t id, bool check)
{
    HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr;
    if (!control) return;
    if (check) {
        // A radio button's siblings of its group go off.
        for (const auto& item : items_)
            if (auto* radios = dynamic_cast<DIRadioButtons*>(item.get())) {
                const auto& ids = radios->Ids();
                if (std::find(ids.begin(), ids.end(), id) == ids.end()) continue;
                for (uint32_t other : ids)
                    if (other != id) SendDlgItemMessageA(Handle(), static_cast<int>(other), BM_SETCHECK, BST_UNCHECKED, 0);
            }
    }
    SendMessageA(control, BM_SETCHECK, check ? BST_CHECKED : BST_UNCHECKED, 0);
    // The whole command dispatch: the bound variables and the rules follow.
    OnCommand(BN_CLICKED, control, id);
}

bool SIDialog::IsItemChecked(uint32_t id) const
{
    return Handle() && SendDlgItemMessageA(Handle(), static_cast<int>(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SIDialog::HideItem(bool hide, uint32_t id)
{
    if (HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr)
        ShowWindow(control, hide ? SW_HIDE : SW_SHOW);
}

void SIDialog::HideItems(bool hide, std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids) HideItem(hide, id);
}

void SIDialog::ShowAllChildren(bool hide)
{
    if (!Handle()) return;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ShowWindow(child, hide ? SW_HIDE : SW_SHOW);
}

bool SIDialog::RemoveItemGap(uint32_t id)
{
    HWND dialog = Handle();
    HWND control = dialog ? GetDlgItem(dialog, static_cast<int>(id)) : nullptr;
    if (!control) return false;
    RECT gap = ChildRect(dialog, control);
    const int height = gap.bottom - gap.top;
    ShowWindow(control, SW_HIDE);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = ChildRect(dialog, child);
        if (child != control && r.top >= gap.bottom)
            SetWindowPos(child, nullptr, r.left, r.top - height, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT w{};
    GetWindowRect(dialog, &w);
    // After set-up the dialog's minimum size and the anchors follow the new
    // size, or the minimum would forbid the shrink and the anchors would pull
    // the controls back.
    if (initialTaken_) initial_.bottom -= height;
    SetWindowPos(dialog, nullptr, 0, 0, w.right - w.left, w.bottom - w.top - height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (initialTaken_) {
        GetWindowRect(dialog, &initial_);
        RECT client{};
        GetClientRect(dialog, &client);
        for (auto& a : anchors_)
            if (HWND c = GetDlgItem(dialog, static_cast<int>(a.controlId))) MeasureAnchor(a, client, ChildRect(dialog, c));
    }
    return true;
}

RECT SIDialog::GetItemRect(uint32_t id) const
{
    HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr;
    return control ? ChildRect(Handle(), control) : RECT{};
}

void SIDialog::SetItemText(uint32_t id, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    SetItemTextV(id, format, args);
    va_end(args);
}

void SIDialog::SetItemTextV(uint32_t id, const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format ? format : "", copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) vsnprintf(text.data(), text.size() + 1, format, args);
    if (!Handle()) {
        queuedTexts_.emplace_back(id, text);
        return;
    }
    ApplyTextToControl(id, text);
}

void SIDialog::ApplyTextToControl(uint32_t id, const std::string& text)
{
    HWND control = GetDlgItem(Handle(), static_cast<int>(id));
    if (!control) return;
    DlgItemDescr* item = FindItem(id);
    const uint32_t kind = item ? item->Kind() : 0xFFFFFFFF;
    if (kind == DI_COMBO_BOX || kind == DI_DROP_DOWN_LIST || kind == DI_EDIT || kind == DI_FOLDER_BROWSER ||
        kind == DI_FILE_BROWSER || kind == DI_INET_ADDR_BROWSER) {
        // Data texts (paths, values) keep a leading "$": no colour prefix here.
        SetText1251(control, text.c_str());
        return;
    }
    if (kind == DI_LIST_BOX) {
        SendMessageA(control, LB_RESETCONTENT, 0, 0);
        for (const auto& line : SplitLines(text))
            SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide1251(line.c_str()).c_str()));
        InvalidateRect(control, nullptr, TRUE);
        return;
    }
    if (IsClass(control, "static")) {
        ColourPrefix prefix = ApplyColourPrefix(text.c_str());
        if (prefix.hasColour) SetItemTextColor(prefix.colour, id);
        SetItemText1251(Handle(), static_cast<int>(id), prefix.text.c_str());
        return;
    }
    SetItemText1251(Handle(), static_cast<int>(id), text.c_str());
}

std::string SIDialog::GetItemText(uint32_t id)
{
    if (DlgItemDescr* item = FindItem(id)) return item->GetText();
    std::string text = GetItemText1251(Handle(), static_cast<int>(id));
    if (text.size() > 4095) text.resize(4095);
    return text;
}

void SIDialog::SubstituteItemText(uint32_t id) { SubstituteItemText(id, 1024); }

void SIDialog::SubstituteItemText(uint32_t id, size_t maxLength)
{
    if (!Handle()) return;
    std::string text = GetItemText1251(Handle(), static_cast<int>(id));
    if (text.size() > maxLength) text.resize(maxLength);
    std::string out(maxLength + 1, '\0');
    ExpandTextMacros(out.data(), text.c_str(), out.size());
    SetItemText1251(Handle(), static_cast<int>(id), out.c_str());
}

void SIDialog::FormatItemText(uint32_t id, ...)
{
    if (!Handle()) return;
    std::string format = GetItemText1251(Handle(), static_cast<int>(id));
    if (format.size() > 2048) format.resize(2048);
    char out[2049];
    va_list args;
    va_start(args, id);
    vsnprintf(out, sizeof out, format.c_str(), args);
    va_end(args);
    SetItemText1251(Handle(), static_cast<int>(id), out);
}

void SIDialog::FocusItem(uint32_t id)
{
    HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr;
    if (!control) return;
    HWND child = GetWindow(control, GW_CHILD);
    SetFocus(child ? child : control);
}

SIDialog::ColourRecord& SIDialog::Colour(uint32_t id)
{
    for (auto& r : colours_)
        if (r.id == id) return r;
    colours_.emplace_back();
    colours_.back().id = id;
    return colours_.back();
}

const SIDialog::ColourRecord* SIDialog::FindColour(uint32_t id) const
{
    for (const auto& r : colours_)
        if (r.id == id) return &r;
    return nullptr;
}

void SIDialog::SetItemTextColor(COLORREF colour, uint32_t id)
{
    ColourRecord& r = Colour(id);
    r.flags |= COLOUR_TEXT;
    r.text = colour;
    if (HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr)
        InvalidateRect(control, nullptr, FALSE);
}

void SIDialog::SetItemBkColor(COLORREF colour, uint32_t id)
{
    ColourRecord& r = Colour(id);
    r.flags |= COLOUR_BACKGROUND;
    if (!r.brush || r.background != colour) r.brush = Brush(colour);
    r.background = colour;
    if (HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr)
        InvalidateRect(control, nullptr, FALSE);
}

void SIDialog::SetItemFont(HFONT font, uint32_t id)
{
    ColourRecord& r = Colour(id);
    r.flags |= COLOUR_FONT;
    r.font = font;
    // Applied at once when the window exists; set-up applies it otherwise.
    if (HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void SIDialog::SetItemBold(uint32_t id)
{
    ColourRecord& r = Colour(id);
    r.flags |= COLOUR_BOLD;
    if (HWND control = Handle() ? GetDlgItem(Handle(), static_cast<int>(id)) : nullptr) {
        boldFonts_.push_back(Font::Derived(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), true, false));
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(boldFonts_.back().Get()), TRUE);
    }
}

void SIDialog::SetItemsTextBlue(std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids) SetItemTextColor(0xFF0000, id);
}

void SIDialog::PostCommand(uint32_t id)
{
    if (Handle()) PostMessageA(Handle(), WM_COMMAND, id, 0);
}

void SIDialog::EnableAll(bool enable)
{
    state_ = enable ? (state_ & ~kLocked) : (state_ | kLocked);
    if (!Handle()) return;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        EnableWindow(child, enable);
    if (enable) ApplyRules();
}

BButton* SIDialog::FindButton(uint32_t id) const
{
    for (BButton* b : buttons_)
        if (static_cast<uint32_t>(b->GetId()) == id) return b;
    return nullptr;
}

bool SIDialog::AddButton(BButton* button)
{
    if (!button || FindButton(static_cast<uint32_t>(button->GetId()))) return false;
    buttons_.push_back(button);
    return true;
}

void SIDialog::DropButtonsWithoutControl()
{
    std::vector<BButton*> kept;
    for (BButton* b : buttons_) {
        if (b->GetHandle() || (Handle() && GetDlgItem(Handle(), b->GetId()))) kept.push_back(b);
        else delete b;
    }
    buttons_.swap(kept);
}

BButton* SIDialog::SetButtonImage(uint32_t imageId, uint32_t id)
{
    if (BButton* b = FindButton(id)) {
        b->SetImage(imageId);
        return b;
    }
    auto* b = new BButton(&window_, static_cast<int>(id), imageId);
    AddButton(b);
    b->AttachById();
    return b;
}

BButton* SIDialog::AddLinkButton(uint32_t id)
{
    BButton* b = FindButton(id);
    if (!b) {
        b = new BButton(&window_, static_cast<int>(id), 0, BBUTTON_LINK);
        AddButton(b);
        b->AttachById();
    } else {
        b->SetFlags(b->Flags() | BBUTTON_LINK);
    }
    return b;
}

void SIDialog::MarkButton(uint32_t id)
{
    if (!Handle()) {
        queuedMarks_.push_back(id);
        return;
    }
    if (!GetDlgItem(Handle(), static_cast<int>(id))) return;
    // Marking makes the button one of the dialog's themed buttons; its text stays.
    BButton* b = FindButton(id);
    if (!b) {
        b = new BButton(&window_, static_cast<int>(id), 0);
        AddButton(b);
        b->AttachById();
    }
    b->Mark();
}

void SIDialog::MarkButtons(std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids) MarkButton(id);
}

void SIDialog::ApplyButtonMarks()
{
    std::vector<uint32_t> marks;
    marks.swap(queuedMarks_);
    for (uint32_t id : marks) MarkButton(id);
}

bool SIDialog::EvHelp(HELPINFO& info)
{
    if (tooltip_ && TooltipsModeOption().GetValue() == 1) {
        tooltip_->Activate(true);
        return true;
    }
    const uint32_t id = static_cast<uint32_t>(info.iCtrlId);
    const uint32_t context = (id == 1 || id == 2 || id == 9) ? id + 100000 : ((helpBase_ << 16) | (id & 0xFFFF));
    ShowHelp(Handle(), 8, context);
    return true;
}

void SIDialog::ApplyRules()
{
    if (!Handle()) return;
    std::vector<uint32_t> switchedOff;
    for (const DepRule& rule : rules_) {
        bool state = SendDlgItemMessageA(Handle(), static_cast<int>(rule.checkBoxId), BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (rule.flags & DEP_INVERTED) state = !state;
        for (uint32_t id : rule.dependents) {
            if (std::find(switchedOff.begin(), switchedOff.end(), id) != switchedOff.end()) continue;
            if (state) {
                if (rule.flags & DEP_SHOW_HIDE) HideItem(false, id);
                else EnableItem(true, id);
            } else {
                if (rule.flags & DEP_SHOW_HIDE) HideItem(true, id);
                else DisableItem(id);
                switchedOff.push_back(id);
            }
        }
    }
}

void SIDialog::SetupFonts()
{
    HWND dialog = Handle();
    for (auto& r : colours_) {
        HWND control = GetDlgItem(dialog, static_cast<int>(r.id));
        if (!control) continue;
        if (r.flags & COLOUR_FONT) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(r.font), FALSE);
        if (r.flags & COLOUR_BOLD) {
            boldFonts_.push_back(Font::Derived(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), true, false));
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(boldFonts_.back().Get()), FALSE);
        }
    }
    for (const auto& item : items_) item->SetData();
}

void SIDialog::ApplyStaticPrefixes()
{
    HWND dialog = Handle();
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsClass(child, "static")) {
            ColourPrefix prefix = ApplyColourPrefix(GetText1251(child).c_str());
            if (!prefix.changed) continue;
            if (prefix.hasColour) SetItemTextColor(prefix.colour, static_cast<uint32_t>(GetDlgCtrlID(child)));
            SetText1251(child, prefix.text.c_str());
        } else if (IsClass(child, "SysHeader32")) {
            // A column header is framed only while themes are drawn.
            const bool themed = ThemesActive();
            const LONG ex = GetWindowLongA(child, GWL_EXSTYLE);
            SetWindowLongA(child, GWL_EXSTYLE, themed ? (ex | WS_EX_STATICEDGE) : (ex & ~WS_EX_STATICEDGE));
            if (themed) {
                // Moving it up by one pixel and back redraws the new frame.
                const RECT r = ChildRect(dialog, child);
                const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
                SetWindowPos(child, nullptr, r.left, r.top - 1, 0, 0, flags);
                SetWindowPos(child, nullptr, r.left, r.top, 0, 0, flags | SWP_FRAMECHANGED);
            }
        }
    }
}

void SIDialog::SetupItems()
{
    HWND dialog = Handle();
    // The template's labels first, then the queued texts: each text meets
    // the colour prefix rule once, so "$$5" keeps its "$5".
    ApplyStaticPrefixes();
    std::vector<std::pair<uint32_t, std::string>> texts;
    texts.swap(queuedTexts_);
    for (const auto& [id, text] : texts) ApplyTextToControl(id, text);
    RECT client{};
    GetClientRect(dialog, &client);
    for (auto& a : anchors_)
        if (HWND c = GetDlgItem(dialog, static_cast<int>(a.controlId))) MeasureAnchor(a, client, ChildRect(dialog, c));
    ApplyRules();
    BuildTooltips();
}

void SIDialog::TakeInitialRect()
{
    GetWindowRect(Handle(), &initial_);
    initialTaken_ = true;
}

void SIDialog::Relayout()
{
    HWND dialog = Handle();
    // WM_SIZE comes before set-up has measured anything.
    if (!dialog || !initialTaken_ || anchors_.empty()) return;
    RECT client{}, window{};
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    const int growth = (window.right - window.left) - (initial_.right - initial_.left);
    for (const auto& a : anchors_) {
        HWND control = GetDlgItem(dialog, static_cast<int>(a.controlId));
        if (!control) continue;
        RECT c = RelayoutAnchor(a, client, growth, ChildRect(dialog, control));
        SetWindowPos(control, nullptr, c.left, c.top, c.right - c.left, c.bottom - c.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(dialog, nullptr, TRUE);
}

void SIDialog::OnCommand(UINT code, HWND control, uint32_t id)
{
    if (!control || code != BN_CLICKED) return;
    lastCommand_ = id;
    // Items may be removed by a hook: walk a snapshot.
    std::vector<DlgItemDescr*> snapshot;
    for (const auto& item : items_) snapshot.push_back(item.get());
    for (DlgItemDescr* item : snapshot) {
        if (auto* browser = dynamic_cast<DIDirBrowser*>(item); browser && browser->BrowseButtonId() == id) {
            switch (item->Kind()) {
            case DI_FOLDER_BROWSER: {
                bool chosen = BrowseDir(item->ControlId());
                browser->SetChosen(chosen);
                if (chosen) AfterBrowse(item->ControlId());
                break;
            }
            case DI_FILE_BROWSER:
                static_cast<DIFileBrowser*>(item)->Browse();
                break;
            default:
                break;  // the internet address browser's command hook is empty
            }
        }
    }
    for (DlgItemDescr* item : snapshot) item->OnCommand(id);
    ApplyRules();
}

bool SIDialog::OnNotify(NMHDR& header, LRESULT& result)
{
    state_ |= kNotifyHandled;
    const uint32_t id = static_cast<uint32_t>(header.idFrom);
    switch (header.code) {
    case TTN_POP:
        if (tooltip_ && TooltipsModeOption().GetValue() == 1) tooltip_->Activate(false);
        result = 0;
        return true;
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
        // Only lists that follow a column header change with its widths.
        for (const auto& item : items_) {
            auto* list = item->Kind() == DI_LIST_BOX ? dynamic_cast<ODListBox*>(item->Control()) : nullptr;
            if (list && (list->ListFlags() & kListHasHeader)) list->Invalidate(true);
        }
        result = 0;
        return true;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
        if (auto* tree = dynamic_cast<DITreeView*>(FindItem(id))) {
            result = TreeItemNotify(*this, *tree, header);
            return true;
        }
        break;
    case static_cast<UINT>(-10000):
        // The dialog's own notification: its hook answers (tree nodes come
        // with the tree view; other controls pass none).
        result = Hook3(nullptr, id, 0);
        return true;
    case NM_CUSTOMDRAW:
        if (DlgItemDescr* item = FindItem(id); item && item->Kind() != DI_TREE_VIEW) {
            result = CDRF_DODEFAULT;
            return true;
        } else if (auto* tree = dynamic_cast<DITreeView*>(item)) {
            result = TreeItemCustomDraw(*tree, reinterpret_cast<NMTVCUSTOMDRAW&>(header));
            return true;
        }
        break;
    default:
        break;
    }
    state_ &= ~kNotifyHandled;
    return false;
}

bool SIDialog::MeasureItem(MEASUREITEMSTRUCT& measure)
{
    DlgItemDescr* item = FindItem(measure.CtlID);
    if (!item) return false;
    const bool combo = item->Kind() == DI_COMBO_BOX && (static_cast<DIComboBox*>(item)->Flags() & DICB_OWNER_DRAWN);
    if (!combo && item->Kind() != DI_LIST_BOX) return false;
    for (const auto& [cid, height] : fixedHeights_)
        if (cid == measure.CtlID) {
            measure.itemHeight = height;
            return true;
        }
    UINT height = 0;
    HWND dialog = Handle();
    auto* odList = dynamic_cast<ODListBox*>(item->Control());
    if (odList && (odList->ListFlags() & kListDialogUnits) && dialog) {
        RECT r{0, 0, 0, 12};
        MapDialogRect(dialog, &r);
        height = static_cast<UINT>(r.bottom);
    } else {
        const ColourRecord* colour = FindColour(measure.CtlID);
        HFONT font = colour && (colour->flags & COLOUR_FONT) ? colour->font
                     : dialog ? reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0))
                              : nullptr;
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        if (old) SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        height = static_cast<UINT>(tm.tmHeight);
    }
    if (height == 0) height = 16;
    fixedHeights_.emplace_back(measure.CtlID, height);
    measure.itemHeight = height;
    return true;
}

HBRUSH SIDialog::CtlColor(HDC dc, HWND control, UINT type)
{
    const ColourRecord* r = FindColour(static_cast<uint32_t>(GetDlgCtrlID(control)));
    if (type == CTLCOLOR_EDIT) {
        if (!r) return nullptr;
        if (r->flags & COLOUR_TEXT) SetTextColor(dc, r->text);
        if (!(r->flags & COLOUR_EDIT_AS_STATIC)) {
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return GetSysColorBrush(COLOR_WINDOW);
        }
    } else if (type != CTLCOLOR_STATIC || !r) {
        return nullptr;
    }
    if (r->flags & COLOUR_TEXT) SetTextColor(dc, r->text);
    if (r->flags & COLOUR_BACKGROUND) {
        SetBkColor(dc, r->background);
        return r->brush.Get();
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

bool SIDialog::BrowseDir(uint32_t comboId)
{
    PTraceScope scope("SIDialog::BrowseDir()");
    auto* combo = dynamic_cast<ComboBox*>(window_.ChildWithId(static_cast<int>(comboId)));
    if (!combo || !combo->GetHandle()) {
        DoMessage("s", "Internal error: SIDialog::BrowseDir(): cannot find combo box with id %u", comboId);
        return false;
    }
    std::string text = combo->GetText();
    if (text.size() > 8192) text.resize(8192);
    const bool list = text.find(';') != std::string::npos;
    std::string chosen;
    bool ok;
    {
        TopmostGuard guard(GetAncestor(Handle(), GA_ROOT));
        // Owned by the dialog, so it stays modal to it: no OK, Cancel or
        // second Browse while the browser is open.
        std::string title = GetMLResString(kBrowseTitle);
        ok = BrowseForFolder(Handle(), title.c_str(), list ? "" : text.c_str(), chosen);
    }
    if (!ok) return false;
    std::string result;
    if (list) {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(';', start);
            if (end == std::string::npos) end = text.size();
            if (end > start) result += text.substr(start, end - start) + ";";
            start = end + 1;
        }
    }
    result += chosen;
    combo->SetSelIndex(-1);
    combo->SetText(result.c_str());
    HWND edit = combo->GetEditWindow();
    SetFocus(edit ? edit : combo->GetHandle());
    return true;
}

void SIDialog::BuildTooltips()
{
    delete tooltip_;
    tooltip_ = nullptr;
    std::vector<DialogOptionBinding> bound = OptionsBoundTo(resourceId_);
    if (bound.empty() && !tooltipsWanted_) return;
    tooltip_ = new Tooltip(&window_, TTS_ALWAYSTIP | TTS_NOPREFIX);
    if (!tooltip_->Create()) {
        delete tooltip_;
        tooltip_ = nullptr;
        return;
    }
    for (const auto& b : bound) {
        HWND control = GetDlgItem(Handle(), static_cast<int>(b.controlId));
        if (!control) continue;
        std::string text = GetMLText(b.tooltip ? b.tooltip : "");
        if (IsClass(control, "static")) SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | SS_NOTIFY);
        tooltip_->AddTool(control, text.c_str());
        if (IsClass(control, "combobox")) {
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            HWND edit = GetComboBoxInfo(control, &info) && info.hwndItem ? info.hwndItem : GetWindow(control, GW_CHILD);
            if (edit) tooltip_->AddTool(edit, text.c_str());
        }
    }
    tooltip_->SetMaxTipWidth(GetSystemMetrics(SM_CXFULLSCREEN) / 2);
    int delay = TooltipInitialDelay(TooltipsDelayOption().GetValue());
    if (TooltipsModeOption().GetValue() == 1 && !bound.empty()) {
        tooltip_->Activate(false);
        delay = 0;
    }
    tooltip_->SetDelayTime(TTDT_INITIAL, delay);
    tooltip_->SetDelayTime(TTDT_AUTOPOP, 30000);
}

HWND ControlUnderPoint(HWND dialog, POINT point)
{
    RECT best{};
    GetWindowRect(dialog, &best);
    HWND found = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        if (!PtInRect(&r, point)) continue;
        if (r.left >= best.left && r.top >= best.top && r.right <= best.right && r.bottom <= best.bottom) {
            best = r;
            found = child;
        }
    }
    return found;
}
