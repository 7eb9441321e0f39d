// PLocalHeap: the module's private Win32 heap for every block larger than
// 0xFFFF bytes, so large lists do not fragment the standard heap.
// Constant-initialised and created on first allocation; never destroyed.
#pragma once

#include <cstdint>

class PLocalHeap {
public:
    static constexpr uint32_t kInitialSize = 0x100000;
    static constexpr uint32_t kLargeBlock = 0xFFFF;  // blocks above this live here

    constexpr PLocalHeap() = default;

    // Zero-filled block (0 bytes taken as 1); null on failure (reported).
    void* Alloc(uint32_t size);
    void Free(void* block);
    // Null block allocates; the added bytes are zero-filled.
    void* Realloc(void* block, uint32_t size);

    void* Handle() const { return heap_; }

private:
    bool Create();

    void* heap_ = nullptr;
    uint32_t initialSize_ = kInitialSize;
};

// The module's heap object.
PLocalHeap& LocalHeap();
