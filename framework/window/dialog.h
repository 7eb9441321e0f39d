// A modal dialog from a dialog template, run by its own message loop
// (CreateDialogParamA, then GetMessage -> PreProcessMsg -> IsDialogMessageA ->
// dispatch), so that key pre-processing works and a test can drive it.
//
// Messages that arrive before WM_INITDIALOG (WM_SETFONT, WM_MEASUREITEM,
// WM_GETMINMAXINFO) already reach the object. At WM_INITDIALOG the child
// objects attach to their template controls, then SetupWindow runs.
//
// Results: handlers return what the message needs; the dialog procedure puts
// it in DWLP_MSGRESULT, except for the messages whose result the dialog
// manager takes directly (WM_CTLCOLOR*, WM_INITDIALOG and the like).
#pragma once

#include "framework/window/module.h"
#include "framework/window/window.h"

class Dialog : public Window {
public:
    Dialog(Window* parent, uint32_t templateId, Module* module = nullptr);
    ~Dialog() override;

    // Runs the dialog modally. The result given to CloseWindow, or -1 when
    // the dialog could not be created.
    virtual int Execute();
    // Creates the dialog without a modal run (shown at once); false on failure.
    bool CreateModeless();
    // Ends the modal run with `result`; a modeless dialog is destroyed.
    void CloseWindow(int result);
    bool IsRunning() const { return running_; }

    virtual void CmOk() { CloseWindow(IDOK); }
    virtual void CmCancel() { CloseWindow(IDCANCEL); }
    // Key pre-processing inside the modal loop; true consumes the message.
    virtual bool PreProcessMsg(MSG& msg);

    uint32_t TemplateId() const { return templateId_; }
    Module& GetModule() const { return *module_; }
    int GetDefaultId() const;

    // The innermost dialog running modally on this thread, or null.
    static Dialog* Running();

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    LRESULT DefaultProcessing() override;
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;
    void EvSysCommand(UINT command, POINT point) override;

protected:
    // The owner window of the modal run (the parent's window, else null).
    virtual HWND OwnerWindow() const;

private:
    HWND CreateFromTemplate(HWND owner);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

    uint32_t templateId_;
    Module* module_;
    bool running_ = false;
    bool ended_ = false;
    bool defaulted_ = false;  // the handler asked for default processing
    int result_ = IDCANCEL;
    Dialog* outer_ = nullptr;  // the dialog that ran before this one
};
