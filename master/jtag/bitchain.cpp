#include "master/jtag/bitchain.h"

namespace mst {

namespace {

uint32_t low_mask(uint32_t n) { return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1u; }

// Bits [p, p + len) of a raw word array, len 1..32, touching only the words
// that hold those bits: the reply area and exactly sized chains have no
// slack word after their last one.
uint32_t read_raw(const uint32_t* src, uint32_t p, uint32_t len)
{
    const uint32_t w = p / 32;
    const uint32_t s = p % 32;
    uint32_t v = src[w] >> s;
    if (s != 0 && s + len > 32)
        v |= src[w + 1] << (32 - s);
    return v & low_mask(len);
}

// Moves every bit of words [0, new_words) up by k (1..31); a word at or past
// old_words is not read.
void shift_words_up(uint32_t* words, uint32_t old_words, uint32_t new_words, uint32_t k)
{
    for (uint32_t i = new_words; i-- > 0;) {
        const uint32_t here = i < old_words ? words[i] : 0;
        const uint32_t below = (i > 0 && i - 1 < old_words) ? words[i - 1] : 0;
        words[i] = (here << k) | (below >> (32 - k));
    }
}

} // namespace

uint32_t bitchain::rotate(uint32_t value, uint32_t k)
{
    k %= 32;
    return k == 0 ? value : (value << k) | (value >> (32 - k));
}

bool bitchain::attach(uint32_t* storage, uint32_t n)
{
    release();
    words = storage;
    count = n;
    return true;
}

uint32_t* bitchain::allocate(uint32_t n)
{
    release();
    words = new uint32_t[words_for(n) == 0 ? 1 : words_for(n)]();
    owned = true;
    count = n;
    return words;
}

void bitchain::release()
{
    if (words == nullptr)
        return;
    if (owned)
        delete[] words;
    words = nullptr;
    owned = false;
}

uint32_t bitchain::bits_at(uint32_t position, uint32_t n) const
{
    if (n == 0 || position >= count)
        return 0;
    if (n > 32)
        n = 32;
    if (n > count - position)
        n = count - position;
    return read_raw(words, position, n);
}

void bitchain::set_field(uint32_t length, uint32_t position, uint32_t value)
{
    if (position >= count)
        return;
    if (length == 0 || length > count - position)
        length = count - position;
    const uint32_t s = position % 32;
    const uint32_t first = position / 32;
    const uint32_t rot = rotate(value, s);
    if (s + length <= 32) {
        const uint32_t m = low_mask(length) << s;
        words[first] = (words[first] & ~m) | (rot & m);
        return;
    }
    words[first] = (words[first] & low_mask(s)) | (rot & ~low_mask(s));
    const uint64_t end = uint64_t{position} + length;
    const uint32_t last = static_cast<uint32_t>((end - 1) / 32);
    for (uint32_t i = first + 1; i < last; ++i)
        words[i] = rot;
    const uint32_t e = static_cast<uint32_t>(end % 32);
    words[last] = e == 0 ? rot : (words[last] & ~low_mask(e)) | (rot & low_mask(e));
}

void bitchain::append_value(uint32_t value, uint32_t k)
{
    if (k == 0)
        return;
    const uint32_t s = count % 32;
    const uint32_t first = count / 32;
    const uint32_t rot = rotate(value, s);
    words[first] = (words[first] & low_mask(s)) | (rot & ~low_mask(s));
    // Only the words that hold the new bits: a count ending on a word
    // boundary must not touch the word after it.
    const uint32_t last = static_cast<uint32_t>((uint64_t{count} + k - 1) / 32);
    for (uint32_t i = first + 1; i <= last; ++i)
        words[i] = rot;
    count += k;
}

void bitchain::append_chain(const bitchain& other)
{
    const uint32_t n = other.count;
    if (n == 0)
        return;
    const uint32_t s = count % 32;
    const uint32_t base = count / 32;
    const uint32_t last = static_cast<uint32_t>((uint64_t{count} + n - 1) / 32);
    // The first word keeps its bits below the count; every word is then
    // stored, not or-ed: the bits above the count may hold anything.
    const uint32_t head = 32 - s < n ? 32 - s : n;
    words[base] = (words[base] & low_mask(s)) | (read_raw(other.words, 0, head) << s);
    for (uint32_t d = base + 1; d <= last; ++d) {
        const uint32_t off = 32 * d - count;
        const uint32_t len = n - off < 32 ? n - off : 32;
        words[d] = read_raw(other.words, off, len);
    }
    count += n;
}

bool bitchain::extract_field(uint32_t position, bitchain& target) const
{
    const uint32_t n = target.count;
    if (uint64_t{position} + n > count)
        return false;
    const uint32_t full = n / 32;
    for (uint32_t i = 0; i < full; ++i)
        target.words[i] = read_raw(words, position + 32 * i, 32);
    const uint32_t rest = n % 32;
    if (rest == 0)
        return true;
    const uint32_t v = read_raw(words, position + 32 * full, rest);
    // The target may be smaller than a whole word (a byte or u16 field):
    // store only the bytes the bits need, low byte first.
    auto* bytes = reinterpret_cast<uint8_t*>(target.words + full);
    const uint32_t nbytes = rest <= 8 ? 1 : rest <= 16 ? 2 : 4;
    for (uint32_t b = 0; b < nbytes; ++b)
        bytes[b] = static_cast<uint8_t>(v >> (8 * b));
    return true;
}

void bitchain::copy_from_words(uint32_t position, const uint32_t* source, uint32_t n)
{
    count = n;
    for (uint32_t i = 0; 32 * i < n; ++i) {
        const uint32_t len = n - 32 * i < 32 ? n - 32 * i : 32;
        words[i] = read_raw(source, position + 32 * i, len);
    }
}

bool bitchain::find_pattern(uint32_t& position, const bitchain& pattern) const
{
    const uint32_t len = pattern.count;
    if (len == 0 || position > count || len > count - position)
        return false;
    const uint32_t first_len = len < 16 ? len : 16;
    const uint32_t first = pattern.bits_at(0, first_len);
    const uint32_t end = count - len + 1;
    for (uint32_t p = position; p < end; ++p) {
        if (bits_at(p, first_len) != first)
            continue;
        bool match = true;
        for (uint32_t u = 16; u < len && match; u += 16) {
            const uint32_t ulen = len - u < 16 ? len - u : 16;
            match = bits_at(p + u, ulen) == pattern.bits_at(u, ulen);
        }
        if (match) {
            position = p;
            return true;
        }
    }
    position = end;
    return false;
}

bool bitchain::find_masked(uint32_t& position, uint32_t length, const uint32_t* mask,
                           const uint32_t* value) const
{
    if (length == 0 || length > 128)
        return false;
    uint32_t buffer[4] = {};
    bitchain field;
    field.attach(buffer, length);
    const uint32_t nwords = words_for(length);
    for (uint32_t p = position;; ++p) {
        if (!extract_field(p, field)) {
            position = p;
            return false;
        }
        bool match = true;
        for (uint32_t i = 0; i < nwords && match; ++i) {
            uint32_t m = mask != nullptr ? mask[i] : 0xFFFFFFFFu;
            if (i == nwords - 1)
                m &= low_mask(length - 32 * i);
            match = (buffer[i] & m) == (value[i] & m);
        }
        if (match) {
            position = p;
            return true;
        }
    }
}

bool bitchain::find_field(uint32_t& position, uint32_t length, uint32_t mask, uint32_t value) const
{
    if (length > 32)
        return false;
    return find_masked(position, length, &mask, &value);
}

bool bitchain::equals(const bitchain& other) const
{
    if (count != other.count)
        return false;
    for (uint32_t i = 0; 32 * i < count; ++i) {
        const uint32_t len = count - 32 * i < 32 ? count - 32 * i : 32;
        if (read_raw(words, 32 * i, len) != read_raw(other.words, 32 * i, len))
            return false;
    }
    return true;
}

uint32_t bitchain::pad_to_byte(uint32_t value)
{
    const uint32_t r = count % 8;
    if (r == 0)
        return 0;
    const uint32_t k = 8 - r;
    // A byte boundary never crosses a word boundary: the word count stays.
    shift_in(value, k);
    return k;
}

bool bitchain::shift_in(uint32_t value, uint32_t k)
{
    if (k == 0)
        return true;
    if (k > 31)
        return false;
    shift_words_up(words, words_for(count), words_for(count + k), k);
    words[0] = (words[0] & ~low_mask(k)) | (value & low_mask(k));
    count += k;
    return true;
}

void list_elem::insert_at_tail(elem_list& into)
{
    remove();
    prev = into.tail;
    next = nullptr;
    list = &into;
    if (into.tail != nullptr)
        into.tail->next = this;
    else
        into.head = this;
    into.tail = this;
}

void list_elem::remove()
{
    if (list == nullptr)
        return;
    if (prev != nullptr)
        prev->next = next;
    else
        list->head = next;
    if (next != nullptr)
        next->prev = prev;
    else
        list->tail = prev;
    prev = next = nullptr;
    list = nullptr;
}

} // namespace mst
