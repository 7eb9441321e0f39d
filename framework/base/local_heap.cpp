#include "framework/base/local_heap.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/base/sys_box.h"

namespace {

constinit PLocalHeap g_localHeap;

// The caption of the heap's reports: the program's file name without
// folder and extension.
void ProgramBaseName(char* out, uint32_t size)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    snprintf(out, size, "%s", name);
    char* dot = strrchr(out, '.');
    if (dot != nullptr)
        *dot = 0;
}

void Report(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void Report(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char caption[MAX_PATH];
    ProgramBaseName(caption, sizeof caption);
    FwShowBox(MB_ICONSTOP, caption, text);
}

// HEAP_INFORMATION_CLASS 0 (HeapCompatibilityInformation), value 2: the
// low-fragmentation heap. Looked up by name: older systems lack it.
void EnableLowFragmentation(HANDLE heap)
{
    using SetInfoFn = BOOL(WINAPI*)(HANDLE, int, PVOID, SIZE_T);
    HMODULE kernel = GetModuleHandleA("kernel32");
    if (kernel == nullptr)
        return;
    auto fn = reinterpret_cast<SetInfoFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "HeapSetInformation")));
    if (fn == nullptr)
        return;
    ULONG value = 2;
    fn(heap, 0, &value, sizeof value);
}

}  // namespace

PLocalHeap& LocalHeap()
{
    return g_localHeap;
}

bool PLocalHeap::Create()
{
    if (heap_ != nullptr)
        return true;
    HANDLE heap = HeapCreate(0, initialSize_, 0);
    if (heap == nullptr) {
        Report("Unable to create local heap (%u bytes)", initialSize_);
        return false;
    }
    EnableLowFragmentation(heap);
    heap_ = heap;
    return true;
}

void* PLocalHeap::Alloc(uint32_t size)
{
    if (!Create())
        return nullptr;
    if (size == 0)
        size = 1;
    void* block = HeapAlloc(heap_, HEAP_ZERO_MEMORY, size);
    if (block == nullptr)
        Report("Unable to allocate %u bytes of memory from the local heap", size);
    return block;
}

void PLocalHeap::Free(void* block)
{
    if (block == nullptr || heap_ == nullptr)
        return;
    if (!HeapFree(heap_, 0, block))
        Report("Freeing local heap memory block failed");
}

void* PLocalHeap::Realloc(void* block, uint32_t size)
{
    if (block == nullptr)
        return Alloc(size);
    if (!Create())
        return nullptr;
    if (HeapSize(heap_, 0, block) == static_cast<SIZE_T>(-1)) {
        Report("Attempt to reallocate an invalid local heap memory block 0x%08X",
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(block)));
        return nullptr;
    }
    if (size == 0)
        size = 1;
    void* moved = HeapReAlloc(heap_, HEAP_ZERO_MEMORY, block, size);
    if (moved == nullptr)
        Report("Unable to reallocate a local heap memory block");
    return moved;
}
