// The framework's modal dialog: a dialog template (a resource id; the Russian
// template at id + 10000 when the language is Russian and the module has it)
// with the item engine, the top-level behaviour (system-menu entry, centring,
// context help), anchoring with a size grip and remembered size, and
// validation on OK.
#pragma once

#include <string>

#include "framework/base/base_object.h"
#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"

class TreeContainer;

enum : uint32_t {
    SYSCMD_TERMINATE = 21022,
    SYSCMD_DEBUG_BREAK = 20562,
    SYSCMD_MAP_DIALOG_RECT = 22136,
};

// The template id for the current language: resourceId + 10000 for Russian
// when `module` holds that dialog, else resourceId.
uint32_t LocalizedDialogId(HINSTANCE module, uint32_t resourceId);

class SDialog : public Dialog, public SIDialog, public BaseObject {
public:
    SDialog(Window* parent, uint32_t resourceId, Module* module = nullptr);
    ~SDialog() override;

    uint32_t GetResourceId() const { return resourceId_; }
    void SetCaption(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    // While false, Cancel, Escape and the system menu's Close do nothing; OK
    // sets it back.
    void SetCancelAllowed(bool allowed) { cancelAllowed_ = allowed; }
    bool CancelAllowed() const { return cancelAllowed_; }

    // Runs modally inside a busy scope; 1 OK, 2 Cancel, -1 when the template
    // could not be loaded.
    int Execute() override;
    void SetupWindow() override;
    void CleanupWindow() override;
    void CmOk() override;
    void CmCancel() override;
    bool PreProcessMsg(MSG& msg) override;

    // Hooks of concrete dialogs.
    // `node` is the tree node under the cursor for a tree-view item, else null.
    virtual int OnItemDoubleClick(TreeContainer* node, Window* control, DlgItemDescr* item, uint32_t id);
    virtual int OnItemClick(TreeContainer* node, Window* control, DlgItemDescr* item, uint32_t id);
    virtual void AfterSetup() {}
    virtual void DialogHelp();
    virtual HWND GetTopWindow() const;
    virtual void OnSetupTopWindow(bool hasOptions, HWND window);
    virtual void OnCloseTopWindow(HWND) {}
    virtual void CenterOnScreen(HWND window);
    // System-menu commands other than SC_CLOSE.
    virtual void SystemCommand(UINT command, POINT point);

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;
    LRESULT EvNotify(UINT id, NMHDR& header) override;
    void EvSize(UINT type, int width, int height) override;
    void EvPaint() override;
    void EvSysCommand(UINT command, POINT point) override;
    bool EvHelp(HELPINFO& info) override;
    void EvGetMinMaxInfo(MINMAXINFO& info) override;
    HBRUSH EvCtlColor(HDC dc, HWND control, UINT type) override;
    void EvMeasureItem(UINT id, MEASUREITEMSTRUCT& item) override;
    void EvSetFocus(HWND lost) override;
    void EvContextMenu(HWND window, POINT point) override;

protected:
    // Paints the dialog's own drawing on `dc` (after the size grip).
    virtual void Paint(HDC) {}

private:
    uint32_t resourceId_;
    bool cancelAllowed_ = true;
    bool captionPending_ = false;
    std::string pendingCaption_;
    bool autoHelpShown_ = false;
};
