// A feature-page-like tree in a dialog: three state images, a click on a
// state image, the required rule, expand and collapse, the selection, the
// expanded state read back after closing; label editing, dragging, the
// tree's colours and the column-header repaint of the item engine. Read
// back through Win32 (TVM_GETITEMSTATE and friends).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/config/ini_stream.h"
#include "framework/ui/d_tree_window.h"
#include "framework/ui/di_list_box.h"
#include "framework/ui/di_tree_view.h"
#include "framework/ui/ev_handler.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/sdialog.h"
#include "framework/window/drop_messages.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr uint32_t kPage = 800;
constexpr int kTree = 100;
constexpr int kDescription = 21100;

// A feature-like node: required, editable and movable as its test says.
class Feature : public TreeContainer {
public:
    Feature(const char* name, TreeContainer* parent, bool required = false, int32_t image = 900)
        : TreeContainer(-1, 0, image, name, parent), required_(required) {}
    bool IsRequired() const override { return required_; }
    bool CanEditLabel() const override { return editable; }
    bool CanDrag() const override { return true; }
    bool CanAccept(const TreeContainer*) const override { return true; }
    void Notify(uint32_t flags) override { notified = flags; }
    bool editable = false;
    uint32_t notified = 0;

private:
    bool required_;
};

struct FeatureTree {
    TreeContainer root{-1, 0, 0, "features", nullptr};
    Feature* program = new Feature("Program", &root);
    Feature* core = new Feature("Core", program, true);
    Feature* extras = new Feature("Extras", program, false, 901);
    Feature* docs = new Feature("Docs", &root);
    Feature* manual = new Feature("Manual", docs);
};

class FeaturePage : public SDialog {
public:
    explicit FeaturePage(TreeContainer& root) : SDialog(nullptr, kPage)
    {
        tree = new DITreeView(&root, kTree, true);
        tree->SetSelectionHandler([this](TreeContainer* node) {
            ++selections;
            SetItemText(kDescription, "%s", node ? node->Name() : "");
        });
        AddItems({tree, new DIListBoxOD(0x100, 110), new DIListBoxOD(0, 111)});
    }
    void SetupWindow() override
    {
        SDialog::SetupWindow();
        for (uint32_t i = 0; i < tree->Root()->Count(); ++i) (*tree->Root())[i]->SetCheck(true);
        tree->ApplyRequiredRule();
    }
    int OnItemClick(TreeContainer* node, Window*, DlgItemDescr*, uint32_t id) override
    {
        clickedNode = node;
        clickedId = id;
        return 0;
    }
    DITreeView* tree;
    int selections = 0;
    TreeContainer* clickedNode = nullptr;
    uint32_t clickedId = 0;
};

HWND TreeOf(Dialog& d) { return GetDlgItem(d.GetHandle(), kTree); }

UINT StateOf(HWND tree, const TreeContainer* node, UINT mask)
{
    return static_cast<UINT>(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->Item()), mask));
}

UINT StateImageOf(HWND tree, const TreeContainer* node) { return StateOf(tree, node, TVIS_STATEIMAGEMASK) >> 12; }

// The centre of the node's state image, in the tree's client coordinates:
// left of the item's icon and text.
POINT StateIconPoint(HWND tree, const TreeContainer* node)
{
    RECT r{};
    HTREEITEM item = node->Item();
    std::memcpy(&r, &item, sizeof item);
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    for (int x = r.left - 1; x >= 0; --x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, (r.top + r.bottom) / 2};
        SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.flags & TVHT_ONITEMSTATEICON) return hit.pt;
    }
    ADD_FAILURE() << "no state icon left of " << node->Name();
    return POINT{0, 0};
}

// A real click: the cursor on the point, then the button down and up, so
// that the tree sends NM_CLICK with the cursor where the engine looks.
void ClickAt(HWND tree, POINT client)
{
    POINT screen = client;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM at = MAKELPARAM(client.x, client.y);
    // The tree tracks the button after it goes down until the release comes
    // from the queue: the release is queued first.
    PostMessageW(tree, WM_LBUTTONUP, 0, at);
    SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PumpPending();
}

void ClickStateImage(HWND tree, const TreeContainer* node) { ClickAt(tree, StateIconPoint(tree, node)); }

