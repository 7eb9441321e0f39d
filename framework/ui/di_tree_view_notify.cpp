#include <windows.h>

#include <string>

#include "framework/ui/d_tree_window.h"
#include "framework/ui/di_tree_view.h"
#include "framework/ui/sidialog.h"
#include "framework/window/window_text.h"

namespace {

// The node of a notification's item; the item's data names it.
TreeContainer* NodeOf(DITreeView& tree, HTREEITEM item)
{
    return tree.View() ? tree.View()->NodeOfItem(item) : nullptr;
}

// A label edit's text in code page 1251. A tree that answers in ANSI gives
// the system code page's text; a Unicode one UTF-16.
bool EditedText(NMHDR& header, std::string& text)
{
    if (header.code == TVN_ENDLABELEDITW) {
        const wchar_t* wide = reinterpret_cast<NMTVDISPINFOW&>(header).item.pszText;
        if (!wide) return false;
        text = Narrow1251(wide);
        return true;
    }
    const char* narrow = reinterpret_cast<NMTVDISPINFOA&>(header).item.pszText;
    if (!narrow) return false;
    const int n = MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide.data(), n);
    text = Narrow1251(wide.c_str());
    return true;
}

}  // namespace

LRESULT TreeItemNotify(SIDialog& engine, DITreeView& tree, NMHDR& header)
{
    switch (header.code) {
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
        // The item handle sits at the same place in both forms.
        TreeContainer* node = NodeOf(tree, reinterpret_cast<NMTVDISPINFOW&>(header).item.hItem);
        const bool allowed = node && node->CanEditLabel();
        if (allowed) engine.SetLabelEditing(true);
        return allowed ? FALSE : TRUE;
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW: {
        engine.SetLabelEditing(false);
        TreeContainer* node = NodeOf(tree, reinterpret_cast<NMTVDISPINFOW&>(header).item.hItem);
        std::string text;
        if (node && EditedText(header, text)) node->SetName(text.c_str());
        // The node has set the item's text itself (in UTF-16).
        return FALSE;
    }
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
        if (tree.View()) tree.View()->BeginDrag(reinterpret_cast<NMTREEVIEWW&>(header));
        return 0;
    default: return 0;
    }
}

LRESULT TreeItemCustomDraw(DITreeView& tree, NMTVCUSTOMDRAW& draw)
{
    const LRESULT own = tree.CustomDraw(draw);
    if (own != -1) return own;
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        if (draw.nmcd.uItemState & CDIS_SELECTED) {
            draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
            draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
            return CDRF_DODEFAULT;
        }
        DTreeWindow* view = tree.View();
        const COLORREF text = view ? view->GetTextColor() : CLR_DEFAULT;
        const COLORREF back = view ? view->GetBkColor() : CLR_DEFAULT;
        draw.clrText = text != CLR_DEFAULT && text != CLR_NONE ? text : GetSysColor(COLOR_WINDOWTEXT);
        draw.clrTextBk = back != CLR_DEFAULT && back != CLR_NONE ? back : GetSysColor(COLOR_WINDOW);
        return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}
