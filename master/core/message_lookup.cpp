// Look-ups in the message table.
#include "master/core/error_record.h"
#include "master/core/message_table.h"

namespace mst {

namespace {

struct host_pair {
    uint16_t number;
    uint16_t value;
};

// Host table A: messages the host reports under kind 230. A zero value falls
// through to table B (0x46 is in neither with a number).
constexpr host_pair host_table_a[] = {{0x46, 0}, {0x47, 1}};

} // namespace

const message_entry* find_message(uint16_t number) {
    for (unsigned i = 0; i < message_count; ++i) {
        if (message_table[i].number == number)
            return &message_table[i];
    }
    return nullptr;
}

host_message lookup_host_message(uint16_t number) {
    for (const host_pair& pair : host_table_a) {
        if (pair.number == number && pair.value != 0)
            return {host_kind::table_a, pair.value};
    }
    const message_entry* entry = find_message(number);
    if (entry != nullptr && entry->host_number != 0)
        return {host_kind::table_b, entry->host_number};
    return {host_kind::table_b, 0};
}

} // namespace mst
