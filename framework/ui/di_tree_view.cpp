#include "framework/ui/di_tree_view.h"

#include <algorithm>
#include <new>

#include "framework/ui/d_tree_window.h"
#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"
#include "framework/window/gdi_objects.h"

namespace {

// A bitmap handle that is deleted only when it was made here.
using Bmp = GdiObject<HBITMAP>;

constexpr intptr_t kNoMask = -1;
constexpr int kStateImageSide = 16;

bool IsHandle(intptr_t value) { return value > 0xFFFF; }

// A bitmap of the pair: a handle stays the caller's (not owned), a resource
// is loaded from `module` (owned).
Bmp PairBitmap(HINSTANCE module, intptr_t value)
{
    if (value == kNoMask || value == 0) return Bmp();
    if (IsHandle(value)) return Bmp(reinterpret_cast<HBITMAP>(value), false);
    return Bmp(LoadBitmapA(module, MAKEINTRESOURCEA(value)), true);
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// `image` centred on a canvas of `size` filled with `background`, and the
// mask that makes the filled margin transparent (the given mask inside).
void Canvas(HBITMAP image, HBITMAP mask, SIZE size, COLORREF background, Bmp& outImage, Bmp& outMask)
{
    const SIZE own = BitmapSize(image);
    const int x = (size.cx - own.cx) / 2, y = (size.cy - own.cy) / 2;
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    outImage = Bmp(CreateCompatibleBitmap(screen, size.cx, size.cy), true);
    outMask = Bmp(CreateBitmap(size.cx, size.cy, 1, 1, nullptr), true);
    HGDIOBJ oldTarget = SelectObject(target, outImage.Get());
    RECT all{0, 0, size.cx, size.cy};
    Brush fill(background);
    FillRect(target, &all, fill);
    HGDIOBJ oldSource = SelectObject(source, image);
    BitBlt(target, x, y, own.cx, own.cy, source, 0, 0, SRCCOPY);
    // Mask: white (transparent) margin, black (opaque) image or its own mask.
    SelectObject(target, outMask.Get());
    FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (mask) {
        SelectObject(source, mask);
        BitBlt(target, x, y, own.cx, own.cy, source, 0, 0, SRCCOPY);
    } else {
        PatBlt(target, x, y, own.cx, own.cy, BLACKNESS);
    }
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
    DeleteDC(source);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
}

}  // namespace

DITreeView::DITreeView(TreeContainer* root, uint32_t id, bool stateImages)
    : DlgItemDescr(DI_TREE_VIEW, id, root), root_(root), wantStateImages_(stateImages)
{
}

DITreeView::~DITreeView()
{
    if (root_) root_->Unbind();
}

void DITreeView::CreateControl() { control_ = new DTreeWindow(DialogObject(), static_cast<int>(controlId_), this); }

DTreeWindow* DITreeView::View() const { return static_cast<DTreeWindow*>(control_); }

void DITreeView::SetData()
{
    if (!View() || !View()->GetHandle()) return;
    if (wantStateImages_ && !stateImages_) BuildStateImages();
    Rebuild();
}

void DITreeView::Rebuild()
{
    DTreeWindow* view = View();
    if (rebuilding_ || !view || !view->GetHandle() || !root_) return;
    rebuilding_ = true;
    view->DeleteAllItems();
    root_->Unbind();
    CollectPairs();
    BuildImageList();
    InsertChildren(*root_, TVI_ROOT);
    rebuilding_ = false;
    if (wantStateImages_) ApplyRequiredRule();
}

void DITreeView::InsertChildren(TreeContainer& node, HTREEITEM parentItem)
{
    for (uint32_t i = 0; i < node.Count(); ++i) {
        TreeContainer* child = node[i];
        child->InsertInView(*View(), parentItem, TVI_LAST);
        if (!child->Item()) continue;
        if (wantStateImages_) child->SetStateImage(TREE_STATE_UNCHECKED);
        InsertChildren(*child, child->Item());
    }
}

void DITreeView::Refresh()
{
    DTreeWindow* view = View();
    if (!view || !view->GetHandle()) return;
    view->SendMessage(WM_SETREDRAW, FALSE);
    // The states as they were, kept by Unbind in each node.
    root_->Unbind();
    std::vector<std::pair<TreeContainer*, UINT>> states;
    root_->ForEach([&](TreeContainer& node) { states.emplace_back(&node, node.LastItemState()); });
    Rebuild();
    for (const auto& [node, state] : states) {
        if (state & TVIS_STATEIMAGEMASK) node->SetStateImage((state & TVIS_STATEIMAGEMASK) >> 12);
        if (state & TVIS_EXPANDED) node->Expand(TVE_EXPAND);
    }
    for (const auto& [node, state] : states)
        if (state & TVIS_SELECTED) node->Select(TVGN_CARET);
    view->SendMessage(WM_SETREDRAW, TRUE);
    view->Invalidate(true);
}

TreeContainer* DITreeView::GetSelectedNode() const
{
    if (rebuilding_ || !View()) return nullptr;
    return View()->NodeOfItem(View()->GetSelection());
}

void DITreeView::DeleteSelected(bool removeNode)
{
    DTreeWindow* view = View();
    if (!view) return;
    HTREEITEM selected = view->GetSelection();
    if (!selected) return;
    HTREEITEM next = view->GetNextItem(selected, TVGN_NEXT);
    if (!next) next = view->GetNextItem(selected, TVGN_PREVIOUS);
    if (!next) next = view->GetNextItem(selected, TVGN_PARENT);
    TreeContainer* node = view->NodeOfItem(selected);
    if (node) node->Unbind();
    view->DeleteItem(selected);
    // The node leaves its parent with its subtree; nothing else owns it.
    if (removeNode && node && node != root_) delete node;
    if (next) view->SelectItem(next, TVGN_CARET);
}

void DITreeView::SetNodeImage(TreeContainer& node, int32_t selectedImage, int32_t image)
{
    if (selectedImage == 0) selectedImage = image + 10000;
    node.SetImages(image, selectedImage);
    if (FindImagePair(image, selectedImage) < 0) {
        pairs_.emplace_back(image, selectedImage);
        BuildImageList();
    }
    const int index = ImageIndex(FindImagePair(image, selectedImage));
    const int shown = index >= 0 ? index : I_IMAGENONE;
    if (node.Item() && View()) View()->SetItemImages(node.Item(), shown, shown);
}

TreeContainer* DITreeView::NodeAtCursor(UINT* flags) const
{
    if (flags) *flags = 0;
    DTreeWindow* view = View();
    if (!view || !view->GetHandle()) return nullptr;
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(view->GetHandle(), &p);
    return view->NodeOfItem(view->HitTest(p, flags));
}

int DITreeView::FindImagePair(int32_t image, int32_t mask) const
{
    for (size_t i = 0; i < pairs_.size(); ++i)
        if (pairs_[i].first == image && pairs_[i].second == mask) return static_cast<int>(i);
    return -1;
}

int DITreeView::ImageIndex(int pair) const
{
    if (pair < 0 || static_cast<size_t>(pair) >= indices_.size()) return -1;
    return indices_[static_cast<size_t>(pair)];
}

void DITreeView::CollectPairs()
{
    pairs_.clear();
    HINSTANCE module = owner_ ? owner_->DialogWindow().GetModule().Handle() : GetModuleHandleA(nullptr);
    root_->ForEach([&](TreeContainer& node) {
        if (&node == root_) return;
        const intptr_t image = node.Image(), mask = node.SelectedImage();
        if (FindImagePair(static_cast<int32_t>(image), static_cast<int32_t>(mask)) >= 0) return;
        bool usable = IsHandle(image);
        if (!usable && image > 0) {
            Bmp own = PairBitmap(module, image);
            Bmp other = PairBitmap(module, mask);
            usable = own && (mask == kNoMask || other);
        }
        if (usable) pairs_.emplace_back(image, mask);
    });
}

void DITreeView::BuildImageList()
{
    indices_.assign(pairs_.size(), -1);
    DTreeWindow* view = View();
    if (!view || !view->GetHandle()) return;
    HINSTANCE module = owner_ ? owner_->DialogWindow().GetModule().Handle() : GetModuleHandleA(nullptr);
    std::vector<std::pair<Bmp, Bmp>> bitmaps;
    SIZE largest{0, 0};
    for (const auto& [image, mask] : pairs_) {
        bitmaps.emplace_back(PairBitmap(module, image), PairBitmap(module, mask));
        const SIZE s = BitmapSize(bitmaps.back().first);
        largest.cx = std::max(largest.cx, s.cx);
        largest.cy = std::max(largest.cy, s.cy);
    }
    view->SetImageList(nullptr, TVSIL_NORMAL);
    images_.Reset();
    if (pairs_.empty() || largest.cx == 0) return;
    images_ = ImageList(largest.cx, largest.cy, static_cast<int>(pairs_.size()), 255);
    const COLORREF viewBackground = view->GetBkColor();
    const COLORREF background = windowColour_ || viewBackground == CLR_NONE ? GetSysColor(COLOR_WINDOW) : viewBackground;
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        HBITMAP image = bitmaps[i].first, mask = bitmaps[i].second;
        const SIZE s = BitmapSize(image);
        if (!image) continue;
        if (mask && s.cx == largest.cx && s.cy == largest.cy) {
            indices_[i] = images_.Add(image, mask);
            continue;
        }
        Bmp canvas, canvasMask;
        Canvas(image, mask, largest, background, canvas, canvasMask);
        indices_[i] = images_.Add(canvas, canvasMask);
    }
    view->SetImageList(images_.Get(), TVSIL_NORMAL);
}

