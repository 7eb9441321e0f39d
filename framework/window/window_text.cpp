#include "framework/window/window_text.h"

#include <vector>

namespace {
constexpr UINT kCodePage = 1251;
}  // namespace

std::wstring Wide1251(const char* text)
{
    if (!text || !*text) return std::wstring();
    int n = MultiByteToWideChar(kCodePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kCodePage, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n) - 1);
    return wide;
}

std::string Narrow1251(const wchar_t* text)
{
    if (!text || !*text) return std::string();
    int n = WideCharToMultiByte(kCodePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, 0, text, -1, narrow.data(), n, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(n) - 1);
    return narrow;
}

void SetText1251(HWND window, const char* text)
{
    if (window) SetWindowTextW(window, Wide1251(text).c_str());
}

std::string GetText1251(HWND window)
{
    if (!window) return std::string();
    int n = GetWindowTextLengthW(window);
    std::vector<wchar_t> wide(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(window, wide.data(), n + 1);
    return Narrow1251(wide.data());
}

void SetItemText1251(HWND dialog, int id, const char* text)
{
    SetText1251(dialog ? GetDlgItem(dialog, id) : nullptr, text);
}

std::string GetItemText1251(HWND dialog, int id) { return GetText1251(dialog ? GetDlgItem(dialog, id) : nullptr); }
