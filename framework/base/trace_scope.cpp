#include "framework/base/trace_scope.h"

#include <windows.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>

#include "framework/base/sys_trace.h"
#include "framework/base/text_utils.h"

namespace {

int32_t g_indent = 0;

uint64_t QpcCounter()
{
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return static_cast<uint64_t>(v.QuadPart);
}

uint64_t QpcFrequency()
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? static_cast<uint64_t>(f.QuadPart) : 1;
}

PTraceScope::CounterSource g_counter = QpcCounter;
uint64_t g_frequency = 0;  // 0: ask the system on first use

uint64_t Frequency()
{
    if (!g_frequency) g_frequency = QpcFrequency();
    return g_frequency;
}

}  // namespace

void FormatTraceSuffix(uint64_t micros, uint32_t threshold, char* out, uint32_t size)
{
    if (!out || size == 0) return;
    out[0] = 0;
    if (micros < threshold) return;
    if (micros < (1ULL << 32)) {
        char digits[32];
        FormatThousands(digits, static_cast<uint32_t>(micros));
        snprintf(out, size, " /%s", digits);
    } else {
        snprintf(out, size, " /%" PRIu64, micros);
    }
}

PTraceScope::PTraceScope(const char* format, ...) : threshold_(10), enabled_(true)
{
    if (!g_fwSettings.tracing) return;
    char name[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(name, sizeof name, format ? format : "", args);
    va_end(args);
    Begin(name);
}

PTraceScope::PTraceScope(EnableTag, bool enable, const char* format, ...) : threshold_(10), enabled_(enable)
{
    if (!enable || !g_fwSettings.tracing) return;
    char name[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(name, sizeof name, format ? format : "", args);
    va_end(args);
    Begin(name);
}

void PTraceScope::BeginMethod(const std::type_info& type, const char* format, __builtin_va_list args)
{
    char name[256];
    ClassName(type, name, sizeof name);
    size_t n = strlen(name);
    snprintf(name + n, sizeof name - n, "::");
    n = strlen(name);
    vsnprintf(name + n, sizeof name - n, format ? format : "", args);
    Begin(name);
}

void PTraceScope::Begin(const char* name)
{
    if (!enabled_ || !g_fwSettings.tracing || began_) return;
    start_ = g_counter();
    TracePrintf("%*s%s\n%*s{\n", g_indent, "", name ? name : "", g_indent, "");
    g_indent += 2;
    began_ = true;
}

PTraceScope::~PTraceScope()
{
    // Only a scope that began closes: one opened while tracing was off has
    // no start time and wrote no opening brace.
    if (!began_ || !enabled_ || !g_fwSettings.tracing) return;
    g_indent -= 2;
    uint64_t elapsed = (g_counter() - start_) * 1000000ULL / Frequency();
    char suffix[48];
    FormatTraceSuffix(elapsed, threshold_, suffix, sizeof suffix);
    TracePrintf("%*s}%s\n", g_indent, "", suffix);
}

void PTraceScope::ClassName(const std::type_info& type, char* out, uint32_t size)
{
    if (!out || size == 0) return;
    int status = 0;
    char* plain = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const char* name = (status == 0 && plain) ? plain : type.name();
    // The plain class name: without namespaces or template arguments' scope.
    const char* last = name;
    int depth = 0;
    for (const char* p = name; *p; ++p) {
        if (*p == '<') ++depth;
        else if (*p == '>') --depth;
        else if (depth == 0 && p[0] == ':' && p[1] == ':') last = p + 2;
    }
    snprintf(out, size, "%s", last);
    free(plain);
}

int32_t PTraceScope::Indent() { return g_indent; }
void PTraceScope::ResetIndent() { g_indent = 0; }

void PTraceScope::SetCounter(CounterSource counter, uint64_t frequency)
{
    g_counter = counter ? counter : QpcCounter;
    g_frequency = counter ? (frequency ? frequency : 1) : 0;
}