void DITreeView::BuildStateImages()
{
    DTreeWindow* view = View();
    if (!view || !view->GetHandle()) return;
    // Image 0 is never shown (state 0 means none); 1 unchecked, 2 checked,
    // 3 required: checked and greyed, as a box the user cannot change.
    stateImages_ = ImageList(kStateImageSide, kStateImageSide, 4, 0);
    // DFCS_BUTTONCHECK is 0: the blank image is told by its index, not its look.
    const UINT looks[4] = {0, DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED,
                           DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE};
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < 4; ++i) {
        Bmp image(CreateCompatibleBitmap(screen, kStateImageSide, kStateImageSide), true);
        Bmp mask(CreateBitmap(kStateImageSide, kStateImageSide, 1, 1, nullptr), true);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, image.Get());
        RECT all{0, 0, kStateImageSide, kStateImageSide};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        RECT box{2, 2, 15, 15};
        if (i > 0) DrawFrameControl(dc, &box, DFC_BUTTON, looks[i]);
        SelectObject(dc, mask.Get());
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (i > 0) PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, BLACKNESS);
        SelectObject(dc, old);
        DeleteDC(dc);
        stateImages_.Add(image, mask);
    }
    ReleaseDC(nullptr, screen);
    view->SetImageList(stateImages_.Get(), TVSIL_STATE);
}

