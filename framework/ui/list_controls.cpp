#include "framework/ui/list_controls.h"

#include <algorithm>
#include <climits>

#include "framework/ui/search_window.h"
#include "framework/ui/sidialog.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/window_text.h"

namespace {

constexpr int kPastTheEnd = 0x7FFFFFFF;
constexpr int kDragCursorMaxWidth = 192;

// The wheel's delta is summed over every list of the process, so a fine
// wheel that sends small deltas still scrolls.
int g_wheelAccumulator = 0;

}  // namespace

WheelSteps WheelScrollSteps(int accumulated, UINT lines, int cap)
{
    const int notches = accumulated / WHEEL_DELTA;
    if (notches == 0 || lines == 0) return WheelSteps{0, false};
    cap = std::max(cap, 1);
    // A page per notch: the system's setting for "one screen at a time".
    if (lines == WHEEL_PAGESCROLL) return WheelSteps{std::min(std::abs(notches), cap), true};
    const long long steps = static_cast<long long>(std::abs(notches)) * lines;
    return WheelSteps{static_cast<int>(std::min<long long>(steps, cap)), false};
}

// WTListBox ---------------------------------------------------------------

WTListBox::WTListBox(Window* parent, int id, uint32_t listFlags) : ListBox(parent, id), listFlags_(listFlags) {}

WTListBox::WTListBox(Window* parent, int id, int x, int y, int w, int h) : WTListBox(parent, id)
{
    Attr.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_USETABSTOPS;
    Attr.x = x;
    Attr.y = y;
    Attr.w = w;
    Attr.h = h;
}

WTListBox::~WTListBox()
{
    if (search_) {
        search_->ForgetList();
        delete search_;
    }
}

void WTListBox::OnFindQuery(uint32_t event, ListQuery* query)
{
    if (event != kListQueryEvent || !query) return;
    if (query->controlId != GetId() || query->owner != Parent()) return;
    query->list = this;
}

void WTListBox::CleanupWindow()
{
    if (search_) {
        search_->ForgetList();
        delete search_;
        search_ = nullptr;
    }
    ListBox::CleanupWindow();
}

int WTListBox::Position(int n) const
{
    if (!(listFlags_ & LIST_INDEX_MAP)) return n;
    if (n < 0 || static_cast<size_t>(n) >= map_.size()) return kPastTheEnd;
    return static_cast<int>(map_[static_cast<size_t>(n)]);
}

int WTListBox::ItemOf(int position) const
{
    if (position < 0) return -1;
    if (!(listFlags_ & LIST_INDEX_MAP)) return position;
    auto it = std::find(map_.begin(), map_.end(), static_cast<uint32_t>(position));
    return it == map_.end() ? -1 : static_cast<int>(it - map_.begin());
}

void WTListBox::AfterInsert(int position, int n)
{
    if (!(listFlags_ & LIST_INDEX_MAP) || position < 0) return;
    for (uint32_t& p : map_)
        if (p >= static_cast<uint32_t>(position)) ++p;
    if (n < 0 || static_cast<size_t>(n) > map_.size()) n = static_cast<int>(map_.size());
    map_.insert(map_.begin() + n, static_cast<uint32_t>(position));
}

int WTListBox::AddString(const char* text)
{
    const int position = ListBox::AddString(text);
    AfterInsert(position, -1);
    return position;
}

int WTListBox::InsertString(const char* text, int n)
{
    if (n > GetCount()) return LB_ERR;
    const int position = ListBox::InsertString(text, n);
    AfterInsert(position, n < 0 ? -1 : n);
    return position;
}

int WTListBox::DeleteString(int n)
{
    // An item number outside the list is refused before the map is touched.
    if (n < 0 || n >= GetCount()) return LB_ERR;
    if (!(listFlags_ & LIST_INDEX_MAP)) return ListBox::DeleteString(n);
    if (static_cast<size_t>(n) >= map_.size()) return LB_ERR;
    const uint32_t position = map_[static_cast<size_t>(n)];
    const int left = ListBox::DeleteString(static_cast<int>(position));
    if (left == LB_ERR) return LB_ERR;
    map_.erase(map_.begin() + n);
    for (uint32_t& p : map_)
        if (p > position) --p;
    return left;
}

