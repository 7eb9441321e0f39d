#include "framework/base/ml_text.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "framework/base/message.h"

uint8_t g_mlLanguage = 0;

namespace {

constexpr size_t kRingSize = 0x10000;
constexpr size_t kResourceCut = 4095;

HMODULE g_languageModule = nullptr;  // null: the program's own instance
ResourceModuleHook g_resourceHook = nullptr;
RecodeHook g_recodeHook = nullptr;

// Each thread's ring of results, made on first use and found through a TLS
// slot of this module. Every ring is also chained into one list that the
// module frees when it is unloaded (or the process ends); a ring of a thread
// that ended stays until then. A thread_local with a destructor would free
// each ring at its thread's end, but it pins a DLL in memory until the
// process ends, so that FreeLibrary could not unload it.
struct Ring {
    char* base;
    char* pos;
    Ring* next;
};

SRWLOCK g_ringLock = SRWLOCK_INIT;
std::atomic<DWORD> g_ringSlot{TLS_OUT_OF_INDEXES};
Ring* g_rings = nullptr;  // under g_ringLock

// The calling thread's ring, or null before its first result.
Ring* ThreadRing()
{
    const DWORD slot = g_ringSlot.load(std::memory_order_acquire);
    return slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<Ring*>(TlsGetValue(slot));
}

// Makes the calling thread's ring; null when memory or a TLS slot is lacking.
Ring* NewThreadRing()
{
    Ring* ring = static_cast<Ring*>(malloc(sizeof(Ring)));
    char* base = static_cast<char*>(malloc(kRingSize));
    if (!ring || !base) {
        free(ring);
        free(base);
        return nullptr;
    }
    *ring = Ring{base, base, nullptr};
    AcquireSRWLockExclusive(&g_ringLock);
    DWORD slot = g_ringSlot.load(std::memory_order_relaxed);
    if (slot == TLS_OUT_OF_INDEXES) {
        slot = TlsAlloc();
        g_ringSlot.store(slot, std::memory_order_release);
    }
    const bool kept = slot != TLS_OUT_OF_INDEXES && TlsSetValue(slot, ring);
    if (kept) {
        ring->next = g_rings;
        g_rings = ring;
    }
    ReleaseSRWLockExclusive(&g_ringLock);
    if (!kept) {
        free(base);
        free(ring);
        return nullptr;
    }
    return ring;
}

// Frees every thread's ring and the slot when the module goes away. It is
// built before the module's other static objects (lowest priority number),
// so it is destroyed after them: their destructors may still want texts.
struct RingRelease {
    ~RingRelease()
    {
        AcquireSRWLockExclusive(&g_ringLock);
        Ring* ring = g_rings;
        g_rings = nullptr;
        const DWORD slot = g_ringSlot.exchange(TLS_OUT_OF_INDEXES);
        if (slot != TLS_OUT_OF_INDEXES) TlsFree(slot);
        ReleaseSRWLockExclusive(&g_ringLock);
        while (ring) {
            Ring* next = ring->next;
            free(ring->base);
            free(ring);
            ring = next;
        }
    }
};
RingRelease g_ringRelease __attribute__((init_priority(101)));

// True when text lies in the calling thread's ring (a result of GetMLText).
bool InRing(const char* text)
{
    const Ring* ring = ThreadRing();
    return ring && text >= ring->base && text < ring->base + kRingSize;
}

// Copies `length` bytes of `source` as one result; a result longer than the
// ring is cut so that it always fits.
char* RingCopy(const char* source, size_t length)
{
    Ring* found = ThreadRing();
    if (!found) found = NewThreadRing();
    if (!found) return nullptr;
    Ring& ring = *found;
    if (length > kRingSize - 1) length = kRingSize - 1;
    size_t used = static_cast<size_t>(ring.pos - ring.base);
    if (kRingSize - used < length + 1) ring.pos = ring.base;
    char* result = ring.pos;
    memmove(result, source, length);
    result[length] = 0;
    ring.pos = result + length + 1;
    return result;
}

// Algorithms of the cut: the half of the current language, or the whole.
const char* Cut(const char* source, bool whole, bool converted = false)
{
    const char* start = source;
    size_t length = strlen(source);
    if (!whole) {
        const char* bar = strchr(source, '|');
        if (bar) {
            if (g_mlLanguage) {
                start = bar + 1;
                length = strlen(start);
            } else {
                length = static_cast<size_t>(bar - source);
            }
        }
    }
    // A result of this thread's ring has been converted already: cutting it
    // again must not convert it a second time (a 1251 text made only of the
    // letters 0xE0-0xEF would pass the check and be garbled).
    converted = converted || InRing(source);
    char* result = RingCopy(start, length);
    if (!result) return "";
    if (!converted) RecodeCP866(true, result);
    return result;
}

const char* ResourceText(uint32_t id, bool whole)
{
    HMODULE module = ResourceModuleFor(RT_RCDATA, id);
    if (g_languageModule && g_languageModule != GetProgramInstance()) module = g_languageModule;
    char buffer[kResourceCut + 1];
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    if (data) {
        size_t size = SizeofResource(module, info);
        if (size > kResourceCut) size = kResourceCut;
        memcpy(buffer, data, size);
        buffer[size] = 0;
        return Cut(buffer, whole);
    }
    if (LoadStringA(module, id, buffer, sizeof buffer) > 0) return Cut(buffer, whole);
    return "";
}

const char* MLText(const char* text, bool whole)
{
    if (!text) return "";
    if (IsMessageId(text)) return ResourceText(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(text)), whole);
    return Cut(text, whole);
}

