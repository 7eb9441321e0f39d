#include "framework/ui/trace_scope.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/base/hooks.h"

namespace {

std::string g_out;
uint64_t g_now = 0;

void CaptureSink(const char* format, va_list args)
{
    char buffer[2048];
    vsnprintf(buffer, sizeof buffer, format, args);
    g_out += buffer;
}

uint64_t FakeCounter() { return g_now; }

// A counter at 1 MHz makes counter steps microseconds.
class TraceScope : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_out.clear();
        g_now = 1000;
        g_fwHooks.traceSink = CaptureSink;
        g_fwSettings.tracing = 1;
        PTraceScope::SetCounter(FakeCounter, 1000000);
        PTraceScope::ResetIndent();
    }
    void TearDown() override
    {
        FwResetHooksAndSettings();
        PTraceScope::SetCounter(nullptr, 0);
        PTraceScope::ResetIndent();
    }
};

class SDialog {
public:
    virtual ~SDialog() = default;
};
class DlgLicense : public SDialog {};

TEST_F(TraceScope, WritesNameBracesAndElapsedTimeFromThreshold)
{
    struct Case {
        uint64_t micros;
        const char* closing;
    } cases[] = {
        {9, "}\n"},
        {10, "} /10\n"},  // the threshold itself counts
        {12345, "} /12,345\n"},
        {0x100000000ULL, "} /4294967296\n"},
    };
    for (const Case& c : cases) {
        g_out.clear();
        {
            PTraceScope scope("Op(%d)", 7);
            g_now += c.micros;
        }
        EXPECT_EQ(g_out, std::string("Op(7)\n{\n") + c.closing) << c.micros;
    }
}

TEST_F(TraceScope, NestedScopesIndentByTwoAndReturn)
{
    {
        PTraceScope outer("Outer");
        {
            PTraceScope inner("Inner");
            EXPECT_EQ(PTraceScope::Indent(), 4);
        }
    }
    EXPECT_EQ(g_out, "Outer\n{\n  Inner\n  {\n  }\n}\n");
    EXPECT_EQ(PTraceScope::Indent(), 0);
}

TEST_F(TraceScope, NothingWhenTracingOffOrScopeDisabled)
{
    g_fwSettings.tracing = 0;
    { PTraceScope scope("Off"); }
    g_fwSettings.tracing = 1;
    { PTraceScope scope(PTraceScope::kEnable, false, "Disabled"); }
    EXPECT_EQ(g_out, "");
    EXPECT_EQ(PTraceScope::Indent(), 0);
}

TEST_F(TraceScope, ScopeOpenedWhileOffStaysSilentWhenTracingTurnsOn)
{
    g_fwSettings.tracing = 0;
    {
        PTraceScope scope("Late");
        g_fwSettings.tracing = 1;
    }
    EXPECT_EQ(g_out, "");
    EXPECT_EQ(PTraceScope::Indent(), 0);
}

TEST_F(TraceScope, MethodFormNamesTheRunTimeClassWithThreshold1000)
{
    DlgLicense dialog;
    const SDialog* base = &dialog;
    {
        PTraceScope scope(PTraceScope::kMethod, base, "SetupWindow()");
        g_now += 999;
    }
    EXPECT_EQ(g_out, "DlgLicense::SetupWindow()\n{\n}\n");
}

TEST_F(TraceScope, ThresholdSetOnAPlainScopeDecidesTheTimeSuffix)
{
    struct Case {
        uint32_t threshold;
        uint64_t micros;
        const char* closing;
    } cases[] = {
        {1000, 999, "}\n"},
        {1000, 1000, "} /1,000\n"},
        {1000, 10, "}\n"},  // the plain form's 10 no longer applies
        {0, 0, "} /0\n"},   // 0: every time shows
    };
    for (const Case& c : cases) {
        g_out.clear();
        {
            PTraceScope scope(PTraceScope::kEnable, true, "Op");
            scope.SetThreshold(c.threshold);
            g_now += c.micros;
        }
        EXPECT_EQ(g_out, std::string("Op\n{\n") + c.closing) << c.threshold << " " << c.micros;
    }
}

TEST_F(TraceScope, GatedEntriesFollowTheirFlags)
{
    g_fwSettings.tracing = 0;
    g_fwSettings.debug = 0;
    TraceIfOn("a");
    DebugPrintf("b");
    TracePrintf("c");
    g_fwSettings.tracing = 1;
    g_fwSettings.debug = 1;
    TraceIfOn("d");
    DebugPrintf("e");
    EXPECT_EQ(g_out, "cde");
}

}  // namespace
