#include "framework/base/scontainer.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "framework/base/istr.h"
#include "framework/base/local_heap.h"
#include "framework/base/parray.h"
#include "framework/base/sys_box.h"

namespace {

constexpr uint32_t kStaticSlots = 64;
constexpr uint32_t kDefaultDelta = 32;
constexpr uint32_t kLocalDelta = 0x4000;

constinit SContainer* g_staticContainers[kStaticSlots] = {};

// Releases the registered static containers and record arrays at exit.
struct StaticExitSweep {
    ~StaticExitSweep()
    {
        SContainer::SweepStatics();
        PArrayAsVector::SweepStatics();
    }
};
constinit StaticExitSweep g_exitSweep;

int CompareData(const void* a, const void* b)
{
    uint32_t x = (*static_cast<DIstr* const*>(a))->Data();
    uint32_t y = (*static_cast<DIstr* const*>(b))->Data();
    return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareDataDescending(const void* a, const void* b)
{
    return CompareData(b, a);
}

}  // namespace

int SContainer::DefaultCompare(const void* a, const void* b)
{
    const BaseObject* x = *static_cast<BaseObject* const*>(a);
    const BaseObject* y = *static_cast<BaseObject* const*>(b);
    if (x->IsEqual(y))
        return 0;
    return x->IsGreater(y) ? 1 : -1;
}

SContainer::SContainer(uint32_t flags, uint32_t delta) : delta_(delta), flags_(flags), active_(1)
{
    if (delta_ != 0)
        return;
    FwShowBox(MB_ICONSTOP, "Error", "SContainer: delta == 0!");
    if (IsDebuggerPresent())
        DebugBreak();
    delta_ = kDefaultDelta;
}

SContainer::~SContainer()
{
    // A registered static container releases its items here or in the exit
    // sweep, whichever comes first; the other then finds nothing to do.
    if (staticSlot_ >= 0) {
        active_ = 1;
        Flush();
        g_staticContainers[staticSlot_] = nullptr;
        staticSlot_ = -1;
        return;
    }
    Flush();
}

void SContainer::LazyInit() const
{
    if (delta_ != 0)
        return;
    flags_ = 0;
    delta_ = kDefaultDelta;
    active_ = 0;
    for (uint32_t i = 0; i < kStaticSlots; ++i) {
        if (g_staticContainers[i] == nullptr) {
            g_staticContainers[i] = const_cast<SContainer*>(this);
            staticSlot_ = static_cast<int8_t>(i);
            return;
        }
    }
}

void SContainer::SweepStatics()
{
    for (uint32_t i = 0; i < kStaticSlots; ++i) {
        SContainer* c = g_staticContainers[i];
        if (c == nullptr)
            continue;
        g_staticContainers[i] = nullptr;
        c->staticSlot_ = -1;
        c->active_ = 1;
        c->Flush();
    }
}

void SContainer::UnregisterStatic()
{
    Flush();
    if (staticSlot_ < 0)
        return;
    g_staticContainers[staticSlot_] = nullptr;
    staticSlot_ = -1;
}

int SContainer::Compare(const BaseObject* a, const BaseObject* b) const
{
    SCompareFunc compare = compare_ != nullptr ? compare_ : DefaultCompare;
    return compare(&a, &b);
}

void SContainer::SetComparator(SCompareFunc compare)
{
    LazyInit();
    compare_ = compare;
    sorted_ = 0;
}

bool SContainer::ResizeArray(uint32_t slots)
{
    if (slots == 0) {
        FreeArray();
        return true;
    }
    uint64_t bytes64 = static_cast<uint64_t>(slots) * sizeof(BaseObject*);
    if (bytes64 > 0xFFFFFFFFull)
        return false;
    uint32_t bytes = static_cast<uint32_t>(bytes64);
    bool local = bytes > PLocalHeap::kLargeBlock;
    void* block = nullptr;
    if (local && inLocalHeap_) {
        block = LocalHeap().Realloc(items_, bytes);
    } else if (!local && !inLocalHeap_) {
        block = realloc(items_, bytes);
    } else {
        // Crossing the limit: a new block in the other heap, then the copy.
        block = local ? LocalHeap().Alloc(bytes) : malloc(bytes);
        if (block != nullptr && items_ != nullptr) {
            uint32_t keep = (count_ < slots ? count_ : slots) * sizeof(BaseObject*);
            memcpy(block, items_, keep);
            if (inLocalHeap_)
                LocalHeap().Free(items_);
            else
                free(items_);
        }
    }
    if (block == nullptr)
        return false;
    items_ = static_cast<BaseObject**>(block);
    inLocalHeap_ = local ? 1 : 0;
    capacity_ = slots;
    return true;
}

bool SContainer::Grow()
{
    uint64_t slots = static_cast<uint64_t>(capacity_) + delta_;
    if (slots > kMaxSlots)
        return false;
    // The new capacity is committed only with its block: a refused or
    // failed growth leaves the container as it was.
    if (!ResizeArray(static_cast<uint32_t>(slots)))
        return false;
    if (inLocalHeap_ && delta_ < kLocalDelta)
        delta_ = kLocalDelta;
    return true;
}

void SContainer::ShrinkAfterDetach()
{
    if (capacity_ - count_ != delta_)
        return;
    // A failed shrink keeps the larger block, which is still sound.
    ResizeArray(capacity_ - delta_);
}

int SContainer::LinearIndex(const BaseObject* key) const
{
    for (uint32_t i = 0; i < count_; ++i) {
        if (Compare(key, items_[i]) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int SContainer::BinaryIndex(const BaseObject* key, uint32_t n) const
{
    uint32_t lo = 0;
    uint32_t hi = n;
    while (lo < hi) {
        uint32_t mid = lo + (hi - lo) / 2;
        int c = Compare(key, items_[mid]);
        if (c == 0) {
            // The first of several equal items (in sorted order).
            while (mid > 0 && Compare(key, items_[mid - 1]) == 0)
                --mid;
            return static_cast<int>(mid);
        }
        if (c > 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -1;
}

int SContainer::Find(const BaseObject* key) const
{
    LazyInit();
    if (key == nullptr || count_ == 0)
        return -1;
    if (flags_ & SC_DEFERRED_SORT) {
        uint32_t head = count_ - tail_;
        for (uint32_t i = head; i < count_; ++i) {
            if (Compare(key, items_[i]) == 0)
                return static_cast<int>(i);
        }
        return BinaryIndex(key, head);
    }
    if (flags_ & SC_SORTED) {
        if (!sorted_)
            const_cast<SContainer*>(this)->Sort();
        return BinaryIndex(key, count_);
    }
    return LinearIndex(key);
}

BaseObject* SContainer::FindItem(const BaseObject* key) const
{
    int i = Find(key);
    return i < 0 ? nullptr : items_[i];
}

int SContainer::FindLinear(const BaseObject* key) const
{
    LazyInit();
    if (key == nullptr)
        return -1;
    return LinearIndex(key);
}

BaseObject* SContainer::FindItemLinear(const BaseObject* key) const
{
    int i = FindLinear(key);
    return i < 0 ? nullptr : items_[i];
}

int SContainer::IndexOf(const BaseObject* item) const
{
    LazyInit();
    for (uint32_t i = 0; i < count_; ++i) {
        if (items_[i] == item)
            return static_cast<int>(i);
    }
    return -1;
}

int SContainer::Add(BaseObject* item)
{
    LazyInit();
    if (flags_ & SC_UNIQUE) {
        int i = (flags_ & SC_DEFERRED_SORT) ? Find(item) : LinearIndex(item);
        if (i >= 0) {
            if (flags_ & SC_DUP_DELETE_NEW) {
                delete item;
            } else if (flags_ & SC_DUP_REPLACE_OLD) {
                BaseObject* old = items_[i];
                items_[i] = item;
                if (old != item)
                    delete old;
            }
            return 1;
        }
    }
    if (count_ == capacity_ && !Grow())
        return 0;
    items_[count_++] = item;
    if (flags_ & SC_DEFERRED_SORT) {
        if (++tail_ >= kDeferredSortEvery)
            Sort();
    }
    sorted_ = 0;
    return 1;
}

// After items changed places: the order is no longer the comparator's, and
// a deferred-sort head touched at `lowest` must be sorted again so the
// binary search stays valid.
void SContainer::AfterReorder(uint32_t lowest)
{
    sorted_ = 0;
    if ((flags_ & SC_DEFERRED_SORT) && lowest < count_ - tail_)
        Sort();
}

int SContainer::Insert(uint32_t index, BaseObject* item)
{
    LazyInit();
    if (index > count_)
        return 0;
    uint32_t before = count_;
    int result = Add(item);
    // Only a grown count means the item sits last; a duplicate handled by the
    // policy or a refused growth leaves nothing to move.
    if (result == 0 || count_ != before + 1)
        return result;
    uint32_t last = count_ - 1;
    if (index == last)
        return result;
    BaseObject* moved = items_[last];
    if (items_[last] != item) {
        // The 128th append sorted the array: the item is somewhere else now.
        return result;
    }
    memmove(items_ + index + 1, items_ + index, (last - index) * sizeof(BaseObject*));
    items_[index] = moved;
    AfterReorder(index);
    return result;
}

BaseObject* SContainer::Detach(uint32_t index)
{
    LazyInit();
    if (index >= count_)
        return nullptr;
    BaseObject* item = items_[index];
    bool inTail = index >= count_ - tail_;
    memmove(items_ + index, items_ + index + 1, (count_ - index - 1) * sizeof(BaseObject*));
    --count_;
    if (inTail && tail_ > 0)
        --tail_;
    ShrinkAfterDetach();
    return item;
}

BaseObject* SContainer::DetachLast()
{
    LazyInit();
    return count_ == 0 ? nullptr : Detach(count_ - 1);
}

BaseObject* SContainer::Detach(const BaseObject* key)
{
    int i = Find(key);
    return i < 0 ? nullptr : Detach(static_cast<uint32_t>(i));
}

int SContainer::Destroy(uint32_t index)
{
    BaseObject* item = Detach(index);
    if (item == nullptr)
        return 0;
    if (!(flags_ & SC_NOT_OWNING))
        delete item;
    return 1;
}

BaseObject* SContainer::Last() const
{
    LazyInit();
    return count_ == 0 ? nullptr : items_[count_ - 1];
}

int SContainer::Replace(BaseObject* item, const BaseObject* key)
{
    int i = Find(key);
    if (i < 0)
        return Add(item);
    BaseObject* old = items_[i];
    items_[i] = item;
    if (old != item && !(flags_ & SC_NOT_OWNING))
        delete old;
    AfterReorder(static_cast<uint32_t>(i));
    return 1;
}

bool SContainer::Move(uint32_t i, int32_t n)
{
    LazyInit();
    int64_t target = static_cast<int64_t>(i) + n;
    if (count_ < 2 || i >= count_ || target < 0 || target >= count_)
        return false;
    uint32_t t = static_cast<uint32_t>(target);
    if (t == i)
        return true;
    BaseObject* item = items_[i];
    if (t > i)
        memmove(items_ + i, items_ + i + 1, (t - i) * sizeof(BaseObject*));
    else
        memmove(items_ + t + 1, items_ + t, (i - t) * sizeof(BaseObject*));
    items_[t] = item;
    AfterReorder(t < i ? t : i);
    return true;
}

void SContainer::Sort()
{
    LazyInit();
    QuickSortRecords(items_, count_, sizeof(BaseObject*), compare_ != nullptr ? compare_ : DefaultCompare);
    sorted_ = 1;
    tail_ = 0;
}

void SContainer::SortByData(bool descending)
{
    LazyInit();
    savedCompare_ = compare_;
    compare_ = descending ? CompareDataDescending : CompareData;
    Sort();
    compare_ = savedCompare_;
    // The items are in data order now, not in the comparator's.
    sorted_ = 0;
}

void SContainer::SetOwning(bool owning)
{
    LazyInit();
    if (owning)
        flags_ &= ~SC_NOT_OWNING;
    else
        flags_ |= SC_NOT_OWNING;
}

void SContainer::FreeArray()
{
    if (items_ != nullptr) {
        if (inLocalHeap_)
            LocalHeap().Free(items_);
        else
            free(items_);
    }
    items_ = nullptr;
    inLocalHeap_ = 0;
    count_ = 0;
    capacity_ = 0;
    tail_ = 0;
}

void SContainer::Flush()
{
    if (!active_)
        return;
    if (!(flags_ & SC_NOT_OWNING)) {
        // Last to first; the count drops first, so an item that leaves the
        // container in its destructor no longer finds itself.
        while (count_ > 0) {
            BaseObject* item = items_[--count_];
            delete item;
        }
    }
    FreeArray();
}
