// Bit chains: a count of bits over 32-bit words, the unit of every scan,
// register image and reply search of the engine.
//
// Bit i of a chain is bit (i mod 32) of word i / 32. Bit 0 is the first bit
// shifted: the bit nearest TDO in a captured stream, the first bit sent on
// TDI. Scans are assembled by appending at the high end. Bits above the count
// in the last word are not guaranteed to be zero; comparisons mask them.
#pragma once

#include <cstdint>

namespace mst {

struct bitchain {
    uint32_t count = 0;
    uint32_t* words = nullptr;
    // Set only by allocate(): release() never frees storage that belongs to
    // another object (engine buffers, the reply area, register value words).
    bool owned = false;

    static uint32_t words_for(uint32_t n) { return static_cast<uint32_t>((uint64_t{n} + 31) / 32); }
    static uint32_t rotate(uint32_t value, uint32_t k);

    bool attach(uint32_t* storage, uint32_t n);
    uint32_t* allocate(uint32_t n);
    void release();

    void set_field(uint32_t length, uint32_t position, uint32_t value);
    void append_value(uint32_t value, uint32_t k);
    void append_chain(const bitchain& other);
    bool extract_field(uint32_t position, bitchain& target) const;
    void copy_from_words(uint32_t position, const uint32_t* source, uint32_t n);

    bool find_pattern(uint32_t& position, const bitchain& pattern) const;
    // length <= 128; mask may be null (all bits compared).
    bool find_masked(uint32_t& position, uint32_t length, const uint32_t* mask,
                     const uint32_t* value) const;
    bool find_field(uint32_t& position, uint32_t length, uint32_t mask, uint32_t value) const;

    bool equals(const bitchain& other) const;
    uint32_t pad_to_byte(uint32_t value);
    // The caller guarantees room for count + k bits.
    bool shift_in(uint32_t value, uint32_t k);

    // Bits [position, position + n) for n <= 32, reading only words that hold
    // bits below the count. Bits at or above the count read as 0.
    uint32_t bits_at(uint32_t position, uint32_t n) const;
    bool bit(uint32_t i) const { return (words[i / 32] >> (i % 32)) & 1u; }
};

// Doubly linked list element by which the devices sit in the engine's list.
struct list_elem;

struct elem_list {
    list_elem* head = nullptr;
    list_elem* tail = nullptr;
};

struct list_elem {
    list_elem* prev = nullptr;  // towards the head
    list_elem* next = nullptr;  // towards the tail
    elem_list* list = nullptr;

    void insert_at_tail(elem_list& into);
    void remove();
};

} // namespace mst