void WTListBox::ClearList()
{
    ListBox::ClearList();
    map_.clear();
}

int WTListBox::GetTextLen(int n) const { return static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(Position(n)))); }
std::string WTListBox::GetString(int n) const { return ListBox::GetString(Position(n)); }
uintptr_t WTListBox::GetItemData(int n) const { return ListBox::GetItemData(Position(n)); }

int WTListBox::SetItemData(int n, uintptr_t data) const
{
    return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(Position(n)), static_cast<LPARAM>(data)));
}

RECT WTListBox::GetItemRect(int n)
{
    RECT r{};
    if (SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(Position(n)), reinterpret_cast<LPARAM>(&r)) == LB_ERR) return RECT{};
    return r;
}

int WTListBox::GetItemHeight(int n) const { return static_cast<int>(SendMessage(LB_GETITEMHEIGHT, static_cast<WPARAM>(Position(n)))); }

void WTListBox::SetItemHeight(int n, int height) const
{
    SendMessage(LB_SETITEMHEIGHT, static_cast<WPARAM>(Position(n)), MAKELPARAM(height, 0));
}

int WTListBox::GetSelIndex() const
{
    const int position = ListBox::GetSelIndex();
    return position == LB_ERR ? -1 : ItemOf(position);
}

int WTListBox::SetSelIndex(int n) const
{
    return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(n < 0 ? -1 : Position(n))));
}

std::vector<int> WTListBox::GetSelIndices() const
{
    std::vector<int> positions = ListBox::GetSelIndices();
    if (!(listFlags_ & LIST_INDEX_MAP)) return positions;
    std::vector<int> items;
    for (int position : positions)
        if (int n = ItemOf(position); n >= 0) items.push_back(n);
    return items;
}

int WTListBox::ItemFromPoint(POINT point)
{
    const int count = GetCount();
    const int top = static_cast<int>(SendMessage(LB_GETTOPINDEX));
    if (top >= count) return -1;
    // With the map the item numbers are not positions: every item is tried.
    const int first = (listFlags_ & LIST_INDEX_MAP) ? 0 : top;
    for (int n = first; n < count; ++n) {
        RECT r = GetItemRect(n);
        if (PtInRect(&r, point)) return n;
    }
    return -1;
}

uint32_t WTListBox::Transfer(void* buffer, TransferDirection direction)
{
    if (!buffer) return sizeof(ListBoxData);
    auto& data = *static_cast<ListBoxData*>(buffer);
    if (direction == TransferDirection::GetData) {
        data.selIndices = GetSelIndices();
        return sizeof(ListBoxData);
    }
    ClearList();
    for (size_t i = 0; i < data.strings.size(); ++i) {
        const int at = AddString(data.strings[i].c_str());
        if (at >= 0 && i < data.itemData.size()) ListBox::SetItemData(at, data.itemData[i]);
    }
    if (IsMultipleSelection()) {
        for (int n : data.selIndices) SetSel(Position(n), true);
    } else {
        SetSelIndex(data.GetSelIndex());
    }
    return sizeof(ListBoxData);
}

// Type-ahead search --------------------------------------------------------

void WTListBox::EvChar(UINT key, LPARAM flags)
{
    if (!(listFlags_ & LIST_TYPE_AHEAD) || search_) {
        DefaultProcessing();
        return;
    }
    const wchar_t wide[2] = {static_cast<wchar_t>(key), 0};
    const std::string text = Narrow1251(wide);
    // The code is unsigned: 1251 letters from 0x80 start a search too.
    const unsigned char code = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    if (code <= 31) {
        DefaultProcessing();
        return;
    }
    const int repeat = std::max(1, static_cast<int>(LOWORD(flags)));
    OpenSearch(std::string(static_cast<size_t>(std::min(repeat, static_cast<int>(ISWindow::kMaxText))), text[0]));
}

