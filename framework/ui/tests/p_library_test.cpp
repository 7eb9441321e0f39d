// The library loader on plug-in-shaped libraries of our own: loaded quietly
// by full path, the entry found as "Execute" or else "_Execute@4", called
// with a block and freed; a failed loud load shows message 6498.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/ui/p_library.h"

namespace {

struct TestPluginBlock {
    uint32_t tag;
    uint32_t calls;
};
using PluginEntry = int32_t(__stdcall*)(TestPluginBlock*);

// The test libraries lie beside the test program.
std::string BesideProgram(const char* name)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    folder.erase(folder.find_last_of("\\/") + 1);
    return folder + name;
}

bool IsLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

// How the setup finds a plug-in's entry.
PluginEntry FindEntry(const PLibrary& library)
{
    FARPROC entry = library.GetProc("Execute");
    if (!entry) entry = library.GetProc("_Execute@4");
    return reinterpret_cast<PluginEntry>(reinterpret_cast<void*>(entry));
}

TEST(PLibrary, PluginIsLoadedQuietlyCalledWithItsBlockAndFreed)
{
    struct Case {
        const char* file;
        bool plainName;
    } cases[] = {{"fw_test_plugin_plain.dll", true}, {"fw_test_plugin_decorated.dll", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = BesideProgram(c.file);
        FwBoxRecorder boxes;
        {
            PLibrary library(path.c_str(), 0, true);
            ASSERT_NE(library.Handle(), nullptr);
            EXPECT_TRUE(IsLoaded(path));
            EXPECT_EQ(library.GetProc("Execute") != nullptr, c.plainName);
            PluginEntry entry = FindEntry(library);
            ASSERT_NE(entry, nullptr);
            TestPluginBlock block{0xC0DE, 0};
            EXPECT_EQ(entry(&block), 0xC0DE);
            EXPECT_EQ(block.calls, 1u);
        }
        // The destructor freed it.
        EXPECT_FALSE(IsLoaded(path));
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

TEST(PLibrary, FailedLoadReturnsNullAndShowsItsMessageOnlyWhenLoud)
{
    const std::string missing = BesideProgram("no_such_plugin.dll");
    for (bool quiet : {true, false}) {
        SCOPED_TRACE(quiet ? "quiet" : "loud");
        FwBoxRecorder boxes(1);  // the box answers 1: the result must stay null
        PLibrary library;
        EXPECT_EQ(library.Load(missing.c_str(), 0, quiet), nullptr);
        EXPECT_EQ(library.Handle(), nullptr);
        EXPECT_EQ(library.GetProc("Execute"), nullptr);
        if (quiet) {
            EXPECT_TRUE(boxes.Boxes().empty());
            continue;
        }
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const FwRecordedBox& box = boxes.Boxes()[0];
        EXPECT_EQ(box.messageId, 6498);
        EXPECT_EQ(box.icon, 102);
        // The text names the file and carries the system's reason after it.
        const std::string expected = "Unable to load DLL: '" + missing + "':\n";
        EXPECT_EQ(box.text.substr(0, expected.size()), expected);
        EXPECT_GT(box.text.size(), expected.size());
    }
}

TEST(PLibrary, MissingEntryIsNullWithoutMessageAndANewLoadFreesTheOld)
{
    const std::string first = BesideProgram("fw_test_plugin_plain.dll");
    const std::string second = BesideProgram("fw_test_plugin_decorated.dll");
    FwBoxRecorder boxes;
    PLibrary library;
    ASSERT_NE(library.Load(first.c_str(), 0, true), nullptr);
    EXPECT_EQ(library.GetProc("NoSuchEntry"), nullptr);
    EXPECT_EQ(library.GetProc(nullptr), nullptr);
    ASSERT_NE(library.Load(second.c_str(), 0, true), nullptr);
    EXPECT_FALSE(IsLoaded(first));
    EXPECT_TRUE(IsLoaded(second));
    EXPECT_EQ(library.Free(), 1);
    EXPECT_FALSE(IsLoaded(second));
    EXPECT_EQ(library.Free(), 0);
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
