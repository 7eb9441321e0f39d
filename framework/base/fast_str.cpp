#include "framework/base/fast_str.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/base/sys_box.h"

char* _fast_strcpy(char* destination, const char* source)
{
    if (destination == nullptr || source == nullptr) {
        if (g_fwSettings.debug)
            FwShowBox(MB_ICONSTOP, nullptr, "_fast_strcpy: NULL parameter");
        return destination;
    }
    // memmove: a caller may copy a tail of the buffer onto its head.
    memmove(destination, source, strlen(source) + 1);
    return destination;
}

char* _fast_strcat(char* destination, const char* source)
{
    if (destination == nullptr)
        return _fast_strcpy(destination, source);
    _fast_strcpy(_fast_strend(destination), source);
    return destination;
}

char* _fast_strcpycat(char* destination, const char* first, const char* second)
{
    _fast_strcpy(destination, first);
    return _fast_strcat(destination, second);
}

char* _fast_strdup(const char* text)
{
    if (text == nullptr)
        return nullptr;
    size_t n = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(n));
    if (copy != nullptr)
        memcpy(copy, text, n);
    return copy;
}

char* _fast_strend(char* text)
{
    return text == nullptr ? nullptr : text + strlen(text);
}

const char* _fast_strend(const char* text)
{
    return text == nullptr ? nullptr : text + strlen(text);
}
