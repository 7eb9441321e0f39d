#include "framework/base/dir_tree.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/dir_file.h"
#include "framework/base/dir_finder.h"
#include "framework/base/file_utils.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/path.h"
#include "support/scratch_drive.h"
#include "support/temp_tree.h"

namespace {

struct Seen {
    std::vector<std::string> names;
    std::string skip;
};

int Record(void* container, const PFileFinder& entry)
{
    Seen* seen = static_cast<Seen*>(container);
    seen->names.push_back(std::string(entry.Name()) + (entry.IsDir() ? "/" : ""));
    return entry.IsDir() && seen->skip == entry.Name() ? 2 : 1;
}

int StopAtFirst(void*, const PFileFinder&) { return 0; }

TEST(FileFinder, SkipsDirectoriesUnlessIncludedAndDotNames)
{
    TempTree tree;
    tree.MakeDir("a_dir");
    tree.Write("b.txt", "1");
    tree.Write(".hidden", "1");
    std::vector<std::string> files, all;
    for (PFileFinder f(false, tree.Path("*").c_str()); f.Found(); f.Next()) files.push_back(f.Name());
    for (PFileFinder f(true, tree.Path("*").c_str()); f.Found(); f.Next()) all.push_back(f.Name());
    EXPECT_EQ(files, std::vector<std::string>{"b.txt"});
    EXPECT_EQ(all.size(), 2u);
    PFileFinder one(false, tree.Path("*").c_str());
    EXPECT_EQ(std::string(one.FullPath()), tree.Path("b.txt"));
}

TEST(DirTree, WalkVisitsFilesFirstAndSkipsDirectoryOnTwo)
{
    TempTree tree;
    tree.MakeDir("keep");
    tree.MakeDir("skip");
    tree.Write("top.txt", "1");
    tree.Write("keep\\in.txt", "1");
    tree.Write("skip\\out.txt", "1");
    Seen seen;
    seen.skip = "skip";
    EXPECT_EQ(WalkDirTree(&seen, Record, tree.Path("*.txt").c_str()), 1);
    EXPECT_EQ(seen.names, (std::vector<std::string>{"top.txt", "keep/", "in.txt", "skip/"}));
    EXPECT_EQ(WalkDirTree(&seen, StopAtFirst, tree.Path("*.*").c_str()), 0);
}

TEST(DirTree, MakeDirPathResults)
{
    TempTree tree;
    tree.Write("file", "x");
    EXPECT_EQ(MakeDirPath(tree.Root().c_str()), 2);
    EXPECT_EQ(MakeDirPath((tree.Root() + "\\").c_str()), 2);
    EXPECT_EQ(MakeDirPath(tree.Path("a\\b/c").c_str()), 1);
    EXPECT_TRUE(PPath(tree.Path("a\\b\\c").c_str()).IsDirectory());
    EXPECT_EQ(MakeDirPath(tree.Path("file\\below").c_str()), 0);
    EXPECT_EQ(MakeDirPath(""), 0);
    EXPECT_EQ(MakeDirPath(nullptr), 0);
    // A drive letter that is not mapped in the prefix.
    EXPECT_EQ(MakeDirPath("Q:\\voq"), 0);
    EXPECT_EQ(MakeDirPath((std::string("C:\\") + std::string(600, 'a')).c_str()), 0);
}

TEST(DirTree, MakeDirPathCreatesOneCharacterNames)
{
    TempTree tree;
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(tree.Root().c_str());
    EXPECT_EQ(MakeDirPath("x"), 1);
    EXPECT_EQ(MakeDirPath("x"), 2);
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(tree.Exists("x"));
}

class Progress : public PCopyProgress {
public:
    void SetRange(uint64_t total) override { range = total; }
    void SetPosition(uint64_t done) override { position = done; }
    void SetText(const char* text) override { texts.push_back(text); }
    uint64_t range = 0, position = 0;
    std::vector<std::string> texts;
};

TEST(DirTree, CopyTreeCopiesEverythingWithProgress)
{
    TempTree from, to;
    from.MakeDir("sub");
    from.MakeDir("sub\\deep");
    from.Write("a.txt", "aaa");
    from.Write("sub\\deep\\b.bin", "bbbbb");
    Progress progress;
    EXPECT_EQ(CopyDirTree(&progress, false, to.Root().c_str(), (from.Root() + "\\").c_str()), 1);
    EXPECT_EQ(to.Read("a.txt"), "aaa");
    EXPECT_EQ(to.Read("sub\\deep\\b.bin"), "bbbbb");
    EXPECT_EQ(progress.range, 8u);
    EXPECT_EQ(progress.position, 8u);
    ASSERT_EQ(progress.texts.size(), 2u);
    EXPECT_EQ(progress.texts[0], "Copying  a.txt");
}

TEST(DirTree, CopyTreeReportsAFailedFileAndGoesOn)
{
    TempTree from, to;
    from.Write("a.txt", "a");
    from.Write("b.txt", "b");
    // A directory where a.txt should go makes that one copy fail.
    to.MakeDir("a.txt");
    FwBoxRecorder boxes;
    EXPECT_EQ(CopyDirTree(nullptr, false, to.Root().c_str(), from.Root().c_str()), 0);
    EXPECT_EQ(to.Read("b.txt"), "b");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 6676);
    EXPECT_NE(boxes.Boxes()[0].text.find(from.Path("a.txt")), std::string::npos) << boxes.Boxes()[0].text;
}

TEST(DirTree, CancelFlagEndsTheCopy)
{
    TempTree from, to;
    from.Write("a.txt", "a");
    from.Write("b.txt", "b");
    Progress progress;
    g_fwSettings.cancelCopy = 1;
    EXPECT_EQ(CopyDirTree(&progress, false, to.Root().c_str(), from.Root().c_str()), 0);
    g_fwSettings.cancelCopy = 0;
    EXPECT_EQ(progress.texts.size(), 1u);
    EXPECT_FALSE(to.Exists("b.txt"));
}

