#include "sim/robot/text_1251.h"

#include <vector>

namespace robot {

std::wstring Wide1251(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string Narrow1251(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
    return narrow;
}

std::string GetText1251(HWND window)
{
    if (!window) return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return std::string();
    std::vector<wchar_t> wide(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
        return std::string();
    return Narrow1251(std::wstring(wide.data(), got < wide.size() ? got : wide.size() - 1));
}

bool SetText1251(HWND window, const std::string& text)
{
    if (!window) return false;
    const std::wstring wide = Wide1251(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &result) != 0;
}

}  // namespace robot
