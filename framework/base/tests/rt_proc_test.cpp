#include "framework/base/rt_proc.h"
#include "framework/base/static_ptr.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(RtProc, CallsStandardAndCallerPopsProcedures)
{
    RT_PROC<int> length(1, "lstrlenA", "kernel32");
    EXPECT_EQ(length(reinterpret_cast<uintptr_t>("hello")), 5);
    RT_PROC<int> cLength(1, "strlen", "msvcrt", true);
    EXPECT_EQ(cLength(reinterpret_cast<uintptr_t>("four")), 4);
    // Arguments go in order: "%d-%d" formats 1 then 2.
    char out[16] = {};
    RT_PROC<int> format(4, "sprintf", "msvcrt", true);
    EXPECT_EQ(format(reinterpret_cast<uintptr_t>(out), reinterpret_cast<uintptr_t>("%d-%d"), 1, 2), 3);
    EXPECT_STREQ(out, "1-2");
}

TEST(RtProc, MissingProcedureOrModuleFailsForGood)
{
    RT_PROC2 missing("NoSuchProcedure", "kernel32");
    EXPECT_EQ(missing(1, 2), 0);
    EXPECT_TRUE(missing.Failed());
    EXPECT_EQ(missing(1, 2), 0);
    EXPECT_TRUE(missing.Failed());

    RT_PROC<int> noModule(0, "Anything", "no_such_module_voq");
    EXPECT_FALSE(noModule.Resolve());
    EXPECT_EQ(noModule(), 0);
}

TEST(RtProc, UnloadKeepsAModuleItDidNotLoad)
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    {
        RT_PROC<uint32_t> tick(0, "GetTickCount", "kernel32");
        EXPECT_TRUE(tick.Resolve());
        tick.Unload();
        EXPECT_EQ(tick.Address(), nullptr);
        EXPECT_TRUE(tick.Resolve());  // resolves again after unload
    }
    EXPECT_EQ(GetModuleHandleA("kernel32"), kernel);
}

TEST(RtProc, UnloadFreesAModuleItLoaded)
{
    if (GetModuleHandleA("msimg32")) GTEST_SKIP() << "the fixture needs a module nobody loaded";
    RT_PROC<int> proc(0, "AlphaBlend", "msimg32");
    if (!proc.Resolve()) GTEST_SKIP() << "msimg32 is not present";
    EXPECT_NE(GetModuleHandleA("msimg32"), nullptr);
    proc.Unload();
    EXPECT_EQ(GetModuleHandleA("msimg32"), nullptr);
}

HMODULE g_shared = nullptr;
int g_sourceCalls = 0;
HMODULE SharedModule()
{
    ++g_sourceCalls;
    if (!g_shared) g_shared = LoadLibraryA("msimg32");
    return g_shared;
}
HMODULE NoModule() { return nullptr; }

TEST(RtProc, RecordsOfASharedModuleNeverFreeIt)
{
    if (GetModuleHandleA("msimg32")) GTEST_SKIP() << "the fixture needs a module nobody loaded";
    {
        RT_PROC<int> alpha(0, "AlphaBlend", "msimg32", &SharedModule);
        RT_PROC<int> gradient(0, "GradientFill", "msimg32", &SharedModule);
        if (!alpha.Resolve()) GTEST_SKIP() << "msimg32 is not present";
        EXPECT_TRUE(gradient.Resolve());
        alpha.Unload();
        gradient.Unload();
    }
    // The records are gone; the one reference the source took is its own.
    EXPECT_NE(GetModuleHandleA("msimg32"), nullptr);
    EXPECT_EQ(g_sourceCalls, 2);
    FreeLibrary(g_shared);
    EXPECT_EQ(GetModuleHandleA("msimg32"), nullptr);

    // A source without the module: the record fails for good.
    RT_PROC<int> missing(0, "AlphaBlend", "msimg32", &NoModule);
    EXPECT_FALSE(missing.Resolve());
    EXPECT_TRUE(missing.Failed());
    EXPECT_EQ(missing(), 0);
}

TEST(RtProc, RecordsCompareByProcedureName)
{
    RT_IMPORT_PROC a("Alpha", "x"), b("Beta", "y"), a2("Alpha", "z");
    EXPECT_TRUE(a.IsEqual(a2));
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_TRUE(b.IsGreater(a));
    EXPECT_FALSE(a.IsGreater(b));
}

struct Counted {
    static int live;
    Counted() { ++live; }
    virtual ~Counted() { --live; }
};
int Counted::live = 0;

TEST(StaticAsPtr, MakesTheObjectOnFirstUseOnceAndDeletesItAtTheEnd)
{
    {
        PStaticAsPtr<Counted> unused;
        EXPECT_FALSE(unused.Created());
    }
    EXPECT_EQ(Counted::live, 0);  // never made, nothing deleted
    {
        PStaticAsPtr<Counted> holder;
        Counted* first = holder.Get();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(holder.Get(), first);
        EXPECT_EQ(Counted::live, 1);
    }
    EXPECT_EQ(Counted::live, 0);
}

// A holder in static storage is usable before its own initialiser has run.
constinit PStaticAsPtr<Counted> g_early;

}  // namespace
