// One archive extraction on the stand-in archive library: files, the install
// log's entries, the messages of every failure, and the progress display.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/base/timer.h"
#include "framework/config/ini_stream.h"
#include "setup/archive_api.h"
#include "setup/archive_extract.h"
#include "setup/install_log.h"
#include "setup/install_log_format.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"
#include "sim/setup/rar4/rar4_writer.h"

namespace {

using Items = std::vector<rar4::WriterItem>;

void MakeArchive(const std::string& path, const Items& items, rar4::WriterOptions options = {})
{
    std::string error;
    ASSERT_TRUE(rar4::WriteArchiveFile(path, items, options, error)) << error;
}

Items FiveFiles()
{
    Items items;
    for (int i = 1; i <= 5; ++i) items.push_back({"f" + std::to_string(i) + ".txt", "content " + std::to_string(i), false});
    return items;
}

class Extract : public testing::Test {
protected:
    Extract()
    {
        state.programFolder = tree.Root();
        state.installLog = std::make_unique<InstallLog>(tree.Path("Setup.log").c_str());
        dest = tree.Path("Target");
    }

    std::vector<std::string> Recorded()
    {
        std::vector<std::string> out;
        INIStream& s = state.installLog->Stream();
        s.SetSection(kLogFilesSection);
        for (unsigned i = 0;; ++i) {
            const char* v = s.FindValue(("F" + std::to_string(i)).c_str());
            if (!v) return out;
            out.push_back(v);
        }
    }

    std::string BoxText() const { return boxes.Boxes().empty() ? "<no box>" : boxes.Boxes().back().text; }