void WTListBox::OpenSearch(const std::string& text)
{
    search_ = new ISWindow(text.c_str(), *this);
    if (!search_->Open()) {
        search_->ForgetList();
        delete search_;
        search_ = nullptr;
        return;
    }
    SearchFor(text);
}

void WTListBox::SearchFor(const std::string& text)
{
    const std::string key = text.substr(0, ISWindow::kMaxText);
    const int found = FindString(key.c_str(), -1);
    if (found == LB_ERR) return;
    if (!IsMultipleSelection()) {
        SelectString(key.c_str(), -1);
        return;
    }
    if (!(listFlags_ & LIST_INDEX_MAP)) {
        SetSel(found, true);
        SendMessage(LB_SETCARETINDEX, static_cast<WPARAM>(found), FALSE);
    }
}

void WTListBox::SearchWindowGone(ISWindow* box)
{
    if (search_ == box) search_ = nullptr;
}

LRESULT WTListBox::EvCommand(UINT id, HWND control, UINT code)
{
    if (id == kSearchDoneCommand && !control) {
        if (search_) {
            ISWindow* box = search_;
            search_ = nullptr;
            box->ForgetList();
            delete box;
        }
        return 0;
    }
    return ListBox::EvCommand(id, control, code);
}

// Wheel ----------------------------------------------------------------------

bool WTListBox::EvMouseWheel(UINT modifiers, int delta, POINT)
{
    g_wheelAccumulator += delta;
    UINT lines = 3;
    if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
    if (lines == 0) {
        // Nothing scrolls: the sum must not grow without bound.
        g_wheelAccumulator = 0;
        return true;
    }
    const WheelSteps steps = WheelScrollSteps(g_wheelAccumulator, lines, std::max(GetCount(), 1));
    if (steps.count == 0) return true;
    g_wheelAccumulator = 0;
    const bool page = steps.page || (modifiers & MK_SHIFT);
    const WPARAM code = delta < 0 ? (page ? SB_PAGEDOWN : SB_LINEDOWN) : (page ? SB_PAGEUP : SB_LINEUP);
    for (int i = 0; i < steps.count; ++i) SendMessage(WM_VSCROLL, code);
    return true;
}

// Dragging -------------------------------------------------------------------

void WTListBox::EvLButtonDown(UINT modifiers, POINT point)
{
    if (listFlags_ & LIST_DRAG) {
        SetDragWindow(GetHandle());
        DragButtonDown(point);
    }
    ListBox::EvLButtonDown(modifiers, point);
}

void WTListBox::EvMouseMove(UINT modifiers, POINT point)
{
    if ((listFlags_ & LIST_DRAG) && DragMouseMove(modifiers, point)) return;
    ListBox::EvMouseMove(modifiers, point);
}

void WTListBox::EvLButtonUp(UINT modifiers, POINT point)
{
    if ((listFlags_ & LIST_DRAG) && DragButtonUp(point)) return;
    ListBox::EvLButtonUp(modifiers, point);
}

void WTListBox::MakeDragCursor(int index)
{
    RECT r = GetItemRect(index);
    const int w = std::min<int>(r.right - r.left, kDragCursorMaxWidth);
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    ClientDC screen(GetHandle());
    Bitmap picture(screen, w, h);
    Bitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
    {
        MemoryDC dc(screen);
        SelectObjectScope keep(dc, picture);
        BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        RECT frame{0, 0, w, h};
        FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SetPixel(dc, 1, 1, GetSysColor(0));
    }
    {
        MemoryDC dc(screen);
        SelectObjectScope keep(dc, mask);
        PatBlt(dc, 0, 0, w, h, BLACKNESS);
    }
    // The system copies both bitmaps into the cursor; ours go with this scope.
    SetDragCursor(BitmapCursor(picture, mask, 0, 0));
}

LRESULT WTListBox::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_CAPTURECHANGED) {
        DragCaptureLost();
        return DefaultProcessing();
    }
    if (msg == DragDropMessage() && msg != 0) {
        if (HWND parent = ::GetParent(GetHandle())) ::PostMessageA(parent, DragDropRelayMessage(), w, l);
        return 0;
    }
    return ListBox::WindowProc(msg, w, l);
}

