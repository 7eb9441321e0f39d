// Blank skipping, trimming, removing characters, bounded copies.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/base/text_utils.h"

const char* SkipBlanks(const char* cursor)
{
    while (cursor != nullptr && IsBlank(*cursor))
        ++cursor;
    return cursor;
}

char* SkipBlanks(char* cursor)
{
    while (cursor != nullptr && IsBlank(*cursor))
        ++cursor;
    return cursor;
}

const unsigned char* SkipBlanks(const unsigned char* cursor)
{
    while (cursor != nullptr && IsBlank(static_cast<char>(*cursor)))
        ++cursor;
    return cursor;
}

char* TrimTrailingBlanks(char* text)
{
    if (text == nullptr)
        return text;
    size_t n = strlen(text);
    while (n > 0 && text[n - 1] == ' ')
        --n;
    text[n] = 0;
    return text;
}

char* TrimBlanks(char* text)
{
    if (text == nullptr)
        return text;
    char* start = SkipBlanks(text);
    if (start != text)
        memmove(text, start, strlen(start) + 1);
    return TrimTrailingBlanks(text);
}

char* RemoveTrailingChar(char* text, char ch)
{
    if (text == nullptr)
        return text;
    size_t n = strlen(text);
    if (n > 0 && text[n - 1] == ch)
        text[n - 1] = 0;
    return text;
}

char* RemoveChars(char* text, const char* set)
{
    if (text == nullptr || set == nullptr)
        return text;
    char* out = text;
    for (const char* p = text; *p != 0; ++p) {
        if (strchr(set, *p) == nullptr)
            *out++ = *p;
    }
    *out = 0;
    return text;
}

char* CopyBounded(char* destination, const char* source, uint32_t n)
{
    if (destination == nullptr || n == 0)
        return destination;
    uint32_t i = 0;
    if (source != nullptr) {
        for (; i + 1 < n && source[i] != 0; ++i)
            destination[i] = source[i];
    }
    destination[i] = 0;
    return destination;
}

bool StartsWith(const char* prefix, const char* text)
{
    if (prefix == nullptr || text == nullptr)
        return false;
    return strncmp(prefix, text, strlen(prefix)) == 0;
}

char* AppendPrintf(char* buffer, const char* format, ...)
{
    if (buffer == nullptr || format == nullptr)
        return buffer;
    va_list args;
    va_start(args, format);
    vsprintf(buffer + strlen(buffer), format, args);
    va_end(args);
    return buffer;
}
