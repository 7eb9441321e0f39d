// sstr: one owned heap text (malloc/realloc/free); null means no text.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cwchar>

class sstr {
public:
    constexpr sstr() = default;
    sstr(const char* text);
    sstr(const sstr& other);
    sstr(sstr&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
    // An empty buffer of n bytes (first byte NUL); n == 0 gives no text.
    explicit sstr(uint32_t n);
    ~sstr() { Free(); }

    sstr& operator=(const sstr& other) { Assign(other.text_); return *this; }
    sstr& operator=(sstr&& other) noexcept;
    sstr& operator=(const char* text) { Assign(text); return *this; }

    // Copies text (which may lie inside the current value); null frees.
    const char* Assign(const char* text);
    // Leaves the value alone when text equals it.
    const char* AssignIfChanged(const char* text);
    const char* Append(const char* text);
    void Free();

    bool operator==(const sstr& other) const;
    bool operator==(const char* text) const;
    // Both present and the byte comparison is greater than zero.
    bool operator>(const sstr& other) const;
    sstr operator+(const char* text) const;
    sstr operator+(const sstr& other) const;

    // printf-style formatting into an owned copy (C99 vsnprintf, sized to fit).
    static sstr Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
    static sstr FormatV(const char* format, va_list args);

    const char* c_str() const { return text_; }
    char* Buffer() { return text_; }
    operator const char*() const { return text_; }
    bool IsEmpty() const { return text_ == nullptr || text_[0] == 0; }
    uint32_t Length() const;
    // Hands the text over to the caller (who frees it with free()).
    char* Detach() { char* t = text_; text_ = nullptr; return t; }

private:
    char* text_ = nullptr;
};

// Code page 1251 <-> UTF-16 conversions. Results are malloc'ed (free()).
char* WideToCp1251(const wchar_t* text);          // null for null
wchar_t* Cp1251ToWide(const char* text);          // null for null
wchar_t* WideDup(const wchar_t* text);            // null for null
wchar_t* WideBuffer(uint32_t n);                  // n zeroed characters + NUL
sstr WideToSstr(const wchar_t* text);
// A copy converted with CharToOemA (OEM code page of the system).
sstr ToOemCopy(const char* text);
// Converts text from one code page to another through UTF-16; the result
// is sized from the conversion (multibyte targets may be longer).
sstr ConvertCodePage(const char* text, uint32_t fromCodePage, uint32_t toCodePage);
