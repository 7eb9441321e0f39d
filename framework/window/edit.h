// A single- or multi-line edit control.
#pragma once

#include <string>

#include "framework/window/control.h"

class Edit : public Control {
public:
    // `textLimit` is a buffer size: at most textLimit - 1 characters.
    Edit(Window* parent, int id, uint32_t textLimit = 0) : Control(parent, id), textLimit_(textLimit) {}
    const char* ClassName() const override { return "EDIT"; }
    void SetupWindow() override;

    uint32_t TextLimit() const { return textLimit_; }
    void SetTextLimit(uint32_t textLimit);
    // Copies at most size - 1 characters and a NUL; returns the length.
    uint32_t GetText(char* buffer, uint32_t size) const;
    std::string GetText() const { return GetWindowText(); }
    void SetText(const char* text) { SetWindowText(text); }
    void SetSelection(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }

private:
    uint32_t textLimit_;
};
