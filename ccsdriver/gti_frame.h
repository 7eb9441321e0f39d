// What every GTI_ export has in common: the trace header, the device
// selection before each call into VOQ-MST, the error pair kept for the host,
// and the guard that keeps C++ exceptions inside the library.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/ui/trace_scope.h"

// Word 0: 0, or 0xFFFFFFFF after a failed master call; word 1: the code.
struct GtiErrorPair {
    uint32_t flag;
    uint32_t code;
};

extern GtiErrorPair g_gtiError;
extern const char* g_lastTracedExport;
extern uint32_t g_lastReportedCode;

// The trace scope of one export: opened with the header
// `<host>: "<export>"(<arguments>)` while the tracing flag is set; its
// closing brace shows the time from kGtiTraceThreshold microseconds on.
constexpr uint32_t kGtiTraceThreshold = 1000;
class GtiScope {
public:
    GtiScope(const char* exportName, const char* format = nullptr, ...) __attribute__((format(gnu_printf, 3, 4)));
    bool Traced() const { return scope_.has_value(); }
    // Closes the scope early (the "}" line).
    void End() { scope_.reset(); }

private:
    std::optional<PTraceScope> scope_;
};

enum class GtiParam : uint8_t { Hex = 0, Decimal = 1, Text = 2, PointerAndValue = 3 };
// "  name = value\n", or "  => value\n" for a result; written whatever the
// tracing flag says (the log writer decides).
void GtiTraceParam(GtiParam kind, const char* name, const void* pointer, bool isResult = false);
inline void GtiTraceValue(GtiParam kind, const char* name, uint32_t value, bool isResult = false)
{
    GtiTraceParam(kind, name, &value, isResult);
}

void SelectTmsDevice();
GtiErrorPair& SetGtiError(uint32_t code);
// The current-language text of the recorded code; "" when none is recorded.
const char* GtiErrorText();

// Runs an export's body; an exception that escapes it becomes `failure`.
template <typename R, typename F>
R GtiGuard(R failure, F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// Load-time state back to its start values (tests use it).
void ResetGtiFrame();
// The block-read guard and the last traced status back to their start values.
void ResetTargetOperations();
