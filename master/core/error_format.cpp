// The bilingual text of the recorded code.
#include <cstdio>
#include <cstring>

#include "master/core/error_record.h"
#include "master/core/message_table.h"

namespace mst {

namespace {

// Appends the formatted text behind what buf holds, never past size bytes.
// Every placeholder of the table is an unsigned 32-bit one; unused
// parameters are ignored by the formatter.
void append_format(char* buf, size_t size, const char* format, const uint32_t* p) {
    const size_t used = std::strlen(buf);
    if (used + 1 >= size)
        return;
    std::snprintf(buf + used, size - used, format, unsigned{p[0]}, unsigned{p[1]},
                  unsigned{p[2]}, unsigned{p[3]}, unsigned{p[4]});
}

void append_text(char* buf, size_t size, const char* text) {
    const size_t used = std::strlen(buf);
    if (used + 1 >= size)
        return;
    std::snprintf(buf + used, size - used, "%s", text);
}

// The message texts for number n under its origin; nullptr = no texts at all.
const bilingual_text* body_of(uint16_t org, uint16_t n) {
    if (org == 0) {
        if (n == code_number(rc::plain_empty))
            return nullptr;
        if (n == code_number(rc::plain_deliver))
            return &find_message(code_number(rc::access_in_run))->text;
        return &unknown_message_text;
    }
    const message_entry* entry = find_message(n);
    return entry != nullptr ? &entry->text : &unknown_error_text;
}

} // namespace

const char* error_record::format_error() {
    const uint16_t n = code_number(code);
    const uint16_t org = code_origin(code);
    text_en[0] = '\0';
    text_ru[0] = '\0';

    if (n == 0) {
        const uint32_t whole[param_count] = {code};
        append_format(text_en, text_size, none_error_text.en, whole);
        append_format(text_ru, text_size, none_error_text.ru, whole);
    } else if (const bilingual_text* body = body_of(org, n); body != nullptr) {
        const uint32_t number[param_count] = {n};
        append_format(text_en, text_size, error_header_text.en, number);
        append_format(text_ru, text_size, error_header_text.ru, number);
        append_format(text_en, text_size, body->en, param);
        append_format(text_ru, text_size, body->ru, param);
    }

    append_text(text_en, text_size, "|");
    append_text(text_en, text_size, text_ru);
    return text_en;
}

} // namespace mst
