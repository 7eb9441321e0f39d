#include "framework/ui/d_tree_window.h"

#include <shellapi.h>

#include "framework/ui/di_tree_view.h"
#include "framework/window/drop_messages.h"

namespace {

// Hit-test flags of a right click that selects the item first: its icon,
// label, indent or state icon.
constexpr UINT kRightClickSelects = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMINDENT | TVHT_ONITEMSTATEICON;

// The framework's tree-view window at a window handle, in this process only:
// a window of another process is never sent a message, and its window
// property would name an object of that process.
DTreeWindow* FrameworkTreeAt(HWND window)
{
    if (!window) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, "SysTreeView32") != 0) return nullptr;
    return dynamic_cast<DTreeWindow*>(Window::FromHandle(window));
}

}  // namespace

DTreeWindow::~DTreeWindow()
{
    if (dragging_) EndDrag(POINT{}, false);
}

TreeContainer* DTreeWindow::NodeOfItem(HTREEITEM item) const
{
    if (!item) return nullptr;
    return reinterpret_cast<TreeContainer*>(GetItemData(item));
}

void DTreeWindow::ScrollTo(const TreeScrollRecord& scroll)
{
    SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll.vertical), 0);
    SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll.horizontal), 0);
}

void DTreeWindow::SetupWindow()
{
    SendMessage(CCM_SETVERSION, 5, 0);
    DragAcceptFiles(GetHandle(), acceptFiles_);
}

void DTreeWindow::SetAcceptFiles(bool accept)
{
    acceptFiles_ = accept;
    if (GetHandle()) DragAcceptFiles(GetHandle(), accept);
}

LRESULT DTreeWindow::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_DESTROY) {
        // The items still exist here: the nodes keep their last states.
        if (dragging_) EndDrag(POINT{}, false);
        if (owner_) owner_->ViewDestroyed();
    } else if (msg == WM_DROPFILES) {
        // The parent decides what the files mean and finishes the drop;
        // without one the drop is finished here so its memory goes.
        HWND parent = ::GetParent(GetHandle());
        if (!parent || !PostMessageW(parent, WM_FW_DROP_RELAY, w, l)) DragFinish(reinterpret_cast<HDROP>(w));
        return 0;
    } else if (msg == WM_CAPTURECHANGED && dragging_ && reinterpret_cast<HWND>(l) != GetHandle()) {
        EndDrag(POINT{}, false);
    }
    return TreeView::WindowProc(msg, w, l);
}

bool DTreeWindow::EvNotifyFromParent(NMHDR& header, LRESULT&)
{
    switch (header.code) {
    case NM_CLICK: {
        if (!owner_) return false;
        UINT flags = 0;
        TreeContainer* node = owner_->NodeAtCursor(&flags);
        if (node && (flags & TVHT_ONITEMSTATEICON)) owner_->ToggleState(*node);
        return false;  // the dialog's click handling follows
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
        auto& info = reinterpret_cast<NMTREEVIEWW&>(header);
        if (owner_) owner_->SelectionChanged(NodeOfItem(info.itemNew.hItem));
        return false;
    }
    default: return false;
    }
}

void DTreeWindow::BeginDrag(const NMTREEVIEWW& info)
{
    TreeContainer* node = NodeOfItem(info.itemNew.hItem);
    if (dragging_ || !node || !node->CanDrag()) return;
    HTREEITEM item = node->Item();
    if (GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) {
        SendMessage(WM_SETREDRAW, FALSE);
        Expand(item, TVE_COLLAPSE);
        SelectItem(item, TVGN_CARET);
        SendMessage(WM_SETREDRAW, TRUE);
    }
    dragImage_ = ImageList(CreateDragImage(item));
    RECT r = GetItemRect(item, true);
    const int indent = static_cast<int>(GetIndent()) * static_cast<int>(node->Depth());
    const POINT at = info.ptDrag;
    if (dragImage_) {
        ImageList_BeginDrag(dragImage_.Get(), 0, at.x - r.left + indent, at.y - r.top);
        RECT window = GetWindowRect();
        POINT screen = at;
        ClientToScreen(GetHandle(), &screen);
        ImageList_DragEnter(GetHandle(), screen.x - window.left, screen.y - window.top);
    }
    SetCapture();
    savedCursor_ = SetCursor(LoadCursor(nullptr, IDC_NO));
    dragged_ = node;
    dragging_ = true;
}

