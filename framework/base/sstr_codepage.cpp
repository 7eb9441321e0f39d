// Conversions between 8-bit text and UTF-16. The framework's texts are
// code page 1251 whatever the system's ANSI code page is.
#include "framework/base/sstr.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kFrameworkCodePage = 1251;

// Converts len + 1 UTF-16 units (NUL included) to code page cp; malloc'ed.
char* WideToBytes(const wchar_t* text, int len, UINT cp)
{
    int n = WideCharToMultiByte(cp, 0, text, len + 1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return nullptr;
    char* out = static_cast<char*>(malloc(static_cast<size_t>(n)));
    if (out == nullptr)
        return nullptr;
    if (WideCharToMultiByte(cp, 0, text, len + 1, out, n, nullptr, nullptr) != n) {
        free(out);
        return nullptr;
    }
    return out;
}

wchar_t* BytesToWide(const char* text, UINT cp)
{
    int len = static_cast<int>(strlen(text));
    int n = MultiByteToWideChar(cp, 0, text, len + 1, nullptr, 0);
    if (n <= 0)
        return nullptr;
    wchar_t* out = static_cast<wchar_t*>(malloc(static_cast<size_t>(n) * sizeof(wchar_t)));
    if (out == nullptr)
        return nullptr;
    if (MultiByteToWideChar(cp, 0, text, len + 1, out, n) != n) {
        free(out);
        return nullptr;
    }
    return out;
}

}  // namespace

char* WideToCp1251(const wchar_t* text)
{
    if (text == nullptr)
        return nullptr;
    return WideToBytes(text, static_cast<int>(wcslen(text)), kFrameworkCodePage);
}

wchar_t* Cp1251ToWide(const char* text)
{
    if (text == nullptr)
        return nullptr;
    return BytesToWide(text, kFrameworkCodePage);
}

wchar_t* WideDup(const wchar_t* text)
{
    if (text == nullptr)
        return nullptr;
    size_t n = (wcslen(text) + 1) * sizeof(wchar_t);
    wchar_t* copy = static_cast<wchar_t*>(malloc(n));
    if (copy != nullptr)
        memcpy(copy, text, n);
    return copy;
}

wchar_t* WideBuffer(uint32_t n)
{
    return static_cast<wchar_t*>(calloc(static_cast<size_t>(n) + 1, sizeof(wchar_t)));
}

sstr WideToSstr(const wchar_t* text)
{
    sstr result;
    if (text == nullptr)
        return result;
    char* bytes = WideToCp1251(text);
    result.Assign(bytes);
    free(bytes);
    return result;
}

sstr ToOemCopy(const char* text)
{
    sstr result(text);
    if (result.Buffer() != nullptr)
        CharToOemA(result.Buffer(), result.Buffer());
    return result;
}

sstr ConvertCodePage(const char* text, uint32_t fromCodePage, uint32_t toCodePage)
{
    sstr result;
    if (text == nullptr)
        return result;
    wchar_t* wide = BytesToWide(text, fromCodePage);
    if (wide == nullptr)
        return result;
    char* bytes = WideToBytes(wide, static_cast<int>(wcslen(wide)), toCodePage);
    free(wide);
    result.Assign(bytes);
    free(bytes);
    return result;
}
