// Indented call-trace scopes.
//
// When tracing is on a scope writes, at the current indent n:
//   n blanks, the name, a line end; n blanks, "{", a line end;
//   ... what the operation traces at indent n + 2 ...
//   n blanks, "}", and " /<microseconds>" when the time reached the threshold.
// With tracing off a scope costs one flag test at each end. A scope that did
// not begin (tracing off, or disabled) writes nothing at its end either.
#pragma once

#include <cstdint>
#include <typeinfo>

#include "framework/base/hooks.h"
#include "framework/base/sys_trace.h"

class PTraceScope {
public:
    enum EnableTag { kEnable };
    enum MethodTag { kMethod };

    // Threshold 10 us.
    explicit PTraceScope(const char* format, ...) __attribute__((format(printf, 2, 3)));
    PTraceScope(EnableTag, bool enable, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Threshold 1000 us; the name is "<class of object>::" + the formatted text.
    template <typename T>
    PTraceScope(MethodTag, const T* object, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    ~PTraceScope();
    PTraceScope(const PTraceScope&) = delete;
    PTraceScope& operator=(const PTraceScope&) = delete;

    void Begin(const char* name);
    bool Began() const { return began_; }
    // The time from which the closing brace shows it; a caller that opens
    // one of the plain forms for its own kind of operation sets its own.
    void SetThreshold(uint32_t microseconds) { threshold_ = microseconds; }

    // The plain name of a class from its type information ("SDialog").
    static void ClassName(const std::type_info& type, char* out, uint32_t size);
    // The process-wide indent.
    static int32_t Indent();
    static void ResetIndent();
    // The time source; tests replace it (counter value and frequency).
    using CounterSource = uint64_t (*)();
    static void SetCounter(CounterSource counter, uint64_t frequency);

private:
    void BeginMethod(const std::type_info& type, const char* format, __builtin_va_list args);
    uint64_t start_ = 0;
    uint32_t threshold_;
    bool enabled_;
    bool began_ = false;
};

template <typename T>
PTraceScope::PTraceScope(MethodTag, const T* object, const char* format, ...)
    : threshold_(1000), enabled_(true) {
    if (!g_fwSettings.tracing) return;
    __builtin_va_list args;
    __builtin_va_start(args, format);
    BeginMethod(object ? typeid(*object) : typeid(T), format, args);
    __builtin_va_end(args);
}

// The elapsed-time suffix of a closing brace: "" below the threshold, else
// " /" and the microseconds (thousands separated by "," below 2^32).
void FormatTraceSuffix(uint64_t micros, uint32_t threshold, char* out, uint32_t size);
