// str: a fixed-capacity text buffer whose last byte is a guard that must
// stay 0. Capacities above 4096 bytes come from the global heap.
#pragma once

#include <cstdint>

class sstr;

class str {
public:
    static constexpr uint32_t kHeapLimit = 4096;

    constexpr str() = default;
    // Capacity n + 1.
    explicit str(uint32_t n);
    // Capacity length + 2 and a copy; null text: no buffer.
    explicit str(const char* text);
    explicit str(const sstr& text);
    str(const str&) = delete;
    str& operator=(const str&) = delete;
    ~str() { Free(); }

    // Checks the guard; a damaged guard is reported ("str: write over end")
    // and the block is kept. Returns false then.
    bool Free();
    // A new empty buffer of n + 1 bytes (old contents lost).
    char* Resize(uint32_t n);
    // Copies text (which may lie inside the buffer); null leaves it empty
    // and returns null.
    char* Assign(const char* text);
    char* Append(const char* text);

    char* Text() const { return text_; }
    operator char*() const { return text_; }
    uint32_t Capacity() const { return capacity_; }
    bool IsGlobal() const { return global_ != nullptr; }

private:
    bool Allocate(uint32_t capacity);

    char* text_ = nullptr;
    uint32_t capacity_ = 0;
    void* global_ = nullptr;  // HGLOBAL, null for an ordinary heap block
};
