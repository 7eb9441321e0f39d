// The stand-in unrar.dll through its exports, as a caller binds them: list
// and extract modes, folders, overwrites, names in OEM, and the entries it
// refuses to write.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "setup/archive_api.h"
#include "sim/setup/rar4/rar4_writer.h"

namespace {

struct Scratch {
    Scratch()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        root = std::string(temp) + "unrar_dll_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
        CreateDirectoryA(root.c_str(), nullptr);
    }
    ~Scratch() { Remove(root); }
    static void Remove(const std::string& path)
    {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string child = path + "\\" + name;
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(child);
                else DeleteFileA(child.c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(path.c_str());
    }
    std::string Path(const std::string& rel) const { return root + "\\" + rel; }
    bool Exists(const std::string& rel) const { return GetFileAttributesA(Path(rel).c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string Read(const std::string& rel) const
    {
        std::string out;
        HANDLE f = CreateFileA(Path(rel).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return "<missing>";
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n) out.append(buffer, n);
        CloseHandle(f);
        return out;
    }
    std::string root;
};

HANDLE Open(const std::string& path, UINT mode, UINT& result)
{
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    RAROpenArchiveData data{};
    data.ArcName = name.data();
    data.OpenMode = mode;
    HANDLE h = RAROpenArchive(&data);
    result = data.OpenResult;
    return h;
}

std::string Make(const Scratch& s, const std::vector<rar4::WriterItem>& items, bool raw = false)
{
    rar4::WriterOptions options;
    options.rawNames = raw;
    std::string error;
    const std::string path = s.Path("a.rar");
    EXPECT_TRUE(rar4::WriteArchiveFile(path, items, options, error)) << error;
    return path;
}

TEST(UnrarDll, ListsAndExtractsWithFoldersAndOverwrites)
{
    Scratch s;
    const std::string arc = Make(s, {{"one.txt", "1", false}, {"d\\e", "", true}, {"d\\e\\two.txt", "22", false}});
    UINT result = 99;
    HANDLE h = Open(arc, RAR_OM_LIST, result);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(result, 0u);
    RARHeaderData header{};
    std::vector<std::string> names;
    while (RARReadHeader(h, &header) == 0) {
        names.push_back(header.FileName);
        EXPECT_EQ(std::string(header.ArcName), arc);
        EXPECT_EQ(RARProcessFile(h, RAR_SKIP, nullptr, nullptr), 0);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"one.txt", "d\\e", "d\\e\\two.txt"}));
    EXPECT_EQ(RARCloseArchive(h), 0);

    CreateDirectoryA(s.Path("out").c_str(), nullptr);
    CreateDirectoryA(s.Path("out\\d").c_str(), nullptr);
    h = Open(arc, RAR_OM_EXTRACT, result);
    ASSERT_NE(h, nullptr);
    std::string dest = s.Path("out\\new");
    while (RARReadHeader(h, &header) == 0) ASSERT_EQ(RARProcessFile(h, RAR_EXTRACT, dest.data(), nullptr), 0);
    RARCloseArchive(h);
    EXPECT_EQ(s.Read("out\\new\\one.txt"), "1");
    EXPECT_EQ(s.Read("out\\new\\d\\e\\two.txt"), "22");

    // An existing (even read-only) file is overwritten.
    SetFileAttributesA(s.Path("out\\new\\one.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    h = Open(arc, RAR_OM_EXTRACT, result);
    ASSERT_EQ(RARReadHeader(h, &header), 0);
    EXPECT_EQ(RARProcessFile(h, RAR_EXTRACT, dest.data(), nullptr), 0);
    RARCloseArchive(h);
    EXPECT_EQ(s.Read("out\\new\\one.txt"), "1");
}

TEST(UnrarDll, OpenResultsAndCallsOutOfOrder)
{
    Scratch s;
    UINT result = 0;
    EXPECT_EQ(Open(s.Path("missing.rar"), RAR_OM_EXTRACT, result), nullptr);
    EXPECT_EQ(result, static_cast<UINT>(ERAR_EOPEN));
    HANDLE f = CreateFileA(s.Path("text.rar").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(f, "just some text, long enough", 27, &n, nullptr);
    CloseHandle(f);
    EXPECT_EQ(Open(s.Path("text.rar"), RAR_OM_EXTRACT, result), nullptr);
    EXPECT_EQ(result, static_cast<UINT>(ERAR_BAD_ARCHIVE));
    EXPECT_EQ(RAROpenArchive(nullptr), nullptr);

    const std::string arc = Make(s, {{"x.txt", "x", false}});
    HANDLE h = Open(arc, RAR_OM_EXTRACT, result);
    ASSERT_NE(h, nullptr);
    std::string dest = s.Path("o");
    EXPECT_EQ(RARProcessFile(h, RAR_EXTRACT, dest.data(), nullptr), ERAR_BAD_ARCHIVE) << "no header read yet";
    RARHeaderData header{};
    ASSERT_EQ(RARReadHeader(h, &header), 0);
    EXPECT_EQ(RARProcessFile(h, 7, dest.data(), nullptr), ERAR_UNKNOWN_FORMAT) << "no such operation";
    EXPECT_EQ(RARProcessFile(h, RAR_EXTRACT, dest.data(), nullptr), ERAR_BAD_ARCHIVE) << "header used up";
    EXPECT_EQ(RARReadHeader(h, &header), ERAR_END_ARCHIVE);
    EXPECT_EQ(RARCloseArchive(h), 0);
    EXPECT_EQ(RARCloseArchive(nullptr), ERAR_ECLOSE);
}

TEST(UnrarDll, UnsafeNamesAreListedButNeverWritten)
{
    for (const char* name : {"..\\x.txt", "a\\..\\..\\x.txt", "C:\\x.txt", "\\x.txt", "a:b"}) {
        Scratch s;
        const std::string arc = Make(s, {{name, "evil", false}}, true);
        UINT result = 0;
        HANDLE h = Open(arc, RAR_OM_EXTRACT, result);
        ASSERT_NE(h, nullptr) << name;
        RARHeaderData header{};
        ASSERT_EQ(RARReadHeader(h, &header), 0) << name;
        EXPECT_EQ(std::string(header.FileName), name);
        CreateDirectoryA(s.Path("in").c_str(), nullptr);
        std::string dest = s.Path("in");
        EXPECT_EQ(RARProcessFile(h, RAR_EXTRACT, dest.data(), nullptr), ERAR_ECREATE) << name;
        RARCloseArchive(h);
        EXPECT_FALSE(s.Exists("x.txt")) << name;
        EXPECT_FALSE(s.Exists("in\\b")) << name;
    }
}

// Names go out as stored (OEM) and the destination comes in OEM: the file
// lands under the ANSI names.
TEST(UnrarDll, NamesAndDestinationInOem)
{
    Scratch s;
    const std::string ansiName = "r\xE9sum\xE9.txt", ansiFolder = "Caf\xE9";
    char oemName[32], oemFolder[32];
    CharToOemA(ansiName.c_str(), oemName);
    CharToOemA(ansiFolder.c_str(), oemFolder);
    ASSERT_NE(std::string(oemName), ansiName) << "this system's OEM and ANSI code pages agree on the letter";
    const std::string arc = Make(s, {{oemName, "cv", false}});
    UINT result = 0;
    HANDLE h = Open(arc, RAR_OM_EXTRACT, result);
    RARHeaderData header{};
    ASSERT_EQ(RARReadHeader(h, &header), 0);
    EXPECT_EQ(std::string(header.FileName), oemName);
    std::string dest = s.root + "\\" + oemFolder;  // the root is ASCII: the same in both
    EXPECT_EQ(RARProcessFile(h, RAR_EXTRACT, dest.data(), nullptr), 0);
    RARCloseArchive(h);
    EXPECT_EQ(s.Read(ansiFolder + "\\" + ansiName), "cv");
}

}  // namespace
