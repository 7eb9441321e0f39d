// SContainer: a growable vector of BaseObject pointers with optional
// sorting, a duplicate policy and ownership of its items.
// PSContainer<T>: the typed front of one SContainer.
//
// A unique container (flag 4) without 8 or 0x10 answers 1 for a duplicate
// it did not keep: the caller still owns that item (compare FindItem's
// result with the item to know).
#pragma once

#include <cstdint>
#include <type_traits>

#include "framework/base/base_object.h"

class sstr;
class Istr;

enum : uint32_t {
    SC_SORTED = 0x01,       // binary search, sorting done lazily
    SC_NOT_OWNING = 0x02,   // items are never deleted by the container
    SC_UNIQUE = 0x04,       // an equal item is not added twice
    SC_DUP_DELETE_NEW = 0x08,   // with 4: a duplicate deletes the new item
    SC_DUP_REPLACE_OLD = 0x10,  // with 4: a duplicate replaces and deletes the old one
    SC_DEFERRED_SORT = 0x20,    // appends stay unsorted; re-sorted every 128 appends
};

// Compares two pointers to item pointers: negative, 0 or positive.
using SCompareFunc = int (*)(const void* a, const void* b);

// Zero-initialising tag: a container declared with it in static storage
// sets itself up on first use (flags 0, delta 32), stays inactive and is
// released by the exit sweep.
struct SStaticInit {};

class SContainer {
public:
    static constexpr uint32_t kMaxSlots = 0x3FFFFBFF;
    static constexpr uint32_t kDeferredSortEvery = 128;

    constexpr SContainer() : delta_(32), active_(1) {}
    explicit SContainer(uint32_t delta) : SContainer(0, delta) {}
    SContainer(uint32_t flags, uint32_t delta);
    constexpr explicit SContainer(SStaticInit) {}
    SContainer(const SContainer&) = delete;
    SContainer& operator=(const SContainer&) = delete;
    virtual ~SContainer();

    // 1 when the item is in the container or was handled by the duplicate
    // policy, 0 when the capacity (or memory) ran out (the caller keeps it).
    int Add(BaseObject* item);
    // Adds, then moves the new item to index (index <= count). Moves only
    // when the count grew.
    int Insert(uint32_t index, BaseObject* item);

    int Find(const BaseObject* key) const;
    BaseObject* FindItem(const BaseObject* key) const;
    int FindLinear(const BaseObject* key) const;
    BaseObject* FindItemLinear(const BaseObject* key) const;
    // Index of this very pointer, or -1.
    int IndexOf(const BaseObject* item) const;

    // The item (not deleted), or null when index >= count.
    BaseObject* Detach(uint32_t index);
    BaseObject* DetachLast();
    BaseObject* Detach(const BaseObject* key);
    // Detach and, when owning, delete. 1 when an item was removed.
    int Destroy(uint32_t index);

    BaseObject* Last() const;
    // The item equal to key is destroyed and item takes its index; else
    // item is added.
    int Replace(BaseObject* item, const BaseObject* key);
    // Moves the item at i by n places (i and i + n inside, count >= 2).
    bool Move(uint32_t i, int32_t n);

    void Sort();
    void SortByData(bool descending);
    void SetOwning(bool owning);
    // Frees the array without deleting items.
    void FreeArray();
    void Flush();
    void SetComparator(SCompareFunc compare);