void DITreeView::ToggleState(TreeContainer& node)
{
    const uint32_t state = node.StateImage();
    if (state == TREE_STATE_UNCHECKED) node.SetStateImage(TREE_STATE_CHECKED);
    else if (state == TREE_STATE_CHECKED) node.SetStateImage(TREE_STATE_UNCHECKED);
    ApplyRequiredRule();
}

void DITreeView::ApplyRequiredRule()
{
    if (!root_) return;
    // Pre-order: a parent's state is settled before its children are looked at.
    root_->ForEach([&](TreeContainer& node) {
        if (&node == root_ || !node.Item()) return;
        const bool parentChecked = node.IsTopLevel() || node.Parent()->GetCheck() > 0;
        if (node.IsRequired() && parentChecked) node.SetStateImage(TREE_STATE_REQUIRED);
        else if (node.StateImage() == TREE_STATE_REQUIRED) node.SetStateImage(TREE_STATE_CHECKED);
    });
}

void DITreeView::SelectionChanged(TreeContainer* node)
{
    if (!rebuilding_ && onSelect_) onSelect_(node);
}

void DITreeView::ViewDestroyed()
{
    if (root_) root_->Unbind();
}

DITreeView* NewDITreeView(TreeContainer* root, uint32_t id, bool stateImages)
{
    return new (std::nothrow) DITreeView(root, id, stateImages);
}