TEST(TreeView, StateImagesToggleOnClickAndARequiredChildOfACheckedParentStaysChecked)
{
    FeatureTree t;
    FeaturePage page(t.root);
    int checksBefore[5] = {}, checksAfter[5] = {};
    UINT coreAfterParentOff = 0, coreAfterParentOn = 0, coreAfterOwnClick = 0, docsAfterClick = 0;
    int result = RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        t.program->Expand(TVE_EXPAND);
        const TreeContainer* nodes[5] = {t.program, t.core, t.extras, t.docs, t.manual};
        for (int i = 0; i < 5; ++i) checksBefore[i] = nodes[i]->GetCheck();
        ClickStateImage(tree, t.core);
        coreAfterOwnClick = StateImageOf(tree, t.core);
        ClickStateImage(tree, t.program);
        coreAfterParentOff = StateImageOf(tree, t.core);
        ClickStateImage(tree, t.program);
        coreAfterParentOn = StateImageOf(tree, t.core);
        ClickStateImage(tree, t.docs);
        docsAfterClick = StateImageOf(tree, t.docs);
        for (int i = 0; i < 5; ++i) checksAfter[i] = nodes[i]->GetCheck();
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_EQ(result, IDOK);
    // Program and Docs checked at set-up; Core required under checked
    // Program; the rest unchecked. GetCheck: 0, 1, 2 for required.
    const int before[5] = {1, 2, 0, 1, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(checksBefore[i], before[i]) << i;
    EXPECT_EQ(coreAfterOwnClick, TREE_STATE_REQUIRED);
    EXPECT_EQ(coreAfterParentOff, TREE_STATE_CHECKED);  // no longer forced, still checked
    EXPECT_EQ(coreAfterParentOn, TREE_STATE_REQUIRED);
    EXPECT_EQ(docsAfterClick, TREE_STATE_UNCHECKED);
    const int after[5] = {1, 2, 0, 0, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(checksAfter[i], after[i]) << i;
    // The dialog heard each click with the node under the cursor.
    EXPECT_EQ(page.clickedNode, t.docs);
    EXPECT_EQ(page.clickedId, static_cast<uint32_t>(kTree));
    EXPECT_TRUE(t.docs->notified & TVHT_ONITEMSTATEICON);
}

TEST(TreeView, ExpandCollapseSelectionAndTheExpandedStateReadBackAfterClosing)
{
    FeatureTree t;
    FeaturePage page(t.root);
    UINT docsExpanded = 0, programExpanded = 0;
    std::string description;
    int selectionsBefore = 0;
    TreeContainer* selected = nullptr;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        t.program->Expand(TVE_EXPAND);
        t.docs->Expand(TVE_EXPAND);
        t.program->Expand(TVE_COLLAPSE);
        docsExpanded = StateOf(tree, t.docs, TVIS_EXPANDED);
        programExpanded = StateOf(tree, t.program, TVIS_EXPANDED);
        selectionsBefore = page.selections;
        t.manual->Select(TVGN_CARET);
        description = ItemText(d.GetHandle(), kDescription);
        selected = page.tree->GetSelectedNode();
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(docsExpanded, static_cast<UINT>(TVIS_EXPANDED));
    EXPECT_EQ(programExpanded, 0u);
    EXPECT_EQ(page.selections, selectionsBefore + 1);
    EXPECT_EQ(description, "Manual");
    EXPECT_EQ(selected, t.manual);
    // The view is gone: the nodes are unbound and keep what it showed.
    EXPECT_EQ(t.docs->Item(), nullptr);
    EXPECT_TRUE(t.docs->LastItemState() & TVIS_EXPANDED);
    EXPECT_FALSE(t.program->LastItemState() & TVIS_EXPANDED);
    EXPECT_TRUE(t.manual->LastItemState() & TVIS_SELECTED);
    EXPECT_EQ((t.core->LastItemState() & TVIS_STATEIMAGEMASK) >> 12, TREE_STATE_REQUIRED);
}

TEST(TreeView, ImageListHoldsOneImagePerPairOfTheLargestSize)
{
    FeatureTree t;
    new Feature("Missing", &t.root, false, 950);  // no such bitmap: no pair
    FeaturePage page(t.root);
    int count = -1, cx = 0, cy = 0, shownExtras = -2, shownMissing = -2;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
        count = ImageList_GetImageCount(list);
        ImageList_GetIconSize(list, &cx, &cy);
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_HANDLE;
        item.hItem = t.extras->Item();
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        shownExtras = item.iImage;
        item.hItem = t.root[2]->Item();
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        shownMissing = item.iImage;
        Click(d.GetHandle(), IDCANCEL);
    });
    // 900 with its mask 10900, and 901 (8 x 8, no mask) centred on 16 x 16.
    // 901 + 10000 does not exist: its pair is (901, 10901) and is dropped,
    // so Extras shows no image.
    EXPECT_EQ(page.tree->ImagePairCount(), 1u);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(shownExtras, I_IMAGENONE);
    EXPECT_EQ(shownMissing, I_IMAGENONE);
}