TEST(DirTree, DeleteTreeRemovesOnlyDirectories)
{
    TempTree tree;
    tree.Write("plain.txt", "keep");
    tree.MakeDir("t");
    tree.MakeDir("t\\a");
    tree.MakeDir("t\\a\\b");
    tree.Write("t\\a\\b\\deep.txt", "1");
    tree.Write("t\\ro.txt", "1");
    SetFileAttributesA(tree.Path("t\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // A plain file name, a missing name and no name delete nothing.
    EXPECT_FALSE(DeleteDirTree(tree.Path("plain.txt").c_str()));
    EXPECT_EQ(tree.Read("plain.txt"), "keep");
    EXPECT_FALSE(DeleteDirTree(tree.Path("missing").c_str()));
    EXPECT_FALSE(DeleteDirTree(""));
    EXPECT_FALSE(DeleteDirTree(nullptr));
    // A tree with a read-only file inside.
    EXPECT_TRUE(DeleteDirTree(tree.Path("t").c_str()));
    EXPECT_FALSE(tree.Exists("t"));
    EXPECT_TRUE(tree.Exists("plain.txt"));
}

TEST(DirTree, RemovingTheCurrentDirectoryStepsOutOfIt)
{
    TempTree tree;
    const std::string dir = tree.Path("rm");
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(dir.c_str());
    EXPECT_TRUE(RemoveDir(dir.c_str()));
    EXPECT_FALSE(tree.Exists("rm"));
    char now[MAX_PATH];
    GetCurrentDirectoryA(sizeof now, now);
    EXPECT_EQ(lstrcmpiA(now, tree.Root().c_str()), 0) << now;
    SetCurrentDirectoryA(saved);
    // Another directory: the current directory is put back.
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    EXPECT_TRUE(RemoveDir(dir.c_str()));
    GetCurrentDirectoryA(sizeof now, now);
    EXPECT_STREQ(now, saved);
}

TEST(DirTree, DriveAndShareRootsAreNeverDeleted)
{
    // The root of the prefix's scratch drive: a real root is never named.
    ScratchDrive drive;
    ASSERT_TRUE(drive.Ready());
    const std::string mine = drive.Folder();
    const std::string top = mine + "\\top.txt";
    const std::string sub = mine + "\\sub";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    HANDLE h = CreateFileA(top.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    const std::string d = ScratchDrive::Drive();
    for (const std::string& root : {d, d + "\\", d + "/", sub + "\\..\\..", d + "\\."}) {
        EXPECT_TRUE(IsDriveOrShareRoot(root.c_str())) << root;
        EXPECT_FALSE(DeleteDirTree(root.c_str())) << root;
        EXPECT_EQ(PPath(root.c_str()).Delete(), 0) << root;
        EXPECT_TRUE(PPath(top.c_str()).IsFile()) << root;
        EXPECT_TRUE(PPath(sub.c_str()).IsDirectory()) << root;
    }
    for (const char* share : {"\\\\server\\share", "\\\\server\\share\\", "//server/share", "\\\\?\\C:\\"}) {
        EXPECT_TRUE(IsDriveOrShareRoot(share)) << share;
        EXPECT_FALSE(DeleteDirTree(share)) << share;
    }
    // A folder on that drive is deleted as any other.
    EXPECT_FALSE(IsDriveOrShareRoot(sub.c_str()));
    EXPECT_TRUE(DeleteDirTree(sub.c_str()));
    EXPECT_FALSE(PPath(sub.c_str()).Exists());
    EXPECT_FALSE(IsDriveOrShareRoot("\\\\server\\share\\dir"));
}

TEST(DirTree, DeleteTreeStepsOutOfTheCurrentDirectory)
{
    TempTree tree;
    tree.MakeDir("t");
    tree.MakeDir("t\\inner");
    tree.Write("t\\inner\\x.txt", "1");
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(tree.Path("t\\inner").c_str()));
    const bool deleted = DeleteDirTree(tree.Path("t").c_str());
    char now[MAX_PATH];
    GetCurrentDirectoryA(sizeof now, now);
    SetCurrentDirectoryA(saved);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(tree.Exists("t"));
    EXPECT_EQ(lstrcmpiA(now, tree.Root().c_str()), 0) << now;
}

TEST(DirTree, DeleteTreeRemovesALinkButNotWhatItPointsTo)
{
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    auto create = reinterpret_cast<CreateLink>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    TempTree tree;
    tree.MakeDir("outside");
    tree.Write("outside\\precious.txt", "1");
    tree.MakeDir("t");
    if (!create || !create(tree.Path("t\\link").c_str(), tree.Path("outside").c_str(), 1 /* directory */))
        GTEST_SKIP() << "no directory links here";
    if (!(GetFileAttributesA(tree.Path("t\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "the link is not reported as a reparse point";
    EXPECT_TRUE(DeleteDirTree(tree.Path("t").c_str()));
    EXPECT_FALSE(tree.Exists("t"));
    EXPECT_TRUE(tree.Exists("outside\\precious.txt"));
}

TEST(DirTree, DirFilesSortDirectoriesFirstThenNamesWithoutCase)
{
    PDirFileList list;
    list.Add({"b", false, 0});
    list.Add({"A", false, 0});
    list.Add({"z", true, 0});
    list.Sort();
    EXPECT_EQ(list[0].name, "z");
    EXPECT_EQ(list[1].name, "A");
    EXPECT_EQ(list[2].name, "b");
}

}  // namespace
