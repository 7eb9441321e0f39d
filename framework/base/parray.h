// PArrayAsVector: an array of fixed-size records copied by value.
// FPArrayAsVector<T>: the typed front of one.
//
// At() with an index >= count is a fatal program fault: the box
// "Internal error: Invalid array index, exiting" (or a debugger break) and
// the process ends with exit code -1.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/base/dynarray.h"

// Record comparator for Sort: negative, 0 or positive.
using PRecordCompare = int (*)(const void* a, const void* b);

// Zero-initialising tag for record arrays in static storage: set up on
// first use, not owning until the exit sweep frees them.
struct PStaticInit {};

class PArrayAsVector : public DynArrayBase {
public:
    static constexpr int32_t kNotFound = 0x7FFFFFFF;

    PArrayAsVector(uint32_t elementSize, uint32_t delta, uint32_t initialRecords = 0);
    constexpr explicit PArrayAsVector(PStaticInit) { owns_ = 0; }
    ~PArrayAsVector() override;

    // Copies one record in; 1 on success, 0 when the memory ran out.
    int Append(const void* record);
    int Append(const void* records, uint32_t n);
    int Insert(uint32_t index, const void* record);
    // Drops the first record and appends (count stays; empty: appends).
    int AppendDropFirst(const void* record);

    void* At(uint32_t index) const;

    // Index of a record equal byte for byte; kNotFound when absent or null.
    int32_t IndexOf(const void* key) const;
    void* Find(const void* key) const;
    bool Remove(const void* key);
    bool RemoveAt(uint32_t index);
    // Pointer into the block, valid until the array changes; null if empty.
    void* Pop();
    void* Last() const;

    void Sort(PRecordCompare compare);
    void Compact();
    void Clear();
    // Moves the whole contents into target (its old contents freed).
    void MoveTo(PArrayAsVector& target);

    uint32_t Count() const { return count_; }
    uint32_t Delta() const { return delta_; }
    uint32_t ElementSize() const { return elementSize_; }

    // Lazy set-up of a PStaticInit array (element size still 0).
    void InitStatic(uint32_t elementSize);
    static void SweepStatics();
    void UnregisterStatic();

private:
    bool Reserve(uint32_t records);
    void* Slot(uint32_t index) const { return static_cast<char*>(data_) + index * elementSize_; }

    uint32_t count_ = 0;
    uint32_t delta_ = 0;
    uint32_t elementSize_ = 0;
    int8_t staticSlot_ = -1;
};

template <class T>
class FPArrayAsVector {
public:
    explicit FPArrayAsVector(uint32_t delta = 32, uint32_t initial = 0) : a_(sizeof(T), delta, initial) {}
    constexpr explicit FPArrayAsVector(PStaticInit tag) : a_(tag) {}
    int Append(const T& record) { a_.InitStatic(sizeof(T)); return a_.Append(&record); }
    int Append(const T* records, uint32_t n) { a_.InitStatic(sizeof(T)); return a_.Append(records, n); }
    int Insert(uint32_t index, const T& record) { a_.InitStatic(sizeof(T)); return a_.Insert(index, &record); }
    int AppendDropFirst(const T& record) { a_.InitStatic(sizeof(T)); return a_.AppendDropFirst(&record); }
    T& At(uint32_t index) const { return *static_cast<T*>(a_.At(index)); }
    T& operator[](uint32_t index) const { return At(index); }
    int32_t IndexOf(const T& key) const { return a_.IndexOf(&key); }
    T* Find(const T& key) const { return static_cast<T*>(a_.Find(&key)); }
    bool Remove(const T& key) { return a_.Remove(&key); }
    bool RemoveAt(uint32_t index) { return a_.RemoveAt(index); }
    T* Pop() { return static_cast<T*>(a_.Pop()); }
    T* Last() const { return static_cast<T*>(a_.Last()); }
    void Sort(PRecordCompare compare) { a_.Sort(compare); }
    void Compact() { a_.Compact(); }
    void Clear() { a_.Clear(); }
    void MoveTo(FPArrayAsVector& target) { a_.MoveTo(target.a_); }
    uint32_t Count() const { return a_.Count(); }
    PArrayAsVector& Base() { return a_; }

private:
    PArrayAsVector a_;
};

// Shared quicksort (median of three, run of equal elements gathered in the
// middle). compare gets pointers to two elements.
void QuickSortRecords(void* base, uint32_t n, uint32_t elementSize, PRecordCompare compare);
