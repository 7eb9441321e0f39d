// The type-ahead search box of a list: an edit placed under the list that
// looks its text up in the list after every key. Enter and Escape give the
// focus back to the list; they are handled in the edit itself (no hot key of
// the system is taken), and losing the focus ends the box.
#pragma once

#include <string>

#include "framework/window/edit.h"

class WTListBox;

// The command the box posts to its list when it loses the focus; the list
// then deletes the box.
constexpr UINT kSearchDoneCommand = 20857;

class ISWindow : public Edit {
public:
    static constexpr size_t kMaxText = 512;

    // A child of the list's parent, holding `text`.
    ISWindow(const char* text, WTListBox& list);
    ~ISWindow() override;

    // Creates the box under the list with the list's font and takes the
    // focus with the caret after the text; false when it cannot.
    bool Open();
    // The list goes first: the box no longer reports to it.
    void ForgetList() { list_ = nullptr; }

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    WTListBox* list_;
};
