// One door for every box the framework shows.
//
// Plain Windows boxes and the framework's message dialog both go through the
// box presenter, so a test can record boxes instead of waiting on a modal
// window, and the driver library can stay silent.
#pragma once

#include <cstdint>

enum class FwBoxKind : uint8_t {
    Plain,    // a Windows message box (MessageBoxExA); style holds MB_* bits
    Message,  // the framework's message dialog (DoMessage); icon and id set
};

struct FwBoxRequest {
    FwBoxKind kind;
    uint32_t style;      // MB_* bits of a plain box
    uint16_t icon;       // message dialog: 102 error, 103 information
    uint16_t messageId;  // message dialog: the id given with 'm', else 0
    const char* caption;
    const char* text;
    void* owner;         // a plain box's owner window (HWND), null for none
};

// Returns the id of the button that closed the box.
using FwBoxPresenter = int (*)(const FwBoxRequest& request);

// Installs a presenter (null restores the default); returns the previous one.
FwBoxPresenter SetBoxPresenter(FwBoxPresenter presenter);
FwBoxPresenter GetBoxPresenter();

// The default: MessageBoxExA for both kinds (the message dialog proper comes
// with the dialog classes and replaces the presenter for FwBoxKind::Message).
int PlainBoxPresenter(const FwBoxRequest& request);
// Shows nothing and answers 0: the driver library's presenter.
int SilentBoxPresenter(const FwBoxRequest& request);

// Shows a plain box without owner, captioned `caption` (null: the caption
// hook's text).
int FwShowBox(uint32_t style, const char* caption, const char* text);
// Hands a request to the current presenter.
int FwPresentBox(const FwBoxRequest& request);
