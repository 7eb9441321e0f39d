#include "framework/base/ev_handler.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/base/trace_scope.h"

namespace {

// The process-wide handler list: constant-initialised, so handlers built by
// any static initialiser register safely; it grows by 128 entries.
struct HandlerList {
    PEvHandler** items;
    uint32_t count;
    uint32_t capacity;
    bool needsSort;
};
constinit HandlerList g_list = {nullptr, 0, 0, false};
constinit bool g_runPermission = true;
constinit PEvHandler* g_application = nullptr;
constinit MainWindowVisibleHook g_mainWindowVisible = nullptr;
constinit AppLanguageChangedHook g_appLanguageChanged = nullptr;

bool Before(const PEvHandler* a, const PEvHandler* b)
{
    if (a->Priority() != b->Priority()) return a->Priority() < b->Priority();
    return reinterpret_cast<uintptr_t>(a) < reinterpret_cast<uintptr_t>(b);
}

void SortList()
{
    // Insertion sort: the list is short and almost always nearly sorted.
    for (uint32_t i = 1; i < g_list.count; ++i) {
        PEvHandler* h = g_list.items[i];
        uint32_t j = i;
        for (; j > 0 && Before(h, g_list.items[j - 1]); --j) g_list.items[j] = g_list.items[j - 1];
        g_list.items[j] = h;
    }
    g_list.needsSort = false;
}

void AddToList(PEvHandler* h)
{
    if (g_list.count == g_list.capacity) {
        uint32_t capacity = g_list.capacity + 128;
        void* grown = realloc(g_list.items, capacity * sizeof(PEvHandler*));
        if (!grown) return;  // out of heap: the handler stays unregistered
        g_list.items = static_cast<PEvHandler**>(grown);
        g_list.capacity = capacity;
    }
    g_list.items[g_list.count++] = h;
    g_list.needsSort = true;
}

void RemoveFromList(PEvHandler* h)
{
    for (uint32_t i = 0; i < g_list.count; ++i) {
        if (g_list.items[i] != h) continue;
        memmove(&g_list.items[i], &g_list.items[i + 1], (g_list.count - i - 1) * sizeof(PEvHandler*));
        --g_list.count;
        return;
    }
}

bool Registered(const PEvHandler* h)
{
    for (uint32_t i = 0; i < g_list.count; ++i)
        if (g_list.items[i] == h) return true;
    return false;
}

// Calls `call` once on every handler registered at the start that is still
// registered when its turn comes; handlers may join, leave or move meanwhile.
template <typename F>
void SafeBroadcast(F call)
{
    // First and Last bracket every broadcast, also one that runs from
    // another module's static initialiser before ours.
    EnsureFrameworkEvHandlers();
    // A registration only marks the list; sort before the order is used.
    if (g_list.needsSort) SortList();
    std::vector<PEvHandler*> snapshot(g_list.items, g_list.items + g_list.count);
    // Grows with newcomers called in pass 1, so it never overflows.
    std::vector<PEvHandler*> called;
    called.reserve(snapshot.size());
    for (uint32_t i = 0; i < g_list.count; ++i) {
        PEvHandler* h = g_list.items[i];
        for (PEvHandler*& s : snapshot)
            if (s == h) s = nullptr;
        bool done = false;
        for (PEvHandler* c : called)
            if (c == h) done = true;
        if (done) continue;
        called.push_back(h);
        call(h);
    }
    // Handlers that the index skipped because the list shifted under it.
    for (PEvHandler* s : snapshot)
        if (s && Registered(s)) call(s);
    if (g_list.needsSort) SortList();
}

}  // namespace

PEvHandler::PEvHandler() { AddToList(this); }

PEvHandler::~PEvHandler() { RemoveFromList(this); }

void PEvHandler::SetPriority(uint32_t priority)
{
    if (priority == priority_) return;
    priority_ = priority;
    SortList();
}

void LastEvHandler::OnLanguageChange()
{
    if (g_appLanguageChanged) g_appLanguageChanged(1);
}

void SetAppLanguageChangedHook(AppLanguageChangedHook hook) { g_appLanguageChanged = hook; }
void SetEvApplication(PEvHandler* application) { g_application = application; }
PEvHandler* GetEvApplication() { return g_application; }
void SetMainWindowVisibleHook(MainWindowVisibleHook hook) { g_mainWindowVisible = hook; }

void EnsureFrameworkEvHandlers()
{
    // Built once; static objects, so exit destroys them (last built first).
    static FirstEvHandler first;
    static LastEvHandler last;
}

namespace {
// The framework's initialisation builds them at start-up, after the list
// (which needs none: it is constant-initialised).
[[maybe_unused]] const bool g_frameworkHandlersBuilt = (EnsureFrameworkEvHandlers(), true);
}  // namespace

uint32_t EvHandlerCount() { return g_list.count; }
bool EvHandlerRegistered(const PEvHandler* handler) { return Registered(handler); }
bool RunPermission() { return g_runPermission; }

