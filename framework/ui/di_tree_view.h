// The dialog item of a tree view (kind 5): shows a node tree with its image
// list and, when asked, state images (unchecked, checked, required), keeps
// the nodes bound to their items while the control lives, and answers the
// item engine's tree notifications (label editing, dragging, colours).
//
// Images: a node's (image, selected image) pair names a bitmap resource of
// the dialog's module (or a bitmap handle, a value above 0xFFFF) and its mask
// (a resource, a handle, or -1 for none: a mask is then made). Node image ids
// are chosen so that id + 10000 is not also a Russian twin of a bitmap.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "framework/ui/dlg_item.h"
#include "framework/ui/tree_container.h"
#include "framework/window/image_list.h"

class DTreeWindow;

class DITreeView : public DlgItemDescr {
public:
    // `root` is not shown; its children are the top-level items.
    DITreeView(TreeContainer* root, uint32_t id, bool stateImages = false);
    ~DITreeView() override;

    void CreateControl() override;
    void SetData() override;
    bool GetData() override { return true; }

    TreeContainer* Root() const { return root_; }
    DTreeWindow* View() const;
    // Rebuilds the items from the tree (node states are not kept).
    void Rebuild();
    // Rebuilds keeping the expanded and selected states.
    void Refresh();
    TreeContainer* GetSelectedNode() const;
    // Deletes the selected item and selects its next sibling, else the
    // previous one, else its parent. With `removeNode` its node is deleted
    // too (it leaves its parent's children and its subtree goes with it).
    void DeleteSelected(bool removeNode);
    // A selected image of 0 means image + 10000.
    void SetNodeImage(TreeContainer& node, int32_t selectedImage, int32_t image);
    // The node under the mouse cursor and the hit-test flags.
    TreeContainer* NodeAtCursor(UINT* flags) const;

    // The image-pair list.
    int FindImagePair(int32_t image, int32_t mask) const;
    int ImageIndex(int pair) const;
    size_t ImagePairCount() const { return pairs_.size(); }

    // A click on a node's state image: unchecked and checked swap, required
    // stays; then the required rule runs over the tree.
    void ToggleState(TreeContainer& node);
    // Every node that answers IsRequired shows required while its parent is
    // checked or it is top-level; a node that no longer is shows checked.
    void ApplyRequiredRule();
    // Called with the newly selected node (null when none).
    void SetSelectionHandler(std::function<void(TreeContainer*)> handler) { onSelect_ = std::move(handler); }
    void SelectionChanged(TreeContainer* node);
    // The item's own custom drawing: -1 lets the item engine colour it.
    virtual LRESULT CustomDraw(NMTVCUSTOMDRAW&) { return -1; }
    // The view is going: the nodes keep their last states and are unbound.
    void ViewDestroyed();
    bool Rebuilding() const { return rebuilding_; }

private:
    void CollectPairs();
    void BuildImageList();
    void BuildStateImages();
    void InsertChildren(TreeContainer& node, HTREEITEM parentItem);

    TreeContainer* root_;
    std::vector<std::pair<intptr_t, intptr_t>> pairs_;
    std::vector<int> indices_;
    ImageList images_;
    ImageList stateImages_;
    bool wantStateImages_;
    bool windowColour_ = true;
    bool rebuilding_ = false;
    std::function<void(TreeContainer*)> onSelect_;
};

DITreeView* NewDITreeView(TreeContainer* root, uint32_t id, bool stateImages = false);

class SIDialog;

// The item engine's tree notifications for `tree` (label editing, dragging):
// the answer the dialog returns.
LRESULT TreeItemNotify(SIDialog& engine, DITreeView& tree, NMHDR& header);
// The tree's NM_CUSTOMDRAW colours: the item's own answer first, then
// highlight colours for a selected node, the tree's or the system's for the
// others.
LRESULT TreeItemCustomDraw(DITreeView& tree, NMTVCUSTOMDRAW& draw);
