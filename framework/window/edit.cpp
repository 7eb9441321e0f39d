#include "framework/window/edit.h"

#include <cstring>

void Edit::SetupWindow()
{
    if (textLimit_) SendMessage(EM_LIMITTEXT, textLimit_ - 1);
}

void Edit::SetTextLimit(uint32_t textLimit)
{
    textLimit_ = textLimit;
    if (textLimit_) SendMessage(EM_LIMITTEXT, textLimit_ - 1);
}

uint32_t Edit::GetText(char* buffer, uint32_t size) const
{
    if (!buffer || !size) return 0;
    std::string text = GetWindowText();
    size_t n = std::min<size_t>(text.size(), size - 1);
    memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return static_cast<uint32_t>(n);
}
