#include "framework/ui/tree_container.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/config/ini_item.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/d_tree_window.h"
#include "framework/ui/di_tree_view.h"
#include "framework/ui/ev_handler.h"

namespace {

uintptr_t PointerWord(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// Section names keep "[" and "]" as the bytes 0x10 and 0x11, which a
// section header line can carry.
std::string SectionName(const char* name)
{
    std::string s = name ? name : "";
    for (char& c : s) {
        if (c == '[') c = '\x10';
        else if (c == ']') c = '\x11';
    }
    return s;
}

std::string NodeName(const std::string& section)
{
    std::string s = section;
    for (char& c : s) {
        if (c == '\x10') c = '[';
        else if (c == '\x11') c = ']';
    }
    return s;
}

bool AnyKeptState(const TreeContainer& node)
{
    for (uint32_t i = 0; i < node.Count(); ++i) {
        const TreeContainer* child = node[i];
        if ((child->GetItemState() & kTreeKeptStates) || AnyKeptState(*child)) return true;
    }
    return false;
}

}  // namespace

TreeContainer::TreeContainer(int32_t index, uint32_t value, int32_t image, const char* name, TreeContainer* parent)
    : PSContainer<TreeContainer>(SC_NOT_OWNING, 8), Istr(name ? name : ""), image_(image),
      selectedImage_(image + 10000), value_(value)
{
    if (!parent) return;
    parent_ = parent;
    if (index < 0 || static_cast<uint32_t>(index) >= parent->Count()) parent->Add(this);
    else parent->Insert(static_cast<uint32_t>(index), this);
}

TreeContainer::~TreeContainer()
{
    // Each child leaves this list in its own destructor.
    while (Count() > 0) {
        TreeContainer* child = Last();
        child->parent_ = this;
        delete child;
    }
    // A shown node takes its item along, so the view keeps no item whose
    // data names a deleted node.
    if (item_ && view_ && view_->GetHandle()) view_->DeleteItem(item_);
    if (parent_) {
        int index = parent_->IndexOf(this);
        if (index >= 0) parent_->Detach(static_cast<uint32_t>(index));
    }
}

UINT TreeContainer::GetItemState() const
{
    if (!item_ || !view_) return 0;
    return view_->GetItemState(item_, 0xFFFFFFFFu);
}

void TreeContainer::Expand(UINT code)
{
    if (item_ && view_) view_->Expand(item_, code);
}

void TreeContainer::Select(UINT code)
{
    if (item_ && view_) view_->SelectItem(item_, code);
}

void TreeContainer::InsertInView(DTreeWindow& view, HTREEITEM parentItem, HTREEITEM after)
{
    const int pair = view.Owner() ? view.Owner()->FindImagePair(image_, selectedImage_) : -1;
    // No image is I_IMAGENONE: -1 would be I_IMAGECALLBACK, and the view
    // would ask the dialog for the image.
    const int index = pair >= 0 ? view.Owner()->ImageIndex(pair) : -1;
    const int shown = index >= 0 ? index : I_IMAGENONE;
    HTREEITEM item = view.InsertItem(parentItem, after, Name(), shown, shown, reinterpret_cast<LPARAM>(this));
    if (!item) return;
    item_ = item;
    view_ = &view;
}

void TreeContainer::AcceptDrop(TreeContainer* node)
{
    // A node under itself or under one of its own descendants would cut its
    // subtree off the tree into a cycle.
    if (!node || node == this || node->IsInSubtree(this)) return;
    if (node->parent_) {
        int index = node->parent_->IndexOf(node);
        if (index >= 0) node->parent_->Detach(static_cast<uint32_t>(index));
    }
    node->parent_ = this;
    Add(node);
    DTreeWindow* view = view_ ? view_ : node->view_;
    if (view && view->Owner()) view->Owner()->Rebuild();
    PEvHandlerDispatcher::OnCustomEvent(kTreeDropEvent, PointerWord(this), PointerWord(node));
    node->Select(TVGN_CARET);
}

void TreeContainer::CopyTreeTo(TreeContainer& other) const
{
    for (uint32_t i = 0; i < Count(); ++i) {
        const TreeContainer* child = (*this)[i];
        auto* copy = new TreeContainer(-1, child->value_, child->image_, child->Name(), &other);
        copy->selectedImage_ = child->selectedImage_;
        child->CopyTreeTo(*copy);
    }
}

void TreeContainer::ApplyStatesFrom(uint32_t flags, TreeContainer& source)
{
    MergeStates(source, flags);
    DTreeWindow* view = ShownView();
    if (!(flags & 1) || !view) return;
    TreeScrollRecord scroll{};
    if (TreeScrollRecord* kept = source.GetScrollRecord()) scroll = *kept;
    else if (DTreeWindow* other = source.ShownView())
        scroll = {GetScrollPos(other->GetHandle(), SB_HORZ), GetScrollPos(other->GetHandle(), SB_VERT)};
    else return;
    view->ScrollTo(scroll);
}

DTreeWindow* TreeContainer::ShownView() const
{
    if (view_) return view_;
    for (uint32_t i = 0; i < Count(); ++i)
        if ((*this)[i]->view_) return (*this)[i]->view_;
    return nullptr;
}

uint32_t TreeContainer::Depth() const
{
    uint32_t depth = 0;
    for (const TreeContainer* n = this; !n->IsTopLevel(); n = n->parent_) ++depth;
    return depth;
}

int32_t TreeContainer::IndexInParent() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TreeContainer::MoveBy(int32_t delta)
{
    const int32_t index = IndexInParent();
    if (index < 0) return;
    const int64_t target = static_cast<int64_t>(index) + delta;
    if (target < 0 || target >= static_cast<int64_t>(parent_->Count())) return;
    parent_->Move(static_cast<uint32_t>(index), delta);
}

TreeContainer* TreeContainer::FindByItem(HTREEITEM item)
{
    if (!item) return nullptr;
    if (item_ == item) return this;
    for (uint32_t i = 0; i < Count(); ++i)
        if (TreeContainer* found = (*this)[i]->FindByItem(item)) return found;
    return nullptr;
}

TreeContainer* TreeContainer::FindChild(const char* name) const
{
    // Duplicate names: the first child of the name answers.
    for (uint32_t i = 0; i < Count(); ++i)
        if (std::strcmp((*this)[i]->Name(), name ? name : "") == 0) return (*this)[i];
    return nullptr;
}

bool TreeContainer::IsInSubtree(const TreeContainer* node) const
{
    for (const TreeContainer* n = node; n; n = n->parent_)
        if (n == this) return true;
    return false;
}

bool TreeContainer::Visit(void* argument, Visitor visitor)
{
    return Visit([&](TreeContainer& node) { return visitor(&node, argument); });
}

bool TreeContainer::Visit(const std::function<int(TreeContainer&)>& visitor)
{
    const int answer = visitor(*this);
    if (answer == VISIT_STOP) return false;
    if (answer == VISIT_SKIP_CHILDREN) return true;
    for (uint32_t i = 0; i < Count(); ++i)
        if (!(*this)[i]->Visit(visitor)) return false;
    return true;
}

void TreeContainer::ForEach(const std::function<void(TreeContainer&)>& operation)
{
    Visit([&](TreeContainer& node) {
        operation(node);
        return VISIT_CHILDREN;
    });
}

void TreeContainer::Unbind()
{
    ForEach([](TreeContainer& node) {
        if (node.item_ && node.view_) node.lastState_ = node.GetItemState();
        node.item_ = nullptr;
        node.view_ = nullptr;
    });
}

int TreeContainer::GetCheck() const
{
    if (!item_ || !view_) return 0;
    return static_cast<int>((GetItemState() & TVIS_STATEIMAGEMASK) / 0x1000) - 1;
}

void TreeContainer::SetCheck(bool checked)
{
    // A required node stays checked.
    if (StateImage() == TREE_STATE_REQUIRED) return;
    SetStateImage(checked ? TREE_STATE_CHECKED : TREE_STATE_UNCHECKED);
}

void TreeContainer::SetStateImage(uint32_t image)
{
    if (item_ && view_) view_->SetItemState(item_, INDEXTOSTATEIMAGEMASK(image), TVIS_STATEIMAGEMASK);
}

RECT TreeContainer::GetItemRect(bool textOnly) const
{
    if (!item_ || !view_) return RECT{};
    return view_->GetItemRect(item_, textOnly);
}

bool TreeContainer::IsVisible() const
{
    if (!item_ || !view_) return false;
    RECT item = GetItemRect(false), client = view_->GetClientRect(), common{};
    return IntersectRect(&common, &item, &client) != 0;
}

void TreeContainer::EnsureVisible() const
{
    if (item_ && view_) view_->EnsureVisible(item_);
}

void TreeContainer::EditLabel() const
{
    if (item_ && view_) view_->EditLabel(item_);
}

void TreeContainer::Rename(const char* text)
{
    if (!text) text = "";
    if (std::strcmp(Name(), text) == 0) return;
    Set(text);
    if (item_ && view_) view_->SetItemText(item_, text);
}

void TreeContainer::SaveStates(INIStream& ini) const
{
    for (uint32_t i = 0; i < Count(); ++i) {
        const TreeContainer* child = (*this)[i];
        const std::string section = SectionName(child->Name());
        const UINT kept = child->GetItemState() & kTreeKeptStates;
        if (kept) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%X", kept);
            ini.SelectSection(section.c_str());
            ini.SetValue(text, "State");
        }
        // A collapsed child may still hold expanded descendants: their
        // section is made only when one of them has a state to keep.
        if (!AnyKeptState(*child)) continue;
        if (INIStream* below = ini.GetSubStream(true, section.c_str())) child->SaveStates(*below);
    }
}

