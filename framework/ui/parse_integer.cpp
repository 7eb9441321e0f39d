#include "framework/ui/parse_integer.h"

#include <string>

#include "framework/ui/message.h"

namespace {

constexpr uint16_t kBadNumberMessage = 8055;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

ParsedInteger Parse(const char* input)
{
    ParsedInteger result;
    std::string text = input ? input : "";
    size_t start = 0;
    while (start < text.size() && IsSpace(text[start])) ++start;
    size_t end = text.size();
    while (end > start && IsSpace(text[end - 1])) --end;
    text = text.substr(start, end - start);

    bool negative = false;
    size_t pos = 0;
    if (pos < text.size() && text[pos] == '-') {
        negative = true;
        ++pos;
    }
    std::string digits = text.substr(pos);
    bool hex = false;
    if (!digits.empty() && (digits.back() == 'H' || digits.back() == 'h')) {
        digits.pop_back();
        hex = true;
    } else if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        hex = true;
    }
    if (digits.empty()) return result;
    uint64_t value = 0;
    for (char c : digits) {
        int d = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0) return result;
        const uint64_t base = hex ? 16 : 10;
        if (value > (UINT64_MAX - static_cast<uint64_t>(d)) / base) return result;  // beyond 64 bits
        value = value * base + static_cast<uint64_t>(d);
    }
    result.value = negative ? (~value + 1) : value;
    result.error = false;
    return result;
}

}  // namespace

ParsedInteger ParseInteger(bool quiet, const char* text)
{
    ParsedInteger result = Parse(text);
    if (result.error) {
        result.value = 0;
        if (!quiet) ShowMessageById(kBadNumberMessage, text ? text : "");
    }
    return result;
}

bool ParseBitString(const char* text, uint64_t& value)
{
    if (!text) return false;
    while (IsSpace(*text)) ++text;
    uint64_t v = 0;
    int count = 0;
    for (; *text == '0' || *text == '1'; ++text, ++count) {
        if (count == 64) return false;
        v = (v << 1) | static_cast<uint64_t>(*text - '0');
    }
    while (IsSpace(*text)) ++text;
    if (*text || count == 0) return false;
    value = v;
    return true;
}
