// The tree-view window of a tree item: it shows a node tree for its
// `DITreeView`, toggles state images on a click, reports the selection, and
// lets the user drag nodes onto other nodes of the framework's tree views in
// this process. With accept-files on, the files dropped on it from the
// shell reach its parent as WM_FW_DROP_RELAY, whose receiver owns the drop
// handle (DragFinish).
#pragma once

#include "framework/ui/tree_container.h"
#include "framework/window/image_list.h"
#include "framework/window/tree_view.h"

class DITreeView;

class DTreeWindow : public TreeView {
public:
    DTreeWindow(Window* parent, int id, DITreeView* owner) : TreeView(parent, id), owner_(owner) {}
    ~DTreeWindow() override;

    DITreeView* Owner() const { return owner_; }
    // The node shown by `item`, or null.
    TreeContainer* NodeOfItem(HTREEITEM item) const;
    // Scrolls to the record's positions: vertical first, then horizontal.
    void ScrollTo(const TreeScrollRecord& scroll);
    bool Dragging() const { return dragging_; }
    TreeContainer* DraggedNode() const { return dragged_; }
    // Whether the window takes files dropped from the shell; set before or
    // after its set-up.
    void SetAcceptFiles(bool accept);
    bool AcceptsFiles() const { return acceptFiles_; }

    // Starts dragging the node of the notification's item when it may be
    // dragged (TVN_BEGINDRAG from the dialog's item engine).
    void BeginDrag(const NMTREEVIEWW& info);
    // Ends a drag; with `drop` the target under `screen` takes the node.
    void EndDrag(POINT screen, bool drop);

    void SetupWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    bool EvNotifyFromParent(NMHDR& header, LRESULT& result) override;
    void EvMouseMove(UINT modifiers, POINT point) override;
    void EvLButtonUp(UINT modifiers, POINT point) override;
    void EvRButtonDown(UINT modifiers, POINT point) override;

private:
    // The node of the framework's tree view under `screen` that accepts the
    // dragged node, or null (also for windows of other processes).
    TreeContainer* DropTargetAt(POINT screen, DTreeWindow** view) const;
    void ShowCursorOnly(bool shown);

    DITreeView* owner_;
    TreeContainer* dragged_ = nullptr;
    DTreeWindow* highlighted_ = nullptr;
    ImageList dragImage_;
    HCURSOR savedCursor_ = nullptr;
    bool dragging_ = false;
    bool cursorHidden_ = false;
    bool acceptFiles_ = false;
};