TEST(TreeView, SetNodeImageAddsAPairAndCentresASmallBitmapWithoutMask)
{
    FeatureTree t;
    FeaturePage page(t.root);
    int count = -1, shown = -2;
    COLORREF corner = 0, centre = 0;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        page.tree->SetNodeImage(*t.extras, -1, 901);
        auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
        count = ImageList_GetImageCount(list);
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_HANDLE;
        item.hItem = t.extras->Item();
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        shown = item.iImage;
        // Draw it on white: the margin is transparent, the centre red.
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
        HGDIOBJ old = SelectObject(dc, canvas);
        RECT all{0, 0, 16, 16};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ImageList_Draw(list, shown, dc, 0, 0, ILD_TRANSPARENT);
        corner = GetPixel(dc, 0, 0);
        centre = GetPixel(dc, 8, 8);
        SelectObject(dc, old);
        DeleteObject(canvas);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(count, 2);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(corner, RGB(255, 255, 255));
    EXPECT_EQ(centre, RGB(0xC0, 0x20, 0x20));
}

// The pixels of one image of a list drawn on white.
std::string DrawnPixels(HIMAGELIST list, int index)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT);
    std::string pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pixels += std::to_string(GetPixel(dc, x, y)) + ",";
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(TreeView, ThreeStateImagesAreDrawnAndDifferFromEachOther)
{
    FeatureTree t;
    FeaturePage page(t.root);
    std::string images[4];
    int count = 0;
    RunScripted(page, [&](Dialog& d) {
        auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(TreeOf(d), TVM_GETIMAGELIST, TVSIL_STATE, 0));
        count = ImageList_GetImageCount(list);
        for (int i = 0; i < 4 && i < count; ++i) images[i] = DrawnPixels(list, i);
        Click(d.GetHandle(), IDCANCEL);
    });
    ASSERT_EQ(count, 4);
    // Image 0 is never shown and stays blank; unchecked, checked and
    // required each show a box of their own.
    for (int i = 1; i < 4; ++i) {
        EXPECT_NE(images[i], images[0]) << i;
        for (int j = i + 1; j < 4; ++j) EXPECT_NE(images[i], images[j]) << i << " " << j;
    }
}

TEST(TreeView, LabelEditingSetsAndClearsTheEnginesFlagAndRenamesIn1251)
{
    FeatureTree t;
    t.docs->editable = true;
    FeaturePage page(t.root);
    const char* russian = "\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB";  // "Документы"
    bool refusedEdit = true, flagWhileEditing = false, flagAfter = true, flagAfterRefusal = true;
    std::string shown;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        refusedEdit = SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(t.program->Item())) != 0;
        flagAfterRefusal = page.LabelEditing();
        HWND edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(t.docs->Item())));
        flagWhileEditing = page.LabelEditing();
        if (edit) SetText1251(edit, russian);
        SendMessageW(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
        PumpPending();
        flagAfter = page.LabelEditing();
        shown = GetItemText1251(d.GetHandle(), 0);
        TVITEMW item{};
        wchar_t text[64] = L"";
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = t.docs->Item();
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        shown = Narrow1251(text);
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_FALSE(refusedEdit);
    EXPECT_FALSE(flagAfterRefusal);
    EXPECT_TRUE(flagWhileEditing);
    EXPECT_FALSE(flagAfter);
    EXPECT_EQ(std::string(t.docs->Name()), russian);
    EXPECT_EQ(shown, russian);
}

