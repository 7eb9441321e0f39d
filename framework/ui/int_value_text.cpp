#include "framework/ui/int_value_text.h"

#include <cinttypes>
#include <cstdio>

#include "framework/base/hooks.h"
#include "framework/base/text_utils.h"
#include "framework/ui/message.h"
#include "framework/ui/parse_integer.h"

namespace {
constexpr uint16_t kBadNumber = 8055;
constexpr uint16_t kBadHexNumber = 8121;
}  // namespace

std::string FormatIntValue(uint8_t displayType, bool wide, uint64_t value)
{
    char buffer[96] = "";
    const uint32_t narrow = static_cast<uint32_t>(value);
    switch (displayType) {
    case 0: FormatBits(wide ? BITS_QWORD : BITS_DWORD, wide ? value : narrow, buffer); break;
    case 1:
    case 10:
        if (wide) FormatHex0x64(buffer, value);
        else FormatHex0x(buffer, narrow);
        break;
    case 2:
        if (wide) snprintf(buffer, sizeof buffer, "%" PRIu64, value);
        else snprintf(buffer, sizeof buffer, "%" PRIu32, narrow);
        break;
    case 11:
        if (wide) snprintf(buffer, sizeof buffer, "%" PRId64, static_cast<int64_t>(value));
        else snprintf(buffer, sizeof buffer, "%" PRId32, static_cast<int32_t>(narrow));
        break;
    case 12:
        if (wide) {
            int64_t s = static_cast<int64_t>(value);
            uint64_t magnitude = s < 0 ? (~value + 1) : value;
            char hex[40];
            FormatHex0x64(hex, magnitude);
            snprintf(buffer, sizeof buffer, "%s%s", s < 0 ? "-" : "", hex);
        }
        break;
    case 13:
        if (wide) snprintf(buffer, sizeof buffer, "%016" PRIX64, value);
        else snprintf(buffer, sizeof buffer, "%08" PRIX32, narrow);
        break;
    default: break;
    }
    return buffer;
}

IntValueRead ReadIntValue(uint8_t displayType, bool wide, bool hexFlag, const char* text, bool quiet)
{
    IntValueRead result;
    const char* t = text ? text : "";
    if (displayType == 0) {
        // A bit string reads back as binary.
        result.ok = ParseBitString(t, result.value) && (wide || (result.value >> 32) == 0);
        if (!result.ok) {
            result.messageId = kBadNumber;
            if (!quiet) ShowMessageById(kBadNumber, t);
        }
        return result;
    }
    std::string source = displayType == 13 ? std::string("0x") + t : std::string(t);
    if (!wide && hexFlag) {
        g_fwSettings.badNumber = 0;
        uint32_t v = ParseNumberChecked(source.c_str());
        result.ok = !g_fwSettings.badNumber;
        result.value = v;
        if (!result.ok) {
            result.messageId = kBadHexNumber;
            if (!quiet) DoMessage("mf", static_cast<uint32_t>(kBadHexNumber), t);
        }
        return result;
    }
    if (!wide && g_fwHooks.parse && g_fwHooks.parse != &FwDefaultParse) {
        // The program evaluates numbers itself (expressions).
        result.value = g_fwHooks.parse(0, source.c_str());
        result.ok = true;
        return result;
    }
    ParsedInteger parsed = ParseInteger(true, source.c_str());
    result.ok = !parsed.error;
    if (result.ok && !wide) {
        // 32 bits: an unsigned value or a negative one that fits.
        int64_t s = static_cast<int64_t>(parsed.value);
        result.ok = (parsed.value >> 32) == 0 || (s < 0 && s >= INT32_MIN);
        parsed.value &= 0xFFFFFFFFu;
    }
    result.value = parsed.value;
    if (!result.ok) {
        result.value = 0;
        result.messageId = kBadNumber;
        if (!quiet) ShowMessageById(kBadNumber, t);
    }
    return result;
}