// The letter part of the code page 866 to 1251 mapping.
unsigned char Recode(unsigned char c)
{
    if (c >= 0x80 && c <= 0xAF) return static_cast<unsigned char>(c + 0x40);
    if (c >= 0xE0 && c <= 0xEF) return static_cast<unsigned char>(c + 0x10);
    return c;
}

}  // namespace

HMODULE GetProgramInstance()
{
    // The module this code is linked into: the program, or the DLL that
    // carries its own resources.
    static HMODULE instance = [] {
        HMODULE m = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&GetProgramInstance), &m);
        return m;
    }();
    return instance;
}

HMODULE GetLanguageModule() { return g_languageModule ? g_languageModule : GetProgramInstance(); }
void SetLanguageModule(HMODULE module) { g_languageModule = module; }

void SetResourceModuleHook(ResourceModuleHook hook) { g_resourceHook = hook; }

HMODULE ResourceModuleFor(const char* type, uint32_t id)
{
    if (g_resourceHook) {
        HMODULE m = g_resourceHook(type, id);
        if (m) return m;
    }
    return GetProgramInstance();
}

const char* GetMLText(const char* text) { return MLText(text, false); }

const char* GetMLResString(uint32_t id) { return ResourceText(id, false); }

const char* GetMLTextIn(uint8_t language, const char* text)
{
    uint8_t saved = g_mlLanguage;
    g_mlLanguage = language;
    const char* result = GetMLText(text);
    g_mlLanguage = saved;
    return result;
}

const char* GetMLSourceText(const char* text)
{
    if (text && !IsMessageId(text)) return text;
    return MLText(text, true);
}

const char* GetMLTextConverted(const char* text)
{
    if (!text) return "";
    if (IsMessageId(text)) return GetMLText(text);
    return Cut(text, false, true);
}

void SetRecodeHook(RecodeHook hook) { g_recodeHook = hook; }

void RecodeCP866(bool check, char* text)
{
    if (!text) return;
    if (g_recodeHook && !g_recodeHook()) return;
    if (check) {
        for (const unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p)
            if ((*p >= 0xC0 && *p <= 0xDF) || *p >= 0xF0) return;  // already code page 1251
    }
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) *p = Recode(*p);
}

MLCaption::MLCaption(const char* text)
{
    // An id's source text comes converted (whole) from the ring; only a
    // literal's Russian half still needs the conversion, and it gets it once.
    bool literal = text && !IsMessageId(text);
    const char* source = text ? GetMLSourceText(text) : "";
    const char* start = source;
    size_t length = strlen(source);
    bool convert = false;
    if (const char* bar = strchr(source, '|')) {
        if (g_mlLanguage) {
            start = bar + 1;
            length = strlen(start);
            convert = literal;
        } else {
            length = static_cast<size_t>(bar - source);
        }
    }
    char* out = inline_;
    if (length + 1 > sizeof inline_) {
        heap_ = static_cast<char*>(malloc(length + 1));
        if (heap_) out = heap_;
        else length = sizeof inline_ - 1;  // out of heap: a cut caption
    }
    memcpy(out, start, length);
    out[length] = 0;
    if (convert) RecodeCP866(true, out);
    data_ = out;
}

MLCaption::~MLCaption() { free(heap_); }

ResRCDATA::ResRCDATA(HMODULE module, uint32_t id)
{
    if (id) Load(module, id);
}

bool ResRCDATA::Load(HMODULE module, uint32_t id)
{
    Release();
    if (!module) module = ResourceModuleFor(RT_RCDATA, id);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    DWORD size = data ? SizeofResource(module, info) : 0;
    if (size == 0 || !Resize(size)) return false;
    memcpy(Data(), data, size);
    FreeResource(handle);
    return true;
}

uint32_t LocalizedResourceId(const char* type, uint32_t id)
{
    HMODULE module = ResourceModuleFor(type, id);
    // Ids are 16-bit: one whose Russian twin would not fit has none.
    if (g_mlLanguage && id + 10000 <= 0xFFFF && FindResourceA(module, MAKEINTRESOURCEA(id + 10000), type))
        return id + 10000;
    if (!FindResourceA(module, MAKEINTRESOURCEA(id), type))
        ShowMessageById(6795, id, GetKeyedText(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(type)), 6484));
    return id;
}
