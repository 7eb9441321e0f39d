#include "framework/base/parray.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "framework/base/sys_box.h"

namespace {

constexpr uint32_t kStaticSlots = 64;
constexpr uint32_t kDefaultDelta = 32;

constinit PArrayAsVector* g_staticArrays[kStaticSlots] = {};

// A record handed in by the caller, copied aside when it lies inside the
// block that is about to move or be overwritten.
class RecordSource {
public:
    RecordSource(const void* record, uint32_t bytes, const void* block, uint32_t blockSize)
        : record_(record)
    {
        const char* r = static_cast<const char*>(record);
        const char* b = static_cast<const char*>(block);
        if (record == nullptr || block == nullptr || r < b || r >= b + blockSize)
            return;
        copy_ = malloc(bytes);
        if (copy_ != nullptr)
            memcpy(copy_, record, bytes);
        record_ = copy_;
    }
    ~RecordSource() { free(copy_); }
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;
    const void* Get() const { return record_; }

private:
    const void* record_;
    void* copy_ = nullptr;
};

}  // namespace

PArrayAsVector::PArrayAsVector(uint32_t elementSize, uint32_t delta, uint32_t initialRecords)
    : count_(0), delta_(delta == 0 ? kDefaultDelta : delta), elementSize_(elementSize)
{
    if (initialRecords != 0)
        Reserve(initialRecords);
}

PArrayAsVector::~PArrayAsVector()
{
    // A registered static array frees its block here or in the exit sweep,
    // whichever comes first.
    if (staticSlot_ >= 0) {
        g_staticArrays[staticSlot_] = nullptr;
        staticSlot_ = -1;
        owns_ = 1;
        Release();
    }
}

void PArrayAsVector::InitStatic(uint32_t elementSize)
{
    if (elementSize_ != 0)
        return;
    elementSize_ = elementSize;
    delta_ = kDefaultDelta;
    for (uint32_t i = 0; i < kStaticSlots; ++i) {
        if (g_staticArrays[i] == nullptr) {
            g_staticArrays[i] = this;
            staticSlot_ = static_cast<int8_t>(i);
            return;
        }
    }
}

void PArrayAsVector::SweepStatics()
{
    for (uint32_t i = 0; i < kStaticSlots; ++i) {
        PArrayAsVector* a = g_staticArrays[i];
        if (a == nullptr)
            continue;
        g_staticArrays[i] = nullptr;
        a->staticSlot_ = -1;
        a->owns_ = 1;
        a->Clear();
    }
}

void PArrayAsVector::UnregisterStatic()
{
    Clear();
    if (staticSlot_ < 0)
        return;
    g_staticArrays[staticSlot_] = nullptr;
    staticSlot_ = -1;
}

bool PArrayAsVector::Reserve(uint32_t records)
{
    if (elementSize_ == 0)
        return false;
    uint32_t capacity = size_ / elementSize_;
    if (records <= capacity)
        return true;
    uint64_t bytes = static_cast<uint64_t>(records) * elementSize_;
    if (bytes > 0x7FFFFFFFull)
        return false;
    return Resize(static_cast<uint32_t>(bytes));
}

int PArrayAsVector::Append(const void* record)
{
    if (record == nullptr || elementSize_ == 0)
        return 0;
    RecordSource source(record, elementSize_, data_, size_);
    if (source.Get() == nullptr)
        return 0;
    uint32_t capacity = size_ / elementSize_;
    if (count_ == capacity && !Reserve(capacity + delta_))
        return 0;
    memcpy(Slot(count_), source.Get(), elementSize_);
    ++count_;
    return 1;
}

int PArrayAsVector::Append(const void* records, uint32_t n)
{
    if (n == 0)
        return 1;
    if (records == nullptr || elementSize_ == 0)
        return 0;
    uint64_t bytes = static_cast<uint64_t>(n) * elementSize_;
    if (bytes > 0x7FFFFFFFull)
        return 0;
    RecordSource source(records, static_cast<uint32_t>(bytes), data_, size_);
    if (source.Get() == nullptr || !Reserve(count_ + n))
        return 0;
    memcpy(Slot(count_), source.Get(), static_cast<size_t>(bytes));
    count_ += n;
    return 1;
}

int PArrayAsVector::Insert(uint32_t index, const void* record)
{
    if (index > count_ || record == nullptr || elementSize_ == 0)
        return 0;
    RecordSource source(record, elementSize_, data_, size_);
    if (source.Get() == nullptr)
        return 0;
    uint32_t capacity = size_ / elementSize_;
    if (count_ == capacity && !Reserve(capacity + delta_))
        return 0;
    memmove(Slot(index + 1), Slot(index), static_cast<size_t>(count_ - index) * elementSize_);
    memcpy(Slot(index), source.Get(), elementSize_);
    ++count_;
    return 1;
}

int PArrayAsVector::AppendDropFirst(const void* record)
{
    if (count_ == 0)
        return Append(record);
    if (record == nullptr)
        return 0;
    RecordSource source(record, elementSize_, data_, size_);
    if (source.Get() == nullptr)
        return 0;
    memmove(Slot(0), Slot(1), static_cast<size_t>(count_ - 1) * elementSize_);
    memcpy(Slot(count_ - 1), source.Get(), elementSize_);
    return 1;
}

void* PArrayAsVector::At(uint32_t index) const
{
    if (index < count_)
        return Slot(index);
    // A bad index is a program fault; going on would hand out a pointer
    // outside the records, so the process ends, after a debugger break too.
    if (IsDebuggerPresent())
        DebugBreak();
    else
        FwShowBox(MB_ICONSTOP, "Korvan Application", "Internal error: Invalid array index, exiting");
    ExitProcess(static_cast<UINT>(-1));
}

int32_t PArrayAsVector::IndexOf(const void* key) const
{
    if (key == nullptr)
        return kNotFound;
    for (uint32_t i = 0; i < count_; ++i) {
        if (memcmp(Slot(i), key, elementSize_) == 0)
            return static_cast<int32_t>(i);
    }
    return kNotFound;
}

void* PArrayAsVector::Find(const void* key) const
{
    int32_t i = IndexOf(key);
    return i == kNotFound ? nullptr : Slot(static_cast<uint32_t>(i));
}

bool PArrayAsVector::Remove(const void* key)
{
    int32_t i = IndexOf(key);
    return i != kNotFound && RemoveAt(static_cast<uint32_t>(i));
}

bool PArrayAsVector::RemoveAt(uint32_t index)
{
    if (index >= count_)
        return false;
    memmove(Slot(index), Slot(index + 1), static_cast<size_t>(count_ - index - 1) * elementSize_);
    --count_;
    return true;
}

void* PArrayAsVector::Pop()
{
    if (count_ == 0)
        return nullptr;
    --count_;
    return Slot(count_);
}

void* PArrayAsVector::Last() const
{
    return count_ == 0 ? nullptr : Slot(count_ - 1);
}

void PArrayAsVector::Sort(PRecordCompare compare)
{
    QuickSortRecords(data_, count_, elementSize_, compare);
}

void PArrayAsVector::Compact()
{
    if (count_ == 0) {
        Release();
        return;
    }
    Resize(count_ * elementSize_);
}

void PArrayAsVector::Clear()
{
    Release();
    count_ = 0;
}

void PArrayAsVector::MoveTo(PArrayAsVector& target)
{
    if (&target == this)
        return;
    target.Clear();
    HandOver(target);
    target.count_ = count_;
    target.elementSize_ = elementSize_;
    count_ = 0;
}
