#include "framework/ui/column_header.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/config/ini_stream.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/hdr_bedding_window.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/module_fonts.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/window_text.h"

namespace {

constexpr size_t kTitleMax = 512;

std::vector<std::string> SplitTitles(const std::string& titles)
{
    std::vector<std::string> result;
    size_t start = 0;
    for (;;) {
        const size_t end = titles.find('^', start);
        result.push_back(titles.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return result;
}

std::string ColumnKey(int index)
{
    char key[16];
    snprintf(key, sizeof key, "F%u", static_cast<unsigned>(index));
    return key;
}

}  // namespace

HColumnHeader::HColumnHeader(Window* parent, Window* list, bool embed) : HeaderControl(parent, 0), list_(list), embed_(embed)
{
    Attr.style = WS_CHILD | WS_VISIBLE | HDS_HORZ | HDS_BUTTONS | HDS_FULLDRAG;
}

HColumnHeader::HColumnHeader(uint32_t titlesId, Window& list, bool embed)
    : HColumnHeader(list.Parent(), &list, embed)
{
    titles_ = GetMLResString(titlesId);
}

HColumnHeader::HColumnHeader(const char* titles, Window& list, bool embed) : HColumnHeader(list.Parent(), &list, embed)
{
    titles_ = GetMLText(titles ? titles : "");
}

HColumnHeader::HColumnHeader(int id, Window* parent) : HColumnHeader(parent, nullptr, false)
{
    Attr.id = id;
    fromWindowText_ = true;
}

HColumnHeader::~HColumnHeader()
{
    if (follower_) follower_->HeaderGone();
    bed_.reset();
}

int HColumnHeader::TitleExtent(const std::string& title, int* height) const
{
    if (!GetHandle()) return 0;
    ClientDC dc(GetHandle());
    SelectObjectScope font(dc, GetFont());
    const std::wstring wide = Wide1251(title.substr(0, kTitleMax).c_str());
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (height) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        *height = tm.tmHeight;
    }
    return size.cx;
}

bool HColumnHeader::Create()
{
    if (GetHandle()) return true;
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    if (fromWindowText_) {
        if (!AttachById()) return false;
    } else {
        if (embed_ && list_) {
            bed_ = std::make_unique<HdrBeddingWindow>(*list_, *this);
            if (!bed_->Embed()) {
                bed_.reset();
                return false;
            }
        }
        if (!HeaderControl::Create()) {
            bed_.reset();
            return false;
        }
        if (bed_) ::SetParent(GetHandle(), bed_->GetHandle());
        SetFont(ModuleFont(ModuleFontId::Tahoma), false);
    }
    // A header is framed only while themes are drawn, as in the dialogs.
    ModifyExStyle(ThemesActive() ? 0 : WS_EX_STATICEDGE, ThemesActive() ? WS_EX_STATICEDGE : 0, true);
    if (fromWindowText_ && titles_.empty()) titles_ = GetWindowText();
    {
        ClientDC dc(GetHandle());
        SelectObjectScope font(dc, GetFont());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        margin_ = (LOWORD(GetDialogBaseUnits()) + tm.tmAveCharWidth) * 3;
    }
    const std::vector<std::string> titles = SplitTitles(titles_);
    for (size_t i = 0; i < titles.size(); ++i) {
        const bool last = i + 1 == titles.size();
        InsertColumn(static_cast<int>(i), last ? kLastColumnWidth : TitleExtent(titles[i]) + 1, titles[i].c_str());
    }
    if (bed_) bed_->Layout();
    Measure();
    return true;
}

void HColumnHeader::Measure()
{
    measured_.clear();
    for (int i = 0; i < Count(); ++i) {
        int height = 0;
        int width = margin_ + TitleExtent(ColumnTitle(i), &height);
        if (std::find(sorted_.begin(), sorted_.end(), i) != sorted_.end()) width += 2 * height;
        measured_.push_back(width);
    }
}

int HColumnHeader::AddColumn(int width, const char* title)
{
    const std::string text = title ? title : "";
    const int at = InsertColumn(Count(), width ? width : margin_ + TitleExtent(text), text.c_str());
    Measure();
    return at;
}

bool HColumnHeader::DeleteColumn(int index)
{
    const bool done = HeaderControl::DeleteColumn(index);
    if (done) {
        sorted_.erase(std::remove(sorted_.begin(), sorted_.end(), index), sorted_.end());
        for (int& column : sorted_)
            if (column > index) --column;
        Measure();
    }
    return done;
}

bool HColumnHeader::SetColumnWidth(int width, int index) { return HeaderControl::SetColumnWidth(index, width); }

bool HColumnHeader::AddColumnFormat(int bits, int index)
{
    return SetColumnFormat(index, ColumnFormat(index) | bits);
}

bool HColumnHeader::SetColumnTitle(const char* title, int index)
{
    const bool done = HeaderControl::SetColumnTitle(index, title);
    if (done) Measure();
    return done;
}

size_t HColumnHeader::GetColumnTitle(char* out, size_t size, int index) const
{
    if (!out || !size) return 0;
    const std::string title = ColumnTitle(index);
    const size_t n = std::min(title.size(), size - 1);
    memcpy(out, title.data(), n);
    out[n] = 0;
    return n;
}

void HColumnHeader::SetSortMark(int index, int mode)
{
    if (index < 0 || index >= Count()) return;
    int format = ColumnFormat(index) & ~(HDF_SORTDOWN | HDF_SORTUP);
    if (mode == 0) format |= HDF_SORTDOWN;
    if (mode == 1) format |= HDF_SORTUP;
    SetColumnFormat(index, format);
    // A column stays among the sorted ones (its width keeps the room for
    // the mark) once it has had one.
    if (mode >= 0 && mode <= 2 && std::find(sorted_.begin(), sorted_.end(), index) == sorted_.end())
        sorted_.push_back(index);
    Measure();
}

int HColumnHeader::ColumnsWidth(int count) const
{
    int sum = 0;
    for (int i = 0; i < count && i < Count(); ++i) sum += std::max(ColumnWidth(i), 0);
    return sum;
}

int HColumnHeader::ColumnRight(int index) const { return ColumnsWidth(index + 1); }

void HColumnHeader::SaveWidths(INIStream& ini, const char* section) const
{
    ini.SelectSection(section);
    for (int i = 0; i < Count(); ++i) ini.SetValue(std::to_string(ColumnWidth(i)).c_str(), ColumnKey(i).c_str());
}

void HColumnHeader::LoadWidths(INIStream& ini, const char* section)
{
    widthsLoaded_ = true;
    if (!IsWindowEnabled() || !ini.FindSection(section)) return;
    ini.SetSection(section);
    for (int i = 0; i < Count(); ++i) {
        const char* value = ini.FindValue(ColumnKey(i).c_str());
        if (!value) continue;
        // A negative, huge or malformed width from the file keeps the
        // column as it is.
        char* end = nullptr;
        const long width = strtol(value, &end, 10);
        if (end == value || *end || width < 0 || width > kMaxColumnWidth) continue;
        HeaderControl::SetColumnWidth(i, static_cast<int>(width));
    }
}

void HColumnHeader::FollowList()
{
    if (bed_) bed_->Layout();
}
