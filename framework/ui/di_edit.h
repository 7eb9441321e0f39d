// An edit control bound to a text buffer. The bound text keeps "\n" line
// breaks; the control shows "\r\n".
#pragma once

#include <string>

#include "framework/ui/dlg_item.h"

class DIEdit : public DlgItemDescr {
public:
    // `bufferSize` bytes: the control takes at most bufferSize - 1 characters.
    DIEdit(char* boundText, uint32_t bufferSize, uint32_t id);
    void CreateControl() override;
    void SetData() override;
    bool GetData() override;
    // Writes the text read by GetData into the bound buffer, without "\r".
    void Store() override;
    std::string GetText() override;
    void SetText(const char* text) override;
    const std::string& Buffer() const { return buffer_; }

private:
    std::string buffer_;
    uint32_t size_;
};

// "\n" -> "\r\n" within `size` bytes (NUL included); a text that does not fit
// is cut at the last whole line that does.
std::string ExpandLineBreaks(const char* text, uint32_t size);
