#include "framework/ui/di_edit.h"

#include <cstring>

#include "framework/ui/p_edit.h"
#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"
#include "framework/window/window_text.h"

std::string ExpandLineBreaks(const char* text, uint32_t size)
{
    std::string out;
    if (!text || size == 0) return out;
    const size_t room = size - 1;
    size_t lastLineEnd = 0;
    for (const char* p = text; *p; ++p) {
        const size_t need = *p == '\n' ? 2 : 1;
        if (out.size() + need > room) {
            out.resize(lastLineEnd);
            return out;
        }
        if (*p == '\n') {
            out += "\r\n";
            lastLineEnd = out.size();
        } else {
            out += *p;
        }
    }
    return out;
}

DIEdit::DIEdit(char* boundText, uint32_t bufferSize, uint32_t id)
    : DlgItemDescr(DI_EDIT, id, boundText), size_(bufferSize ? bufferSize : 1)
{
    if (boundText) buffer_ = ExpandLineBreaks(boundText, size_);
}

void DIEdit::CreateControl() { control_ = new PEdit(DialogObject(), static_cast<int>(controlId_), size_); }

void DIEdit::SetData()
{
    if (HWND edit = ControlHandle()) SetText1251(edit, buffer_.c_str());
}

bool DIEdit::GetData()
{
    buffer_ = GetText();
    if (buffer_.size() > size_ - 1) buffer_.resize(size_ - 1);
    return true;
}

void DIEdit::Store()
{
    if (!bound_) return;
    char* out = static_cast<char*>(bound_);
    size_t n = 0;
    for (char c : buffer_) {
        if (c == '\r') continue;
        if (n + 1 >= size_) break;
        out[n++] = c;
    }
    out[n] = 0;
}

std::string DIEdit::GetText()
{
    HWND edit = ControlHandle();
    if (!edit) return buffer_;
    std::string text = GetText1251(edit);
    if (text.size() > 0x8000) text.resize(0x8000);
    return text;
}

void DIEdit::SetText(const char* text)
{
    if (HWND edit = ControlHandle()) SetText1251(edit, text);
}
