#include "framework/base/dynarray.h"

#include <cstdlib>
#include <cstring>

#include "framework/base/local_heap.h"

DynArrayBase::DynArrayBase(uint32_t size)
{
    Resize(size);
}

DynArrayBase::DynArrayBase(const void* data, uint32_t size)
{
    if (Resize(size) && data != nullptr && size != 0)
        memcpy(data_, data, size);
}

DynArrayBase::~DynArrayBase()
{
    // A not-owning array (a static record array before the exit sweep)
    // leaves its block alone.
    if (owns_)
        Release();
}

bool DynArrayBase::Resize(uint32_t size)
{
    if (size == size_)
        return true;
    if (size == 0) {
        Release();
        return true;
    }
    bool local = size > PLocalHeap::kLargeBlock;
    void* block = nullptr;
    if (data_ != nullptr && local && inLocalHeap_) {
        block = LocalHeap().Realloc(data_, size);  // the heap zero-fills growth
    } else if (data_ != nullptr && !local && !inLocalHeap_) {
        block = realloc(data_, size);
        if (block != nullptr && size > size_)
            memset(static_cast<char*>(block) + size_, 0, size - size_);
    } else {
        block = local ? LocalHeap().Alloc(size) : calloc(1, size);
        if (block != nullptr && data_ != nullptr) {
            memcpy(block, data_, size < size_ ? size : size_);
            if (inLocalHeap_)
                LocalHeap().Free(data_);
            else
                free(data_);
        }
    }
    if (block == nullptr)
        return false;
    data_ = block;
    size_ = size;
    inLocalHeap_ = local ? 1 : 0;
    return true;
}

void DynArrayBase::ZeroFill()
{
    if (data_ != nullptr)
        memset(data_, 0, size_);
}

void DynArrayBase::HandOver(DynArrayBase& target)
{
    if (&target == this)
        return;
    target.Release();
    target.data_ = data_;
    target.size_ = size_;
    target.inLocalHeap_ = inLocalHeap_;
    target.owns_ = 1;
    data_ = nullptr;
    size_ = 0;
    inLocalHeap_ = 0;
}

void DynArrayBase::Release()
{
    if (data_ != nullptr) {
        if (inLocalHeap_)
            LocalHeap().Free(data_);
        else
            free(data_);
    }
    data_ = nullptr;
    size_ = 0;
    inLocalHeap_ = 0;
}