    uint32_t Count() const { return count_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Delta() const { return delta_; }
    uint32_t Flags() const { return flags_; }
    bool IsSorted() const { return sorted_ != 0; }
    uint32_t UnsortedTail() const { return tail_; }
    bool InLocalHeap() const { return inLocalHeap_ != 0; }
    BaseObject* operator[](uint32_t index) const { return index < count_ ? items_[index] : nullptr; }
    BaseObject** Items() const { return items_; }

    // Exit sweep of the statically initialised containers (also run at exit).
    static void SweepStatics();
    // Takes a static container out of the table (it is flushed first,
    // which does nothing while it is inactive).
    void UnregisterStatic();

    static int DefaultCompare(const void* a, const void* b);

private:
    void LazyInit() const;
    void AfterReorder(uint32_t lowest);
    int LinearIndex(const BaseObject* key) const;
    int BinaryIndex(const BaseObject* key, uint32_t n) const;
    bool Grow();
    void ShrinkAfterDetach();
    bool ResizeArray(uint32_t slots);
    int Compare(const BaseObject* a, const BaseObject* b) const;

    mutable uint32_t count_ = 0;
    mutable BaseObject** items_ = nullptr;
    mutable uint32_t capacity_ = 0;
    mutable uint32_t delta_ = 0;
    mutable uint32_t flags_ = 0;
    mutable SCompareFunc compare_ = nullptr;
    mutable SCompareFunc savedCompare_ = nullptr;
    mutable uint8_t sorted_ = 0;
    mutable uint8_t inLocalHeap_ = 0;
    mutable uint8_t tail_ = 0;
    mutable uint8_t active_ = 0;
    mutable int8_t staticSlot_ = -1;
};

// Split flags for PSContainer<Istr>(text) and JoinIstr.
enum : uint32_t {
    SPLIT_QUOTES = 0x01,      // separator set with "..." groups
    SPLIT_KEEP_EMPTY = 0x02,  // empty pieces become items / are joined
    SPLIT_MULTI_SZ = 0x04,    // NUL-terminated strings ended by an empty one
};

// Fills list with Istr items cut from text.
void SplitIntoIstr(SContainer& list, uint32_t splitFlags, const char* separators, const char* text);
// The items' texts joined with separator (written before an item only when
// the result is already non-empty); empty items skipped unless flag 2.
sstr JoinIstr(uint32_t splitFlags, const char* separator, const SContainer& list);

template <class T>
class PSContainer {
public:
    constexpr PSContainer() = default;
    explicit PSContainer(uint32_t delta) : c_(delta) {}
    PSContainer(uint32_t flags, uint32_t delta) : c_(flags, delta) {}
    constexpr explicit PSContainer(SStaticInit tag) : c_(tag) {}
    // Split constructor: growth step 16, items cut from text.
    PSContainer(uint32_t flags, uint32_t splitFlags, const char* separators, const char* text)
        requires std::is_same_v<T, Istr>
        : c_(flags, 16)
    {
        SplitIntoIstr(c_, splitFlags, separators, text);
    }

    int Add(T* item) { return c_.Add(item); }
    int Insert(uint32_t index, T* item) { return c_.Insert(index, item); }
    int Find(const T* key) const { return c_.Find(key); }
    T* FindItem(const T* key) const { return static_cast<T*>(c_.FindItem(key)); }
    int FindLinear(const T* key) const { return c_.FindLinear(key); }
    T* FindItemLinear(const T* key) const { return static_cast<T*>(c_.FindItemLinear(key)); }
    int IndexOf(const T* item) const { return c_.IndexOf(item); }
    T* Detach(uint32_t index) { return static_cast<T*>(c_.Detach(index)); }
    T* DetachLast() { return static_cast<T*>(c_.DetachLast()); }
    T* Detach(const T* key) { return static_cast<T*>(c_.Detach(key)); }
    int Destroy(uint32_t index) { return c_.Destroy(index); }
    T* Last() const { return static_cast<T*>(c_.Last()); }
    int Replace(T* item, const T* key) { return c_.Replace(item, key); }
    bool Move(uint32_t i, int32_t n) { return c_.Move(i, n); }
    void Sort() { c_.Sort(); }
    void SortByData(bool descending) { c_.SortByData(descending); }
    void SetOwning(bool owning) { c_.SetOwning(owning); }
    void FreeArray() { c_.FreeArray(); }
    void Flush() { c_.Flush(); }
    void SetComparator(SCompareFunc compare) { c_.SetComparator(compare); }
    uint32_t Count() const { return c_.Count(); }
    T* operator[](uint32_t index) const { return static_cast<T*>(c_[index]); }
    SContainer& Base() { return c_; }
    const SContainer& Base() const { return c_; }
    operator SContainer&() { return c_; }
    operator const SContainer&() const { return c_; }

private:
    SContainer c_;
};
