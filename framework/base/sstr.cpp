#include "framework/base/sstr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/base/fast_str.h"

sstr::sstr(const char* text) : text_(_fast_strdup(text)) {}

sstr::sstr(const sstr& other) : text_(_fast_strdup(other.text_)) {}

sstr::sstr(uint32_t n)
{
    if (n == 0)
        return;
    text_ = static_cast<char*>(malloc(n));
    if (text_ != nullptr)
        text_[0] = 0;
}

sstr& sstr::operator=(sstr&& other) noexcept
{
    if (this != &other) {
        Free();
        text_ = other.text_;
        other.text_ = nullptr;
    }
    return *this;
}

const char* sstr::Assign(const char* text)
{
    // Copy first, then release: text may point into the current value.
    char* copy = _fast_strdup(text);
    free(text_);
    text_ = copy;
    return text_;
}

const char* sstr::AssignIfChanged(const char* text)
{
    if (text_ != nullptr && text != nullptr && strcmp(text_, text) == 0)
        return text_;
    return Assign(text);
}

const char* sstr::Append(const char* text)
{
    if (text_ == nullptr)
        return Assign(text);
    if (text == nullptr)
        return text_;
    size_t a = strlen(text_);
    size_t b = strlen(text);
    char* joined = static_cast<char*>(malloc(a + b + 1));
    if (joined == nullptr)
        return text_;
    // A new block and two copies: text may lie inside the current value.
    memcpy(joined, text_, a);
    memcpy(joined + a, text, b + 1);
    free(text_);
    text_ = joined;
    return text_;
}

void sstr::Free()
{
    free(text_);
    text_ = nullptr;
}

bool sstr::operator==(const sstr& other) const
{
    return *this == other.text_;
}

bool sstr::operator==(const char* text) const
{
    if (text_ == nullptr || text == nullptr)
        return text_ == nullptr && text == nullptr;
    return strcmp(text_, text) == 0;
}

bool sstr::operator>(const sstr& other) const
{
    return text_ != nullptr && other.text_ != nullptr && strcmp(text_, other.text_) > 0;
}

sstr sstr::operator+(const char* text) const
{
    sstr result(*this);
    result.Append(text);
    return result;
}

sstr sstr::operator+(const sstr& other) const
{
    return *this + other.text_;
}

uint32_t sstr::Length() const
{
    return text_ == nullptr ? 0 : static_cast<uint32_t>(strlen(text_));
}

sstr sstr::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    sstr result = FormatV(format, args);
    va_end(args);
    return result;
}

sstr sstr::FormatV(const char* format, va_list args)
{
    sstr result;
    if (format == nullptr)
        return result;
    // Measure first, then format into a block of the exact size: no shared
    // per-thread buffer, no overflow.
    va_list measure;
    va_copy(measure, args);
    int n = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (n < 0)
        return result;
    char* text = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
    if (text == nullptr)
        return result;
    vsnprintf(text, static_cast<size_t>(n) + 1, format, args);
    result.text_ = text;
    return result;
}