// HListBox -------------------------------------------------------------------

HListBox::HListBox(Window* parent, int id, uintptr_t userData) : WTListBox(parent, id), userData_(userData)
{
    Attr.style |= WS_HSCROLL;
}

int HListBox::AddString(const char* text)
{
    const int at = WTListBox::AddString(text);
    if (at < 0 || !GetHandle()) return at;
    // Measured as the list shows it: the 1251 text as UTF-16.
    const std::wstring wide = Wide1251(text ? text : "");
    ClientDC dc(GetHandle());
    SelectObjectScope font(dc, GetFont());
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (size.cx > widest_) {
        widest_ = size.cx;
        SetHorizontalExtent(widest_ + 2);
    }
    return at;
}

void HListBox::ClearList()
{
    WTListBox::ClearList();
    widest_ = 0;
}

// ODListBox ------------------------------------------------------------------

ODListBox::ODListBox(Window* parent, int id, uint32_t listFlags, void* owner)
    : WTListBox(parent, id, listFlags), ODList(listFlags, *this), ownerEngine_(owner)
{
    SetEngine(static_cast<SIDialog*>(owner));
}

int ODListBox::AddString(const char* text)
{
    MeasureText(text ? text : "");
    return WTListBox::AddString(text);
}

int ODListBox::InsertString(const char* text, int n)
{
    MeasureText(text ? text : "");
    return WTListBox::InsertString(text, n);
}

void ODListBox::ClearList()
{
    WTListBox::ClearList();
    ClearWidths();
}

uint32_t ODListBox::Transfer(void* buffer, TransferDirection direction)
{
    const uint32_t size = WTListBox::Transfer(buffer, direction);
    if (buffer && direction == TransferDirection::SetData) SetHorizontalExtent(ODList::Extent());
    return size;
}

void ODListBox::SetupWindow()
{
    WTListBox::SetupWindow();
    MeasureFont();
    // The grid pen's line needs a pixel of its own under a header.
    if ((DrawFlags() & LIST_HAS_HEADER) && (DrawFlags() & LIST_GRID_PEN)) {
        const int height = static_cast<int>(SendMessage(LB_GETITEMHEIGHT, 0));
        if (height > 0) SendMessage(LB_SETITEMHEIGHT, 0, MAKELPARAM(height + 1, 0));
    }
}

bool ODListBox::EvEraseBkgnd(HDC dc)
{
    RECT client = GetClientRect();
    if (Background() != kNoColour) {
        Brush brush(Background());
        FillRect(dc, &client, brush);
        return true;
    }
    // Rows on the parent's background: the area below them too.
    if (DrawFlags() & LIST_PARENT_BACKGROUND) {
        FillParentBackground(GetHandle(), dc, client);
        return true;
    }
    return WTListBox::EvEraseBkgnd(dc);
}

void ODListBox::EvHScroll(UINT code, UINT position, HWND scrollBar)
{
    WTListBox::EvHScroll(code, position, scrollBar);
    if (Header()) Header()->FollowList();
}

void ODListBox::DrawItem(DRAWITEMSTRUCT& item)
{
    if (static_cast<int>(item.itemID) < 0) return;
    DrawRow(item, ListBox::GetString(static_cast<int>(item.itemID)));
}

HColumnHeader* ODListBox::Attach(HColumnHeader* header)
{
    if (!header->Create()) {
        delete header;
        return nullptr;
    }
    SetHeader(header);
    SetListFlags(ListFlags() | LIST_HAS_HEADER);
    return header;
}

HColumnHeader* ODListBox::AttachHeader(const char* titles)
{
    if (Header()) return Header();
    if (!GetHandle()) return nullptr;
    return Attach(new HColumnHeader(titles, *this));
}

HColumnHeader* ODListBox::AttachHeader(uint32_t titlesId)
{
    if (Header()) return Header();
    if (!GetHandle()) return nullptr;
    return Attach(new HColumnHeader(titlesId, *this));
}
