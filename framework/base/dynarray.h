// DynArrayBase: a growable byte block; blocks above 0xFFFF bytes live in
// the module's PLocalHeap, smaller ones in the standard heap.
// DynArray<T>: the same with an element type.
#pragma once

#include <cstdint>

class DynArrayBase {
public:
    constexpr DynArrayBase() = default;
    // A zero-filled block of size bytes.
    explicit DynArrayBase(uint32_t size);
    // A copy of size bytes of data.
    DynArrayBase(const void* data, uint32_t size);
    DynArrayBase(const DynArrayBase&) = delete;
    DynArrayBase& operator=(const DynArrayBase&) = delete;
    virtual ~DynArrayBase();

    // Same size: nothing; 0 frees; growth zero-fills the added bytes.
    // False when the memory ran out (the block is left as it was).
    bool Resize(uint32_t size);
    void ZeroFill();
    // Hands the block over to target (whose old block is freed); this
    // array is left empty.
    void HandOver(DynArrayBase& target);
    // Frees the block (ownership only steers the destructor).
    void Release();

    void* Data() const { return data_; }
    uint32_t Size() const { return size_; }
    bool InLocalHeap() const { return inLocalHeap_ != 0; }
    bool Owns() const { return owns_ != 0; }
    void SetOwns(bool owns) { owns_ = owns ? 1 : 0; }

protected:
    void* data_ = nullptr;
    uint32_t size_ = 0;
    uint8_t inLocalHeap_ = 0;
    uint8_t owns_ = 1;
};

template <class T>
class DynArray : public DynArrayBase {
public:
    constexpr DynArray() = default;
    explicit DynArray(uint32_t count) : DynArrayBase(count * sizeof(T)) {}
    bool ResizeItems(uint32_t count) { return Resize(count * sizeof(T)); }
    uint32_t ItemCount() const { return size_ / sizeof(T); }
    T* Items() const { return static_cast<T*>(data_); }
    T& operator[](uint32_t i) const { return Items()[i]; }
};
