// The framework's named tree node. A node is the container of its child
// nodes and has a name, an image, a user value and, while it is shown, a
// binding to one item of a tree-view window. Derived nodes decide whether a
// node may be dragged, where it may be dropped and whether its label may be
// edited.
//
// Promises:
// - A node's children belong to it: deleting a node deletes its subtree
//   (depth first), and a deleted node leaves its parent's child list, so a
//   parent never holds a dangling child.
// - `AcceptDrop` never moves a node under itself or one of its own
//   descendants: such a drop is refused whatever `CanAccept` says, so the
//   tree cannot detach into a cycle.
// - `FindByItem(nullptr)` is null: unshown nodes all have item 0 and are
//   never "found" by it.
// - State images: 1 unchecked, 2 checked, 3 required (checked and not to be
//   changed by the user), 0 none. `GetCheck` reports them as 0, 1 and 2, -1
//   for none, so a caller that asks "checked?" with `GetCheck() > 0` counts
//   a required node as checked.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/base/istr.h"
#include "framework/base/scontainer.h"

class DTreeWindow;
class INIStream;

enum : uint32_t {
    TREE_STATE_NONE = 0,
    TREE_STATE_UNCHECKED = 1,
    TREE_STATE_CHECKED = 2,
    TREE_STATE_REQUIRED = 3,
};

// The item state bits a view's states are kept by.
constexpr UINT kTreeKeptStates = TVIS_EXPANDED | TVIS_SELECTED;
// The custom event raised after a node was dropped onto another.
constexpr uint32_t kTreeDropEvent = 14088;

struct TreeScrollRecord {
    int32_t horizontal = 0;
    int32_t vertical = 0;
};

class TreeContainer : public PSContainer<TreeContainer>, public Istr {
public:
    // Visitor results: stop the walk, visit the children, skip them.
    enum : int { VISIT_STOP = 0, VISIT_CHILDREN = 1, VISIT_SKIP_CHILDREN = 2 };
    using Visitor = int (*)(TreeContainer* node, void* argument);

    // Appended to `parent`'s children for index -1, else inserted at index.
    TreeContainer(int32_t index, uint32_t value, int32_t image, const char* name, TreeContainer* parent);
    ~TreeContainer() override;
    TreeContainer(const TreeContainer&) = delete;
    TreeContainer& operator=(const TreeContainer&) = delete;

    // Node interface.
    virtual UINT GetItemState() const;
    virtual void Expand(UINT code);
    virtual void Select(UINT code);
    // Shows the node in `view` under `parentItem`, after `after`.
    virtual void InsertInView(DTreeWindow& view, HTREEITEM parentItem, HTREEITEM after);
    virtual bool CanDrag() const { return false; }
    virtual bool CanAccept(const TreeContainer*) const { return false; }
    virtual void AcceptDrop(TreeContainer* node);
    virtual void Notify(uint32_t) {}
    virtual uint32_t Query() { return 0; }
    virtual void SetName(const char* text) { Rename(text); }
    // Appends copies of this node's children (names, values, images) to
    // `other`, recursively.
    virtual void CopyTreeTo(TreeContainer& other) const;
    // Merges the source's states (MergeStates); with flags bit 0 and this
    // tree shown, the source's scroll positions follow: from its scroll
    // record when it keeps one, else from its view when it is shown.
    virtual void ApplyStatesFrom(uint32_t flags, TreeContainer& source);
    virtual int32_t IndexQuery1() { return -1; }
    virtual int32_t IndexQuery2() { return -1; }
    virtual void GetName(std::string& out) const { out = Text() ? Text() : ""; }
    virtual TreeScrollRecord* GetScrollRecord() { return nullptr; }
    // Whether the user may edit the label (the tree's label editing asks).
    virtual bool CanEditLabel() const { return false; }
    // Whether the node shows as required (state image 3) while its parent is
    // checked or it is top-level; the view's state rule asks.
    virtual bool IsRequired() const { return false; }

    TreeContainer* Parent() const { return parent_; }
    const char* Name() const { return Text() ? Text() : ""; }
    uint32_t Value() const { return value_; }
    void SetValue(uint32_t value) { value_ = value; }
    int32_t Image() const { return image_; }
    int32_t SelectedImage() const { return selectedImage_; }
    void SetImages(int32_t image, int32_t selectedImage)
    {
        image_ = image;
        selectedImage_ = selectedImage;
    }
    HTREEITEM Item() const { return item_; }
    DTreeWindow* View() const { return view_; }
    // The view that shows this node or, for a root (never an item of its
    // own), the view that shows its top-level nodes; null when not shown.
    DTreeWindow* ShownView() const;
    // The item state the node had when its view last let it go (Unbind):
    // how a dialog reads the expanded state back after it closed.
    UINT LastItemState() const { return lastState_; }

    bool IsTopLevel() const { return !parent_ || !parent_->parent_; }
    uint32_t Depth() const;
    int32_t IndexInParent() const;
    void MoveBy(int32_t delta);
    TreeContainer* FindByItem(HTREEITEM item);
    TreeContainer* FindChild(const char* name) const;
    bool IsInSubtree(const TreeContainer* node) const;
    bool Visit(void* argument, Visitor visitor);
    bool Visit(const std::function<int(TreeContainer&)>& visitor);
    void ForEach(const std::function<void(TreeContainer&)>& operation);
    // Forgets the view binding of this node and its descendants, keeping
    // each one's last item state.
    void Unbind();

    int GetCheck() const;
    void SetCheck(bool checked);
    // Shows state image `image` (TREE_STATE_*); 0 removes the state image.
    void SetStateImage(uint32_t image);
    uint32_t StateImage() const { return (GetItemState() & TVIS_STATEIMAGEMASK) >> 12; }
    RECT GetItemRect(bool textOnly) const;
    bool IsVisible() const;
    void EnsureVisible() const;
    void EditLabel() const;
    void Rename(const char* text);
    // Binds the node to a shown item (InsertInView; tests of views use it).
    void Bind(DTreeWindow* view, HTREEITEM item)
    {
        view_ = view;
        item_ = item;
    }

    // Expanded and selected states of the children below the current
    // section of `ini` (nested sections named after the children).
    void SaveStates(INIStream& ini) const;
    void LoadStates(INIStream& ini);
    // Expanded (and, unless flags bit 1, selected) states of the same-named
    // children of `source`, recursively.
    void MergeStates(const TreeContainer& source, uint32_t flags);

private:
    TreeContainer* parent_ = nullptr;
    HTREEITEM item_ = nullptr;
    DTreeWindow* view_ = nullptr;
    int32_t image_;
    int32_t selectedImage_;
    uint32_t value_;
    UINT lastState_ = 0;
};

// The root named "State" that keeps a view's node states and its scroll
// position in an INI stream.
class StateTreeContainer : public TreeContainer {
public:
    StateTreeContainer() : TreeContainer(-1, 0, 0, "State", nullptr) {}
    TreeScrollRecord* GetScrollRecord() override { return &scroll_; }
    // "TreeVPos", "TreeHPos", then the node states.
    void Save(INIStream& ini);
    void Load(INIStream& ini);

private:
    TreeScrollRecord scroll_;
};
