// Setup.log: the folders and files recorded, the registry entry formats and
// the atomic save.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/install_log.h"
#include "setup/install_log_format.h"

namespace {

// The [Files] values in key order F0, F1, ...
std::vector<std::string> Files(InstallLog& log)
{
    std::vector<std::string> out;
    INIStream& s = log.Stream();
    s.SetSection(kLogFilesSection);
    for (unsigned i = 0;; ++i) {
        const char* v = s.FindValue(("F" + std::to_string(i)).c_str());
        if (!v) break;
        out.push_back(v);
    }
    return out;
}

std::string Value(InstallLog& log, const char* section, const char* key)
{
    const char* v = log.Stream().SetSection(section).FindValue(key);
    return v ? v : "<missing>";
}

TEST(InstallLogFiles, RecordsNewFoldersBeforeTheirFilesOnce)
{
    TempTree tree;
    tree.MakeDir("old");
    tree.Write("old\\kept.txt", "x");
    const std::string P = tree.Path("P");
    const std::string R = tree.Root();
    struct Case {
        const char* what;
        std::vector<std::string> add;
        std::vector<std::string> expected;
    } cases[] = {
        {"two files of a new P\\a", {P + "\\a\\one.txt", P + "\\a\\two.txt"},
         {P, P + "\\a", P + "\\a\\one.txt", P + "\\a\\two.txt"}},
        {"the same file twice", {P + "\\f.txt", P + "\\f.txt"}, {P, P + "\\f.txt"}},
        {"an existing folder records nothing", {tree.Path("old")}, {}},
        {"an existing parent is not recorded, an existing file is", {tree.Path("old\\kept.txt"), tree.Path("old\\n\\m")},
         {tree.Path("old\\kept.txt"), tree.Path("old\\n"), tree.Path("old\\n\\m")}},
        {"mixed separators count as one", {R + "/P/a\\x.txt", P + "\\a/y.txt"},
         {P, P + "\\a", P + "\\a\\x.txt", P + "\\a\\y.txt"}},
        {"duplicates without regard to case", {P + "\\Sub\\File.TXT", R + "\\p\\SUB\\file.txt", R + "\\p\\sub\\x"},
         {P, P + "\\Sub", P + "\\Sub\\File.TXT", R + "\\p\\sub\\x"}},
        {"doubled and trailing separators", {P + "\\\\d\\\\e.txt", P + "\\g\\"}, {P, P + "\\\\d", P + "\\\\d\\\\e.txt", P + "\\g"}},
    };
    for (const Case& c : cases) {
        InstallLog log(tree.Path("Setup.log").c_str());
        for (const std::string& path : c.add) log.AddFile(path.c_str());
        EXPECT_EQ(Files(log), c.expected) << c.what;
    }
}

TEST(InstallLogRegistry, KeysShareOneCounterAndTheFormatsDifferInTheBlank)
{
    InstallLog log("C:\\nowhere\\Setup.log");
    log.AddRegistryKey(false, "Korvan", "SOFTWARE", HKEY_LOCAL_MACHINE);
    log.AddRegistryKey(true, "1.02", "SOFTWARE\\Korvan\\Prod", HKEY_LOCAL_MACHINE);
    log.AddRegistryKey(false, "Prod", "SOFTWARE\\Korvan", HKEY_CURRENT_USER);
    log.AddRegistryValue("Folder", "SOFTWARE\\Korvan\\Prod\\1.02", HKEY_LOCAL_MACHINE);
    log.AddRegistryValue("Version", "SOFTWARE\\Korvan\\Prod\\1.02", HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Value(log, kLogKeysSection, "Key0"), "80000002\\SOFTWARE,Korvan");
    EXPECT_EQ(Value(log, kLogKeysSection, "FKey1"), "80000002\\SOFTWARE\\Korvan\\Prod,1.02");
    EXPECT_EQ(Value(log, kLogKeysSection, "Key2"), "80000001\\SOFTWARE\\Korvan,Prod");
    EXPECT_EQ(Value(log, kLogKeysSection, "Key1"), "<missing>");
    EXPECT_EQ(Value(log, kLogValuesSection, "Val0"), "80000002\\SOFTWARE\\Korvan\\Prod\\1.02, Folder");
    EXPECT_EQ(Value(log, kLogValuesSection, "Val1"), "80000002\\SOFTWARE\\Korvan\\Prod\\1.02, Version");
}

TEST(InstallLogFormat, EntriesReadBackAsWritten)
{
    LogRegistryEntry e;
    ASSERT_TRUE(ParseLogKeyEntry(FormatLogKeyEntry(HKEY_LOCAL_MACHINE, "SOFTWARE\\A, Inc", "Prod").c_str(), e));
    EXPECT_EQ(e.root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(e.path, "SOFTWARE\\A, Inc");
    EXPECT_EQ(e.name, "Prod");
    ASSERT_TRUE(ParseLogValueEntry(FormatLogValueEntry(HKEY_CURRENT_USER, "Software\\X", "Display Name").c_str(), e));
    EXPECT_EQ(e.root, HKEY_CURRENT_USER);
    EXPECT_EQ(e.path, "Software\\X");
    EXPECT_EQ(e.name, "Display Name");
    for (const char* bad : {"", "80000002", "8000000Z\\a,b", "80000002/a,b", "80000002\\no separator"}) {
        EXPECT_FALSE(ParseLogKeyEntry(bad, e)) << bad;
    }
    EXPECT_FALSE(ParseLogValueEntry("80000002\\a,b", e)) << "a value needs the blank";
}

TEST(InstallLogSave, StartsEmptyAndReplacesTheOldLogWhole)
{
    TempTree tree;
    tree.Write("Setup.log", "[Files]\nF0=C:\\old\\stale.txt\n[Registry Keys]\nKey0=80000002\\SOFTWARE,Old\n");
    const std::string path = tree.Path("Setup.log");
    InstallLog log(path.c_str());
    log.AddFile(tree.Path("new.txt").c_str());
    ASSERT_TRUE(log.Save());
    const std::string text = tree.Read("Setup.log");
    EXPECT_EQ(text, "[Files]\nF0=" + tree.Path("new.txt") + "\n");
    EXPECT_FALSE(tree.Exists("Setup.log.new"));
}

TEST(InstallLogSave, AFailedSaveKeepsTheOldLogAndSaysSo)
{
    TempTree tree;
    tree.Write("Setup.log", "[Files]\nF0=old\n");
    // The temporary file cannot be made: a folder holds its name.
    tree.MakeDir("Setup.log.new");
    InstallLog log(tree.Path("Setup.log").c_str());
    log.AddFile(tree.Path("x").c_str());
    FwBoxRecorder boxes;
    EXPECT_FALSE(log.SaveOrReport());
    EXPECT_EQ(tree.Read("Setup.log"), "[Files]\nF0=old\n");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("Unable to write the install log '" + tree.Path("Setup.log") + "'"),
              std::string::npos)
        << boxes.Boxes()[0].text;
}

}  // namespace