void TreeContainer::LoadStates(INIStream& ini)
{
    std::vector<std::string> names;
    for (const auto& section : ini.Sections()) names.push_back(section->Name());
    for (const std::string& section : names) {
        TreeContainer* child = FindChild(NodeName(section).c_str());
        if (!child) continue;
        ini.SetSection(section.c_str());
        const char* value = ini.FindValue("State");
        const unsigned long state = value ? std::strtoul(value, nullptr, 0) : 0;
        if (state & TVIS_EXPANDED) child->Expand(TVE_EXPAND);
        if (state & TVIS_SELECTED) child->Select(TVGN_CARET);
        SectionItem* item = ini.FindSection(section.c_str());
        if (item && item->Nested()) child->LoadStates(*item->Nested());
    }
}

void TreeContainer::MergeStates(const TreeContainer& source, uint32_t flags)
{
    for (uint32_t i = 0; i < Count(); ++i) {
        TreeContainer* child = (*this)[i];
        const TreeContainer* other = source.FindChild(child->Name());
        if (!other) continue;
        const UINT state = other->item_ ? other->GetItemState() : other->lastState_;
        child->Expand((state & TVIS_EXPANDED) ? TVE_EXPAND : TVE_COLLAPSE);
        if (!(flags & 2) && (state & TVIS_SELECTED)) child->Select(TVGN_CARET);
        child->MergeStates(*other, flags);
    }
}

void StateTreeContainer::Save(INIStream& ini)
{
    if (DTreeWindow* view = ShownView())
        scroll_ = {GetScrollPos(view->GetHandle(), SB_HORZ), GetScrollPos(view->GetHandle(), SB_VERT)};
    char text[16];
    std::snprintf(text, sizeof text, "%d", scroll_.vertical);
    ini.SetValue(text, "TreeVPos");
    std::snprintf(text, sizeof text, "%d", scroll_.horizontal);
    ini.SetValue(text, "TreeHPos");
    SaveStates(ini);
}

void StateTreeContainer::Load(INIStream& ini)
{
    const std::string section = ini.CurrentSectionName();
    LoadStates(ini);
    ini.SetSection(section.c_str());
    const char* h = ini.FindValue("TreeHPos");
    const char* v = ini.FindValue("TreeVPos");
    scroll_.horizontal = h ? static_cast<int32_t>(std::strtol(h, nullptr, 0)) : 0;
    scroll_.vertical = v ? static_cast<int32_t>(std::strtol(v, nullptr, 0)) : 0;
    if (DTreeWindow* view = ShownView()) view->ScrollTo(scroll_);
}
