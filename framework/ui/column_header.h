// The column header of a list: its columns come from one text whose titles
// are separated by "^", each as wide as its title (the last one 2000
// pixels), with optional sort marks; the widths are saved to and restored
// from an INI stream. Embedded, it sits in a bed above the list
// (framework/ui/hdr_bedding_window.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/window/header_control.h"

class HdrBeddingWindow;
class INIStream;

// Told when the header's widths change or the header goes.
class ColumnHeaderFollower {
public:
    virtual ~ColumnHeaderFollower() = default;
    virtual void HeaderGone() = 0;
};

class HColumnHeader : public HeaderControl {
public:
    static constexpr int kLastColumnWidth = 2000;
    // Widths read from a file above this are not taken.
    static constexpr int kMaxColumnWidth = 0x7FFF;

    // Titles from a message id or a text, over `list` (embedded in a bed
    // unless `embed` is false: then the header is a child of the list's
    // parent at Attr's place).
    HColumnHeader(uint32_t titlesId, Window& list, bool embed = true);
    HColumnHeader(const char* titles, Window& list, bool embed = true);
    // A header control of a template (`id` on `parent`): the titles are its
    // window text.
    HColumnHeader(int id, Window* parent);
    ~HColumnHeader() override;

    bool Create();
    HdrBeddingWindow* Bed() const { return bed_.get(); }
    int Margin() const { return margin_; }
    void SetFollower(ColumnHeaderFollower* follower) { follower_ = follower; }

    // Width 0: the measured width.
    int AddColumn(int width, const char* title);
    bool DeleteColumn(int index);
    // The live width of the column, -1 when there is none.
    int GetColumnWidth(int index) const { return ColumnWidth(index); }
    bool SetColumnWidth(int width, int index);
    bool AddColumnFormat(int bits, int index);
    bool SetColumnTitle(const char* title, int index);
    std::string GetColumnTitle(int index) const { return ColumnTitle(index); }
    // Copies at most size - 1 characters and a NUL; the length copied.
    size_t GetColumnTitle(char* out, size_t size, int index) const;

    // Mode 0: down mark, 1: up mark, other modes no mark; modes 0-2 keep
    // the column among the sorted ones.
    void SetSortMark(int index, int mode);
    const std::vector<int>& SortedColumns() const { return sorted_; }
    // Margin + title extent (+ room for the mark of a sorted column).
    const std::vector<int>& MeasuredWidths() const { return measured_; }

    int ColumnsWidth(int count) const;
    int ColumnRight(int index) const;

    void SaveWidths(INIStream& ini, const char* section) const;
    void LoadWidths(INIStream& ini, const char* section);
    bool WidthsLoaded() const { return widthsLoaded_; }

    // The list scrolled sideways: the header follows.
    void FollowList();

private:
    HColumnHeader(Window* parent, Window* list, bool embed);
    int TitleExtent(const std::string& title, int* height = nullptr) const;
    void Measure();

    Window* list_;
    std::string titles_;
    std::vector<int> measured_;
    std::vector<int> sorted_;
    std::unique_ptr<HdrBeddingWindow> bed_;
    ColumnHeaderFollower* follower_ = nullptr;
    bool fromWindowText_ = false;
    bool widthsLoaded_ = false;
    bool embed_ = false;
    int margin_ = 12;
};
