#include "framework/base/str.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/base/fast_str.h"
#include "framework/base/sstr.h"
#include "framework/base/sys_box.h"
#include "framework/base/sys_trace.h"

str::str(uint32_t n)
{
    Allocate(n + 1);
}

str::str(const char* text)
{
    if (text == nullptr)
        return;
    if (Allocate(static_cast<uint32_t>(strlen(text)) + 2))
        strcpy(text_, text);
}

str::str(const sstr& text) : str(text.c_str()) {}

bool str::Allocate(uint32_t capacity)
{
    if (capacity > kHeapLimit) {
        HGLOBAL handle = GlobalAlloc(GMEM_ZEROINIT, capacity);
        if (handle == nullptr) {
            char text[96];
            snprintf(text, sizeof text, "GlobalAlloc() failed to allocate memory block of size %u bytes", capacity);
            FwShowBox(MB_ICONSTOP, nullptr, text);
            ExitProcess(3);
        }
        void* p = GlobalLock(handle);
        if (p == nullptr) {
            FwShowBox(MB_ICONSTOP, nullptr, "GlobalLock() failed");
            ExitProcess(3);
        }
        global_ = handle;
        text_ = static_cast<char*>(p);
    } else {
        text_ = static_cast<char*>(malloc(capacity));
        if (text_ == nullptr)
            return false;
    }
    capacity_ = capacity;
    text_[0] = 0;
    text_[capacity - 1] = 0;
    return true;
}

bool str::Free()
{
    if (text_ == nullptr)
        return true;
    if (text_[capacity_ - 1] != 0) {
        // Something wrote over the end: the heap may be damaged, so the
        // block is reported and left allocated.
        FwShowBox(0, "Error", "str: write over end");
        TracePrintf("str: write over end\n");
        return false;
    }
    if (global_ != nullptr) {
        GlobalUnlock(global_);
        GlobalFree(global_);
        global_ = nullptr;
    } else {
        free(text_);
    }
    text_ = nullptr;
    capacity_ = 0;
    return true;
}

namespace {

// After a damaged guard the old block is abandoned (left allocated) so that
// the buffer can start afresh.
void Abandon(char*& text, uint32_t& capacity, void*& global)
{
    text = nullptr;
    capacity = 0;
    global = nullptr;
}

}  // namespace

char* str::Resize(uint32_t n)
{
    if (!Free())
        Abandon(text_, capacity_, global_);
    Allocate(n + 1);
    return text_;
}

char* str::Assign(const char* text)
{
    // Copy aside first: text may lie inside this buffer.
    char* copy = _fast_strdup(text);
    if (!Free())
        Abandon(text_, capacity_, global_);
    if (copy == nullptr)
        return nullptr;
    if (Allocate(static_cast<uint32_t>(strlen(copy)) + 2))
        strcpy(text_, copy);
    free(copy);
    return text_;
}

char* str::Append(const char* text)
{
    char* old = _fast_strdup(text_ != nullptr ? text_ : "");
    char* tail = _fast_strdup(text != nullptr ? text : "");
    if (old == nullptr || tail == nullptr) {
        free(old);
        free(tail);
        return text_;
    }
    if (!Free())
        Abandon(text_, capacity_, global_);
    size_t a = strlen(old);
    size_t b = strlen(tail);
    if (Allocate(static_cast<uint32_t>(a + b) + 2)) {
        memcpy(text_, old, a);
        memcpy(text_ + a, tail, b + 1);
    }
    free(old);
    free(tail);
    return text_;
}