class DropRecorder : public PEvHandler {
public:
    void OnCustomEvent(uint32_t code, uintptr_t, uintptr_t) override
    {
        if (code == kTreeDropEvent) ++drops;
    }
    int drops = 0;
};

POINT ItemCentre(HWND tree, const TreeContainer* node)
{
    RECT r{};
    HTREEITEM item = node->Item();
    std::memcpy(&r, &item, sizeof item);
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Starts a drag of `node` the way the tree does: TVN_BEGINDRAG to the dialog.
void BeginDrag(Dialog& d, const TreeContainer* node)
{
    HWND tree = TreeOf(d);
    NMTREEVIEWW info{};
    info.hdr.hwndFrom = tree;
    info.hdr.idFrom = kTree;
    info.hdr.code = TVN_BEGINDRAGW;
    info.itemNew.hItem = node->Item();
    info.ptDrag = ItemCentre(tree, node);
    SendMessageW(d.GetHandle(), WM_NOTIFY, kTree, reinterpret_cast<LPARAM>(&info));
}

HTREEITEM MoveOver(HWND tree, const TreeContainer* target)
{
    const POINT p = ItemCentre(tree, target);
    SendMessageW(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
}

TEST(TreeView, DragOffersNoDropOntoItselfItsParentOrItsDescendantsAndMovesOtherwise)
{
    FeatureTree t;
    FeaturePage page(t.root);
    DropRecorder events;
    struct Refused {
        const char* what;
        HTREEITEM highlight;
    };
    std::vector<Refused> refused;
    HTREEITEM valid = nullptr;
    bool dragging = false;
    TreeContainer* selectedAfter = nullptr;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        t.program->Expand(TVE_EXPAND);
        t.docs->Expand(TVE_EXPAND);
        // Program's own child Core, Program itself: nothing offered; a drop
        // there leaves the tree as it was.
        BeginDrag(d, t.program);
        dragging = page.tree->View()->Dragging();
        t.program->Expand(TVE_EXPAND);
        refused.push_back({"own child", MoveOver(tree, t.core)});
        refused.push_back({"itself", MoveOver(tree, t.program)});
        const POINT onChild = ItemCentre(tree, t.core);
        SendMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(onChild.x, onChild.y));
        // Manual onto its parent Docs: nothing offered.
        BeginDrag(d, t.manual);
        refused.push_back({"parent", MoveOver(tree, t.docs)});
        // Manual onto Extras: offered and moved.
        valid = MoveOver(tree, t.extras);
        const POINT onExtras = ItemCentre(tree, t.extras);
        SendMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(onExtras.x, onExtras.y));
        selectedAfter = page.tree->GetSelectedNode();
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_TRUE(dragging);
    for (const Refused& r : refused) EXPECT_EQ(r.highlight, nullptr) << r.what;
    EXPECT_EQ(valid, t.extras->Item() ? t.extras->Item() : valid);
    EXPECT_NE(valid, nullptr);
    EXPECT_EQ(t.program->Parent(), &t.root);
    EXPECT_EQ(t.core->Parent(), t.program);
    EXPECT_EQ(t.manual->Parent(), t.extras);
    EXPECT_EQ(t.docs->Count(), 0u);
    EXPECT_EQ(events.drops, 1);
    EXPECT_EQ(selectedAfter, t.manual);
}

