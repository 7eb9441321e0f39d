// Cutting a text into Istr items and joining items back into one text.
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/base/istr.h"
#include "framework/base/scontainer.h"
#include "framework/base/sstr.h"

namespace {

bool IsSeparator(const char* separators, char ch)
{
    return ch != 0 && separators != nullptr && strchr(separators, ch) != nullptr;
}

void AddPiece(SContainer& list, const char* begin, size_t length)
{
    Istr* item = new (std::nothrow) Istr(static_cast<uint32_t>(length + 1));
    if (item == nullptr || item->Buffer() == nullptr) {
        delete item;
        return;
    }
    memcpy(item->Buffer(), begin, length);
    item->Buffer()[length] = 0;
    if (list.Add(item) == 0 || ((list.Flags() & SC_UNIQUE) && !(list.Flags() & (SC_DUP_DELETE_NEW | SC_DUP_REPLACE_OLD)) && list.IndexOf(item) < 0))
        delete item;
}

void SplitMultiSz(SContainer& list, const char* text)
{
    for (const char* p = text; *p != 0; p += strlen(p) + 1)
        AddPiece(list, p, strlen(p));
}

void SplitPlain(SContainer& list, bool keepEmpty, const char* separators, const char* text)
{
    const char* start = text;
    for (const char* p = text;; ++p) {
        if (*p != 0 && !IsSeparator(separators, *p))
            continue;
        size_t length = static_cast<size_t>(p - start);
        if (length != 0 || keepEmpty)
            AddPiece(list, start, length);
        if (*p == 0)
            return;
        start = p + 1;
    }
}

void SplitQuoted(SContainer& list, bool keepEmpty, const char* separators, const char* text)
{
    size_t capacity = strlen(text) + 1;
    char* piece = static_cast<char*>(malloc(capacity));
    if (piece == nullptr)
        return;
    size_t length = 0;
    for (const char* p = text; *p != 0; ++p) {
        if (*p == '"') {
            // A group runs to the next quote or the end; separators inside
            // it are kept, the quotes are not.
            for (++p; *p != 0 && *p != '"'; ++p)
                piece[length++] = *p;
            if (*p == 0)
                break;
            continue;
        }
        if (IsSeparator(separators, *p)) {
            if (length != 0 || keepEmpty)
                AddPiece(list, piece, length);
            length = 0;
            continue;
        }
        piece[length++] = *p;
    }
    if (length != 0)
        AddPiece(list, piece, length);
    free(piece);
}

}  // namespace

void SplitIntoIstr(SContainer& list, uint32_t splitFlags, const char* separators, const char* text)
{
    // No text and an empty text both hold no pieces.
    if (text == nullptr || (*text == 0 && !(splitFlags & SPLIT_MULTI_SZ)))
        return;
    if (splitFlags & SPLIT_MULTI_SZ) {
        SplitMultiSz(list, text);
        return;
    }
    bool keepEmpty = (splitFlags & SPLIT_KEEP_EMPTY) != 0;
    if (splitFlags & SPLIT_QUOTES)
        SplitQuoted(list, keepEmpty, separators, text);
    else
        SplitPlain(list, keepEmpty, separators, text);
}

sstr JoinIstr(uint32_t splitFlags, const char* separator, const SContainer& list)
{
    sstr result;
    bool keepEmpty = (splitFlags & SPLIT_KEEP_EMPTY) != 0;
    for (uint32_t i = 0; i < list.Count(); ++i) {
        const char* text = static_cast<const Istr*>(list[i])->Text();
        if (text == nullptr)
            text = "";
        if (*text == 0 && !keepEmpty)
            continue;
        if (!result.IsEmpty())
            result.Append(separator);
        else if (result.c_str() == nullptr)
            result.Assign("");
        result.Append(text);
    }
    return result;
}
