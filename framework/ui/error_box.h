// The framework's message dialog (template 20512): an icon, the message text
// sized to fit, a Close button and a Help button. DoMessage shows it through
// the box presenter once InstallMessageDialog has run.
#pragma once

#include <string>

#include "framework/base/sys_box.h"
#include "framework/ui/sdialog.h"

enum : uint32_t {
    ERRORBOX_TEMPLATE = 20512,
    ERRORBOX_HELP_BUTTON = 9,
};

class ErrorBox : public SDialog {
public:
    ErrorBox(uint16_t iconId, const char* title, const char* text, uint16_t messageId = 0);

    void SetupWindow() override;
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;
    uint16_t MessageId() const { return messageId_; }

protected:
    void Paint(HDC dc) override;
    // The running dialog, else the main window: the box is modal to what
    // the user is working in.
    HWND OwnerWindow() const override;

private:
    uint16_t iconId_;
    std::string title_;
    std::string text_;
    uint16_t messageId_;
    HICON icon_ = nullptr;
};

// Shows message requests in an ErrorBox and plain ones as Windows boxes.
int MessageDialogPresenter(const FwBoxRequest& request);
// Makes MessageDialogPresenter the box presenter (the driver's build keeps
// its silent one).
void InstallMessageDialog();