// A drop handle as the shell makes it, naming one file.
HDROP MakeDrop(const wchar_t* file)
{
    const size_t chars = wcslen(file) + 2;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wcscpy(reinterpret_cast<wchar_t*>(drop + 1), file);
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST(TreeView, AcceptsFilesAsConfiguredAndRelaysTheDropToItsParent)
{
    FeatureTree t;
    FeaturePage page(t.root);
    bool acceptsBefore = true, acceptsOn = false, acceptsOff = true, relayed = false;
    WPARAM relayedDrop = 0;
    LPARAM relayedPoint = -1;
    UINT files = 0;
    std::wstring name;
    HDROP drop = nullptr;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        acceptsBefore = (GetWindowLongW(tree, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
        page.tree->View()->SetAcceptFiles(true);
        acceptsOn = (GetWindowLongW(tree, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
        drop = MakeDrop(L"C:\\dropped.txt");
        SendMessageW(tree, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        MSG msg{};
        relayed = PeekMessageW(&msg, d.GetHandle(), WM_FW_DROP_RELAY, WM_FW_DROP_RELAY, PM_REMOVE) != FALSE;
        relayedDrop = msg.wParam;
        relayedPoint = msg.lParam;
        if (relayed) {
            // The receiver owns the handle: it reads the files and finishes.
            files = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            wchar_t text[MAX_PATH] = L"";
            DragQueryFileW(drop, 0, text, MAX_PATH);
            name = text;
            DragFinish(drop);
        }
        page.tree->View()->SetAcceptFiles(false);
        acceptsOff = (GetWindowLongW(tree, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_FALSE(acceptsBefore);
    EXPECT_TRUE(acceptsOn);
    EXPECT_FALSE(acceptsOff);
    ASSERT_TRUE(relayed);
    EXPECT_EQ(relayedDrop, reinterpret_cast<WPARAM>(drop));
    EXPECT_EQ(relayedPoint, 0);
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(name, L"C:\\dropped.txt");
}

LRESULT NotifyResult(HWND dialog, NMHDR& header)
{
    SendMessageW(dialog, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
}

TEST(TreeView, CustomDrawColoursAndHeaderRepaintOnlyForListsWithHeaders)
{
    FeatureTree t;
    FeaturePage page(t.root);
    LRESULT prepaint = 0, itemPaint = 0;
    COLORREF selectedText = 0, selectedBack = 0, plainText = 0, plainBack = 0;
    BOOL headerListDirty = FALSE, plainListDirty = TRUE;
    RunScripted(page, [&](Dialog& d) {
        HWND h = d.GetHandle();
        HWND tree = TreeOf(d);
        NMTVCUSTOMDRAW draw{};
        draw.nmcd.hdr = NMHDR{tree, static_cast<UINT_PTR>(kTree), static_cast<UINT>(NM_CUSTOMDRAW)};
        draw.nmcd.dwDrawStage = CDDS_PREPAINT;
        prepaint = NotifyResult(h, draw.nmcd.hdr);
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.uItemState = CDIS_SELECTED;
        itemPaint = NotifyResult(h, draw.nmcd.hdr);
        selectedText = draw.clrText;
        selectedBack = draw.clrTextBk;
        draw.nmcd.uItemState = 0;
        SendMessageW(tree, TVM_SETTEXTCOLOR, 0, RGB(1, 2, 3));
        NotifyResult(h, draw.nmcd.hdr);
        plainText = draw.clrText;
        plainBack = draw.clrTextBk;
        // Column header tracking ended: only list 110 (it has a header).
        UpdateWindow(GetDlgItem(h, 110));
        UpdateWindow(GetDlgItem(h, 111));
        ValidateRect(GetDlgItem(h, 110), nullptr);
        ValidateRect(GetDlgItem(h, 111), nullptr);
        NMHEADERA track{};
        track.hdr = NMHDR{GetDlgItem(h, 110), 110, static_cast<UINT>(HDN_ENDTRACKA)};
        NotifyResult(h, track.hdr);
        RECT r{};
        headerListDirty = GetUpdateRect(GetDlgItem(h, 110), &r, FALSE);
        plainListDirty = GetUpdateRect(GetDlgItem(h, 111), &r, FALSE);
        Click(h, IDCANCEL);
    });
    EXPECT_EQ(prepaint, CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(itemPaint, CDRF_DODEFAULT);
    EXPECT_EQ(selectedText, GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(selectedBack, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(plainText, RGB(1, 2, 3));
    EXPECT_EQ(plainBack, GetSysColor(COLOR_WINDOW));
    EXPECT_TRUE(headerListDirty);
    EXPECT_FALSE(plainListDirty);
}

TEST(TreeView, StatesSavedToNestedSectionsAndLoadedBack)
{
    FeatureTree t;
    new Feature("[x]", t.docs);
    std::string saved;
    UINT manualAfter = 0, docsAfter = 0, bracketAfter = 0;
    {
        FeaturePage page(t.root);
        RunScripted(page, [&](Dialog& d) {
            (void)d;
            t.docs->Expand(TVE_EXPAND);
            t.manual->Select(TVGN_CARET);
            t.manual->Expand(TVE_EXPAND);  // no children: stays unexpanded
            (*t.docs)[1]->Select(TVGN_CARET);
            INIStream ini;
            ini.SelectSection("Tree");
            t.root.SaveStates(ini);
            INIStream* docs = ini.FindSection("Docs") ? ini.FindSection("Docs")->Nested() : nullptr;
            ASSERT_NE(docs, nullptr);
            docs->SetSection("\x10x\x11");
            ini.SetSection("Docs");
            saved = std::string(ini.FindValue("State") ? ini.FindValue("State") : "-") + "/" +
                    (docs->FindValue("State") ? docs->FindValue("State") : "-") + "/" +
                    (ini.FindSection("Program") || docs->FindSection("Manual") ? "extra" : "none");
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    // Docs expanded (0x20) only, "[x]" selected (0x02) below it; nodes
    // without a state to keep get no section.
    EXPECT_EQ(saved, "0x20/0x2/none");
    INIStream text("[Docs]\nState=0x22\n[[Manual]]\nState=0x2\n");
    FeaturePage again(t.root);
    RunScripted(again, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        t.root.LoadStates(text);
        docsAfter = StateOf(tree, t.docs, TVIS_EXPANDED | TVIS_SELECTED);
        manualAfter = StateOf(tree, t.manual, TVIS_SELECTED);
        bracketAfter = StateOf(tree, (*t.docs)[1], TVIS_SELECTED);
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(docsAfter & TVIS_EXPANDED, static_cast<UINT>(TVIS_EXPANDED));
    EXPECT_EQ(manualAfter, static_cast<UINT>(TVIS_SELECTED));
    EXPECT_EQ(bracketAfter, 0u);
}

TEST(TreeView, RefreshKeepsExpandedSelectedAndStateImagesAndShowsNewNodes)
{
    FeatureTree t;
    FeaturePage page(t.root);
    UINT docs = 0, manual = 0, extrasImage = 0;
    LRESULT countBefore = 0, countAfter = 0;
    TreeContainer* selected = nullptr;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        t.docs->Expand(TVE_EXPAND);
        t.manual->Select(TVGN_CARET);
        t.extras->SetCheck(true);
        countBefore = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
        new Feature("Added", t.docs);
        page.tree->Refresh();
        countAfter = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
        docs = StateOf(tree, t.docs, TVIS_EXPANDED);
        manual = StateOf(tree, t.manual, TVIS_SELECTED);
        extrasImage = StateImageOf(tree, t.extras);
        selected = page.tree->GetSelectedNode();
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(countAfter, countBefore + 1);
    EXPECT_EQ(docs, static_cast<UINT>(TVIS_EXPANDED));
    EXPECT_EQ(manual, static_cast<UINT>(TVIS_SELECTED));
    EXPECT_EQ(extrasImage, TREE_STATE_CHECKED);
    EXPECT_EQ(selected, t.manual);
}

TEST(TreeView, StatesMergeFromAnotherTreeByNameAndBitOneKeepsTheSelection)
{
    // The source tree was shown before and keeps what its view showed.
    FeatureTree source;
    {
        FeaturePage page(source.root);
        RunScripted(page, [&](Dialog& d) {
            source.docs->Expand(TVE_EXPAND);
            source.manual->Select(TVGN_CARET);
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    for (uint32_t flags : {0u, 2u}) {
        TreeContainer root{-1, 0, 0, "copy", nullptr};
        source.root.CopyTreeTo(root);
        FeaturePage page(root);
        UINT program = 0, docs = 0, manual = 0;
        RunScripted(page, [&](Dialog& d) {
            HWND tree = TreeOf(d);
            TreeContainer* p = root.FindChild("Program");
            p->Expand(TVE_EXPAND);
            root.ApplyStatesFrom(flags, source.root);
            program = StateOf(tree, p, TVIS_EXPANDED);
            docs = StateOf(tree, root.FindChild("Docs"), TVIS_EXPANDED);
            manual = StateOf(tree, root.FindChild("Docs")->FindChild("Manual"), TVIS_SELECTED);
            Click(d.GetHandle(), IDCANCEL);
        });
        EXPECT_EQ(program, 0u) << flags;  // collapsed as in the source
        EXPECT_EQ(docs, static_cast<UINT>(TVIS_EXPANDED)) << flags;
        EXPECT_EQ(manual, flags & 2 ? 0u : static_cast<UINT>(TVIS_SELECTED)) << flags;
    }
}

// A state tree with more nodes than the view shows, so that it scrolls.
struct LongTree {
    StateTreeContainer root;
    LongTree()
    {
        for (int i = 0; i < 40; ++i) new Feature(("Node " + std::to_string(i)).c_str(), &root);
    }
};

std::string ValueOf(INIStream& ini, const char* key)
{
    const char* v = ini.FindValue(key);
    return v ? v : "-";
}

TEST(TreeView, ScrollPositionsAreSavedLoadedAndAppliedFromAScrollRecord)
{
    LongTree t;
    FeaturePage page(t.root);
    int afterLoad = -1, afterApply = -1, afterApplyWithoutBit = -1;
    std::string saved;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        INIStream text("[Tree]\nTreeVPos=12\nTreeHPos=0\n");
        text.SetSection("Tree");
        t.root.Load(text);
        afterLoad = GetScrollPos(tree, SB_VERT);
        INIStream out;
        out.SelectSection("Tree");
        t.root.Save(out);
        out.SetSection("Tree");
        saved = ValueOf(out, "TreeVPos") + "/" + ValueOf(out, "TreeHPos");
        // Another state tree's record: applied with bit 0 only.
        StateTreeContainer other;
        other.GetScrollRecord()->vertical = 5;
        t.root.ApplyStatesFrom(0, other);
        afterApplyWithoutBit = GetScrollPos(tree, SB_VERT);
        t.root.ApplyStatesFrom(1, other);
        afterApply = GetScrollPos(tree, SB_VERT);
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(afterLoad, 12);
    EXPECT_EQ(saved, "12/0");
    EXPECT_EQ(afterApplyWithoutBit, 12);
    EXPECT_EQ(afterApply, 5);
}

TEST(TreeView, RightClickOnAnItemSelectsItAndOnEmptySpaceChangesNothing)
{
    FeatureTree t;
    FeaturePage page(t.root);
    TreeContainer* afterItem = nullptr;
    TreeContainer* afterEmpty = nullptr;
    RunScripted(page, [&](Dialog& d) {
        HWND tree = TreeOf(d);
        t.program->Select(TVGN_CARET);
        auto rightClick = [&](POINT p) {
            // The release is queued first: the tree tracks the button.
            PostMessageW(tree, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
            SendMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
            PumpPending();
        };
        rightClick(ItemCentre(tree, t.docs));
        afterItem = page.tree->GetSelectedNode();
        RECT client{};
        GetClientRect(tree, &client);
        rightClick(POINT{client.right / 2, client.bottom - 4});
        afterEmpty = page.tree->GetSelectedNode();
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(afterItem, t.docs);
    EXPECT_EQ(afterEmpty, t.docs);
}

TEST(TreeView, FeaturePageInEnglishAndRussian)
{
    for (int language : {0, 1}) {
        FeatureTree t;
        if (language) {
            t.program->Rename("\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0");  // "Программа"
            t.core->Rename("\xDF\xE4\xF0\xEE");                         // "Ядро"
            t.docs->Rename("\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB");     // "Документы"
        }
        g_mlLanguage = static_cast<uint8_t>(language);
        FeaturePage page(t.root);
        g_mlLanguage = 0;
        std::string caption, first;
        RunScripted(page, [&](Dialog& d) {
            t.program->Expand(TVE_EXPAND);
            t.docs->Expand(TVE_EXPAND);
            t.core->Select(TVGN_CARET);
            caption = GetText1251(d.GetHandle());
            first = page.tree->View()->GetItemText(t.program->Item());
            SaveScreenshot(d.GetHandle(), language ? "tree_ru" : "tree_en");
            Click(d.GetHandle(), IDCANCEL);
        });
        EXPECT_EQ(caption, language ? "\xCA\xEE\xEC\xEF\xEE\xED\xE5\xED\xF2\xFB" : "Features");
        EXPECT_EQ(first, t.program->Name());
    }
}

}  // namespace