    TempTree tree;
    SetupState state;
    std::string dest;
    FwBoxRecorder boxes;
};

TEST_F(Extract, UnpacksFoldersAndFilesAndRecordsThemFoldersFirst)
{
    const std::string big(150000, 'B');
    MakeArchive(tree.Path("Core.rar"), {{"readme.txt", "read me", false},
                                        {"bin", "", true},
                                        {"bin\\tools\\big.dat", big, false},
                                        {"doc/guide.txt", "guide", false}});
    ASSERT_EQ(ExtractArchive(state, "Core", dest.c_str()), 1) << BoxText();
    EXPECT_TRUE(boxes.Boxes().empty()) << BoxText();
    EXPECT_EQ(tree.Read("Target\\readme.txt"), "read me");
    EXPECT_EQ(tree.Read("Target\\bin\\tools\\big.dat"), big);
    EXPECT_EQ(tree.Read("Target\\doc\\guide.txt"), "guide");
    // The destination was made before the first entry: it is not recorded.
    EXPECT_EQ(Recorded(), (std::vector<std::string>{dest + "\\readme.txt", dest + "\\bin", dest + "\\bin\\tools",
                                                    dest + "\\bin\\tools\\big.dat", dest + "\\doc",
                                                    dest + "\\doc\\guide.txt"}));
}

TEST_F(Extract, OverwritesExistingFilesAndTakesFullAndUncPaths)
{
    tree.MakeDir("Target");
    tree.Write("Target\\a.txt", "old and longer");
    MakeArchive(tree.Path("pkg.rar"), {{"a.txt", "new", false}});
    ASSERT_EQ(ExtractArchive(state, tree.Path("pkg.rar").c_str(), dest.c_str()), 1) << BoxText();
    EXPECT_EQ(tree.Read("Target\\a.txt"), "new");

    EXPECT_EQ(ArchivePathFor(state, "C:\\x\\y.rar"), "C:\\x\\y.rar");
    EXPECT_EQ(ArchivePathFor(state, "\\\\server\\share\\y.rar"), "\\\\server\\share\\y.rar");
    EXPECT_EQ(ArchivePathFor(state, "Shared"), tree.Path("Shared.rar"));
    // A UNC path is opened as given, not taken as a name in the program's
    // folder.
    EXPECT_EQ(ExtractArchive(state, "\\\\nohost\\noshare\\pkg.rar", dest.c_str()), 0);
    EXPECT_EQ(boxes.Boxes().back().messageId, SETUP_MSG_OPEN_ARCHIVE);
    EXPECT_EQ(BoxText(), "Unable to open archive '\\\\nohost\\noshare\\pkg.rar'");
}

// Every bad archive ends the extraction with 0 and one message; what was
// unpacked before stays on disk and in the log.
TEST_F(Extract, BadArchivesFailWithOneMessage)
{
    struct Case {
        const char* what;
        Items items;
        rar4::WriterOptions options;
        bool plainFile;  // not an archive at all
        uint16_t message;
        std::string text;  // the message's text
        std::vector<std::string> onDisk;
        std::vector<std::string> recorded;
    };
    const std::string a = "Target\\f1.txt", b = "Target\\f2.txt", c = "Target\\f3.txt";
    Case cases[] = {
        {"missing archive", {}, {}, false, SETUP_MSG_OPEN_ARCHIVE, "Unable to open archive '%A'", {}, {}},
        {"not a RAR file", {}, {}, true, SETUP_MSG_OPEN_ARCHIVE, "Unable to open archive '%A'", {}, {}},
        {"main header CRC", FiveFiles(), {.badMainHeaderCrc = true}, false, SETUP_MSG_OPEN_ARCHIVE,
         "Unable to open archive '%A'", {}, {}},
        {"header CRC of entry 2", FiveFiles(), {.badHeaderCrcEntry = 2}, false, SETUP_MSG_ARCHIVE_DAMAGED,
         "Archive '%A' is damaged: bad header data", {a}, {a}},
        {"cut inside entry 2", FiveFiles(), {.truncateTo = 7 + 13 + 39 + 9 + 20}, false, SETUP_MSG_ARCHIVE_DAMAGED,
         "Archive '%A' is damaged: bad header data", {a}, {a}},
        {"data CRC of entry 3 of 5", FiveFiles(), {.badDataCrcEntry = 3}, false, SETUP_MSG_EXTRACT_FILE,
         "Error extracting file '%D\\f3.txt': File CRC error, setup cannot continue", {a, b}, {a, b, c}},
        {"compressed entry 2", FiveFiles(), {.compressedEntry = 2}, false, SETUP_MSG_EXTRACT_FILE,
         "Error extracting file '%D\\f2.txt': Unknown archive format, setup cannot continue", {a}, {a, b}},
    };
    for (const Case& k : cases) {
        TempTree scratch;
        SetupState run;
        run.programFolder = scratch.Root();
        run.installLog = std::make_unique<InstallLog>(scratch.Path("Setup.log").c_str());
        const std::string archive = scratch.Path("pkg.rar");
        if (k.plainFile) scratch.Write("pkg.rar", "PK\x03\x04 not a RAR archive at all");
        else if (!k.items.empty()) MakeArchive(archive, k.items, k.options);
        boxes.Clear();
        const std::string target = scratch.Path("Target");
        EXPECT_EQ(ExtractArchive(run, archive.c_str(), target.c_str()), 0) << k.what;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << k.what;
        EXPECT_EQ(boxes.Boxes()[0].messageId, k.message) << k.what;
        std::string text = k.text;
        if (size_t at = text.find("%A"); at != std::string::npos) text.replace(at, 2, archive);
        if (size_t at = text.find("%D"); at != std::string::npos) text.replace(at, 2, target);
        EXPECT_EQ(boxes.Boxes()[0].text, text) << k.what;
        for (const std::string& f : {a, b, c}) {
            const bool expected = std::find(k.onDisk.begin(), k.onDisk.end(), f) != k.onDisk.end();
            EXPECT_EQ(scratch.Exists(f), expected) << k.what << ": " << f;
        }
        std::vector<std::string> recorded;
        for (const std::string& f : k.recorded) recorded.push_back(scratch.Path(f));
        INIStream& s = run.installLog->Stream();
        s.SetSection(kLogFilesSection);
        std::vector<std::string> logged;
        for (unsigned i = 0; s.FindValue(("F" + std::to_string(i)).c_str()); ++i)
            logged.push_back(s.FindValue(("F" + std::to_string(i)).c_str()));
        EXPECT_EQ(logged, recorded) << k.what;
    }
}

// Names that would land outside the destination: neither written nor
// recorded, and the message names the entry.
TEST_F(Extract, RefusesUnsafeEntryNamesBeforeRecordingThem)
{
    rar4::WriterOptions raw;
    raw.rawNames = true;
    for (const char* name : {"..\\evil.txt", "a\\..\\..\\evil.txt", "C:evil.txt", "\\evil.txt", "../evil.txt",
                             "a:evil.txt", "CON", "sub\\nul.txt"}) {
        TempTree scratch;
        SetupState run;
        run.programFolder = scratch.Root();
        run.installLog = std::make_unique<InstallLog>(scratch.Path("Setup.log").c_str());
        scratch.MakeDir("Target");
        MakeArchive(scratch.Path("pkg.rar"), {{"good.txt", "ok", false}, {name, "evil", false}}, raw);
        boxes.Clear();
        EXPECT_EQ(ExtractArchive(run, scratch.Path("pkg.rar").c_str(), scratch.Path("Target").c_str()), 0) << name;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << name;
        EXPECT_EQ(boxes.Boxes()[0].text,
                  std::string("Error extracting file '") + name + "': unsafe file name, setup cannot continue");
        EXPECT_FALSE(scratch.Exists("evil.txt")) << name;
        EXPECT_TRUE(scratch.Exists("Target\\good.txt")) << name;
        INIStream& s = run.installLog->Stream();
        s.SetSection(kLogFilesSection);
        EXPECT_EQ(std::string(s.FindValue("F0") ? s.FindValue("F0") : ""), scratch.Path("Target\\good.txt")) << name;
        EXPECT_EQ(s.FindValue("F1"), nullptr) << name;
    }
}

TEST_F(Extract, ADestinationThatCannotBeMadeSaysSo)
{
    tree.Write("plain", "a file where a folder should be");
    MakeArchive(tree.Path("pkg.rar"), FiveFiles());
    const std::string target = tree.Path("plain\\Target");
    EXPECT_EQ(ExtractArchive(state, tree.Path("pkg.rar").c_str(), target.c_str()), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, SETUP_MSG_CREATE_DESTINATION);
    EXPECT_EQ(BoxText(), "Failed to create directory '" + target +
                             "'. Note that you need administrator rights to install this program.");
    EXPECT_TRUE(Recorded().empty());
}

// The destination reaches the library in the OEM code page and is read back
// as ANSI: a folder name with a letter whose codes differ in the two lands
// where it was meant to.
TEST_F(Extract, DestinationGoesToTheLibraryInOem)
{
    const std::string ansi = "Caf\xE9";  // e acute in the ANSI code page
    char oem[16];
    CharToOemA(ansi.c_str(), oem);
    ASSERT_NE(std::string(oem), ansi) << "this system's OEM and ANSI code pages agree on the letter";
    MakeArchive(tree.Path("pkg.rar"), {{"menu.txt", "x", false}});
    ASSERT_EQ(ExtractArchive(state, tree.Path("pkg.rar").c_str(), tree.Path(ansi).c_str()), 1) << BoxText();
    EXPECT_TRUE(tree.Exists(ansi + "\\menu.txt"));
    EXPECT_FALSE(tree.Exists(std::string(oem)));
}

TEST_F(Extract, AFullDiskGivesOneWriteErrorAndNoShortFile)
{
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExA("F:\\", nullptr, &total, nullptr) || total.QuadPart > (1u << 20)) {
        GTEST_SKIP() << "drive F: is not a small volume: the fixture could not mount a 64 KiB tmpfs (needs root)";
    }
    const std::string target = "F:\\Target" + std::to_string(GetCurrentProcessId());
    MakeArchive(tree.Path("pkg.rar"), {{"small.txt", "fits", false},
                                       {"huge.bin", std::string(200000, 'H'), false},
                                       {"after.txt", "never", false}});
    EXPECT_EQ(ExtractArchive(state, tree.Path("pkg.rar").c_str(), target.c_str()), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u) << "one message, no cascade";
    EXPECT_EQ(BoxText(), "Error extracting file '" + target + "\\huge.bin': Write error, setup cannot continue");
    EXPECT_EQ(GetFileAttributesA((target + "\\huge.bin").c_str()), INVALID_FILE_ATTRIBUTES) << "no short file";
    EXPECT_NE(GetFileAttributesA((target + "\\small.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA((target + "\\small.txt").c_str());
    RemoveDirectoryA(target.c_str());
}

TEST(ArchiveTexts, ErrorTextsOfTheLibraryResults)
{
    const std::pair<uint32_t, const char*> table[] = {
        {12, "File CRC error"},  {13, "Volume is not valid RAR archive"}, {14, "Unknown archive format"},
        {15, "Volume open error"}, {16, "File create error"},             {17, "File close error"},
        {18, "Read error"},      {19, "Write error"},                     {11, "Error 11"},
        {20, "Error 20"},        {4294967295u, "Error 4294967295"},
    };
    for (const auto& [code, text] : table) EXPECT_EQ(ArchiveErrorText(code), text) << code;
    EXPECT_EQ(DriveSpaceText(0), "Drive space used: 0 Bytes");
    EXPECT_EQ(DriveSpaceText(3000000000ull), "Drive space used: 3,000,000,000 Bytes");
}

// The progress window: every entry moves the bar; the file and space texts
// change when 40 ms have passed or the entry is over 102400 bytes.
uint32_t g_now = 0;
uint32_t FakeTicks() { return g_now; }

class RecordingProgress : public ExtractProgress {
public:
    void ShowStatus(const char* fileText, const char* spaceText) override { shown.push_back(std::string(fileText) + " | " + spaceText); }
    std::vector<uint64_t> bars;
    std::vector<std::string> shown;

protected:
    void SetBytesDone(uint64_t bytesDone) override
    {
        bars.push_back(bytesDone);
        g_now += 20;  // each entry takes 20 ms
    }
};

TEST_F(Extract, ProgressTextsEvery40MsOrForALargeEntry)
{
    g_now = 1000;
    PTickTimer::SetTickSource(FakeTicks);
    RecordingProgress progress;
    state.progress = &progress;
    // 20 ms per entry: e2 and e4 end a 40 ms period; e3 is over 102400
    // bytes; e5 is exactly 102400 and waits for the period.
    MakeArchive(tree.Path("pkg.rar"), {{"e1", "1", false},
                                       {"e2", "22", false},
                                       {"e3", std::string(102401, 'x'), false},
                                       {"e4", "4444", false},
                                       {"e5", std::string(102400, 'y'), false},
                                       {"e6", "666666", false}});
    const int result = ExtractArchive(state, tree.Path("pkg.rar").c_str(), dest.c_str());
    PTickTimer::SetTickSource(nullptr);
    ASSERT_EQ(result, 1) << BoxText();
    EXPECT_EQ(progress.bars, (std::vector<uint64_t>{1, 3, 102404, 102408, 204808, 204814}));
    EXPECT_EQ(progress.shown, (std::vector<std::string>{
                                  dest + "\\e2 | Drive space used: 3 Bytes",
                                  dest + "\\e3 | Drive space used: 102,404 Bytes",
                                  dest + "\\e4 | Drive space used: 102,408 Bytes",
                                  dest + "\\e6 | Drive space used: 204,814 Bytes",
                              }));
}

}  // namespace