TreeContainer* DTreeWindow::DropTargetAt(POINT screen, DTreeWindow** view) const
{
    *view = FrameworkTreeAt(WindowFromPoint(screen));
    if (!*view || !dragged_) return nullptr;
    POINT client = screen;
    ScreenToClient((*view)->GetHandle(), &client);
    UINT flags = 0;
    TreeContainer* target = (*view)->NodeOfItem((*view)->HitTest(client, &flags));
    // Never the node itself, its parent, or one of its own descendants.
    if (!target || target == dragged_->Parent() || dragged_->IsInSubtree(target)) return nullptr;
    return target->CanAccept(dragged_) ? target : nullptr;
}

void DTreeWindow::ShowCursorOnly(bool shown)
{
    if (cursorHidden_ == !shown) return;
    // The show count is driven to exactly shown (0) or hidden (-1).
    if (shown) {
        while (ShowCursor(TRUE) < 0) {}
    } else {
        while (ShowCursor(FALSE) >= 0) {}
    }
    cursorHidden_ = !shown;
}

void DTreeWindow::EvMouseMove(UINT modifiers, POINT point)
{
    if (!dragging_) {
        TreeView::EvMouseMove(modifiers, point);
        return;
    }
    POINT screen = point;
    ClientToScreen(GetHandle(), &screen);
    RECT window = GetWindowRect();
    if (dragImage_) ImageList_DragMove(screen.x - window.left, screen.y - window.top);
    DTreeWindow* view = nullptr;
    TreeContainer* target = DropTargetAt(screen, &view);
    if (dragImage_) ImageList_DragShowNolock(FALSE);
    if (highlighted_ && highlighted_ != view) highlighted_->SelectItem(nullptr, TVGN_DROPHILITE);
    highlighted_ = target ? view : highlighted_;
    if (view) view->SelectItem(target ? target->Item() : nullptr, TVGN_DROPHILITE);
    if (dragImage_) ImageList_DragShowNolock(TRUE);
    ShowCursorOnly(target != nullptr);
}

void DTreeWindow::EvLButtonUp(UINT modifiers, POINT point)
{
    if (!dragging_) {
        TreeView::EvLButtonUp(modifiers, point);
        return;
    }
    POINT screen = point;
    ClientToScreen(GetHandle(), &screen);
    EndDrag(screen, true);
}

void DTreeWindow::EndDrag(POINT screen, bool drop)
{
    if (!dragging_) return;
    DTreeWindow* view = nullptr;
    TreeContainer* target = drop ? DropTargetAt(screen, &view) : nullptr;
    TreeContainer* dragged = dragged_;
    dragging_ = false;
    dragged_ = nullptr;
    if (dragImage_) {
        ImageList_DragLeave(GetHandle());
        ImageList_EndDrag();
        dragImage_.Reset();
    }
    if (HasCapture()) ReleaseCapture();
    SetCursor(savedCursor_ ? savedCursor_ : LoadCursor(nullptr, IDC_ARROW));
    ShowCursorOnly(true);
    if (highlighted_) highlighted_->SelectItem(nullptr, TVGN_DROPHILITE);
    highlighted_ = nullptr;
    SelectItem(nullptr, TVGN_DROPHILITE);
    if (target) target->AcceptDrop(dragged);
}

void DTreeWindow::EvRButtonDown(UINT modifiers, POINT point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (item && (flags & kRightClickSelects)) SelectItem(item, TVGN_CARET);
    TreeView::EvRButtonDown(modifiers, point);
}