namespace PEvHandlerDispatcher {

#define FW_BROADCAST0(Name)                                              \
    void Name()                                                          \
    {                                                                    \
        PTraceScope scope("PEvHandlerDispatcher::" #Name);               \
        SafeBroadcast([](PEvHandler* h) { h->Name(); });                 \
    }
#define FW_BROADCAST1(Name)                                              \
    void Name(uint32_t a)                                                \
    {                                                                    \
        PTraceScope scope("PEvHandlerDispatcher::" #Name);               \
        SafeBroadcast([a](PEvHandler* h) { h->Name(a); });               \
    }
#define FW_BROADCAST_STREAM(Name)                                        \
    void Name(INIStream* stream)                                         \
    {                                                                    \
        PTraceScope scope("PEvHandlerDispatcher::" #Name);               \
        SafeBroadcast([stream](PEvHandler* h) { h->Name(stream); });     \
    }
#define FW_BROADCAST2(Name)                                              \
    void Name(uint32_t a, uint32_t b)                                    \
    {                                                                    \
        PTraceScope scope("PEvHandlerDispatcher::" #Name);               \
        SafeBroadcast([a, b](PEvHandler* h) { h->Name(a, b); });         \
    }

FW_BROADCAST0(OnChipSelect)
FW_BROADCAST2(OnBeforeLoadProgram)
FW_BROADCAST2(OnAfterLoadProgram)
FW_BROADCAST1(OnRun)
FW_BROADCAST0(OnOptionsLoaded)
FW_BROADCAST_STREAM(OnOptionsRead)
FW_BROADCAST_STREAM(OnOptionsWrite)
FW_BROADCAST_STREAM(OnDesktopRead)
FW_BROADCAST_STREAM(OnDesktopWrite)
FW_BROADCAST_STREAM(OnColorsRead)
FW_BROADCAST_STREAM(OnColorsWrite)
FW_BROADCAST_STREAM(OnSessionRead)
FW_BROADCAST_STREAM(OnSessionWrite)
FW_BROADCAST0(OnProjectOpened)
FW_BROADCAST0(OnProjectClosed)
FW_BROADCAST0(OnLanguageChange)
FW_BROADCAST0(OnSymbolInfoLoad)
FW_BROADCAST0(OnSymbolInfoReset)
FW_BROADCAST0(OnMainEntry)
FW_BROADCAST0(OnBeforeExit)
FW_BROADCAST0(OnKeymapChange)
FW_BROADCAST0(OnColorsChange)
FW_BROADCAST0(OnTargetOptionsSet)
FW_BROADCAST0(OnTargetOptionsChanged)
FW_BROADCAST0(OnThemeChange)
FW_BROADCAST0(OnMainWindowCreate)
FW_BROADCAST0(OnBeforeBuild)
FW_BROADCAST0(OnAfterBuild)

void OnCustomEvent(uint32_t code, uintptr_t first, uintptr_t second)
{
    PTraceScope scope("PEvHandlerDispatcher::OnCustomEvent(%u, %" PRIuPTR ", %" PRIuPTR ")", code, first, second);
    SafeBroadcast([=](PEvHandler* h) { h->OnCustomEvent(code, first, second); });
}

void OnStop(uint32_t a)
{
    PTraceScope scope("PEvHandlerDispatcher::OnStop");
    // Permission first: a handler that asks to run from its OnStop may.
    g_runPermission = true;
    SafeBroadcast([a](PEvHandler* h) { h->OnStop(a); });
}

void OnError(uint32_t a, uint32_t b, uint32_t c)
{
    PTraceScope scope("PEvHandlerDispatcher::OnError");
    if (g_list.needsSort) SortList();
    for (uint32_t i = 0; i < g_list.count; ++i) g_list.items[i]->OnError(a, b, c);
}

bool OnBeforeRun(uint32_t a)
{
    if (!g_runPermission) return true;
    PTraceScope scope("PEvHandlerDispatcher::OnBeforeRun");
    PEvHandler* app = g_application;
    if (!app || !app->OnBeforeRun(a)) return false;
    bool agreed = true;
    SafeBroadcast([&](PEvHandler* h) {
        if (agreed && h != app) agreed = h->OnBeforeRun(a);
    });
    if (!agreed) return false;
    g_runPermission = false;
    return true;
}

bool OnQuery(uint32_t a, uint32_t b, uint32_t c)
{
    bool answered = false;
    SafeBroadcast([&](PEvHandler* h) {
        if (!answered) answered = h->OnQuery(a, b, c) != 0;
    });
    return answered;
}

uint32_t OnMainWindowEvent(uint32_t a)
{
    if (!g_mainWindowVisible || !g_mainWindowVisible()) return 0;
    uint32_t n = 0;
    SafeBroadcast([&](PEvHandler* h) {
        h->OnMainWindowEvent(a);
        ++n;
    });
    return n;
}

uint32_t OnNotify(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    uint32_t n = 0;
    SafeBroadcast([&](PEvHandler* h) {
        h->OnNotify(a, b, c, d);
        ++n;
    });
    return n;
}

}  // namespace PEvHandlerDispatcher
