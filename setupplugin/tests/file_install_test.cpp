// The copy of the file lists into a host installation and the help
// setting: where each entry goes, each failure's one box, hostile lists that
// must write nothing, and a host folder on a full drive.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/ml_text.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/config/ini_stream.h"
#include "setupplugin/file_install.h"
#include "setupplugin/plugin_state.h"
#include "setupplugin/tests/support/host_fixture.h"

namespace {

class FileInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_mlLanguage = 0;
        tree_.MakeDir("plugin");
        MakeHost(tree_, "host");
        for (const char* file : {"VOQ-TMS.dll", "VOQ-TMS.ini", "VOQ-MST.dll", "fw.bin"})
            tree_.Write(std::string("plugin\\") + file, std::string("content of ") + file);
    }
    void TearDown() override { FreePlugin(); }
    void UseList(const std::string& ini)
    {
        FreePlugin();
        if (!ini.empty()) tree_.Write("plugin\\install.ini", ini);
        InitPluginIn(tree_.Path("plugin").c_str());
        Plugin()->debuggerName = "VOQ-TMS";
    }
    std::string Host(const std::string& relative = "") const
    {
        return relative.empty() ? tree_.Path("host") : tree_.Path("host\\" + relative);
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const FwRecordedBox& box : boxes_.Boxes()) texts.push_back(box.text);
        return texts;
    }
    TempTree tree_;
    FwBoxRecorder boxes_;
};

constexpr const char* kList =
    "[Options]\n"
    "DebuggerName=VOQ-TMS\n"
    "[Files2]\n"
    "[[VOQ-TMS.dll]]\n"
    "Dest=Drivers\n"
    "[[VOQ-TMS.ini]]\n"
    "Dest=Drivers\n"
    "[[VOQ-MST.dll]]\n"
    "Dest=cc\\bin\n"
    "[[fw.bin]]\n"
    "Dest=cc\\bin\n"
    "SubFolder=PodWare\\Images\n"
    "[Files3]\n"
    "[[VOQ-TMS.dll]]\n";

TEST_F(FileInstallTest, EachEntryGoesWhereItsDestAndSubFolderSay)
{
    UseList(kList);
    tree_.Write("host\\Drivers\\VOQ-TMS.dll", "an older driver");
    ASSERT_TRUE(InstallFileList("Files2", Host().c_str(), 2));
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(tree_.Read("host\\Drivers\\VOQ-TMS.dll"), "content of VOQ-TMS.dll");  // overwritten
    EXPECT_EQ(tree_.Read("host\\Drivers\\VOQ-TMS.ini"), "content of VOQ-TMS.ini");
    EXPECT_EQ(tree_.Read("host\\cc\\bin\\VOQ-MST.dll"), "content of VOQ-MST.dll");
    EXPECT_EQ(tree_.Read("host\\cc\\bin\\PodWare\\Images\\fw.bin"), "content of fw.bin");  // both levels made
    // An entry without Dest goes into the root itself.
    ASSERT_TRUE(InstallFileList("Files3", Host().c_str(), 3));
    EXPECT_EQ(tree_.Read("host\\VOQ-TMS.dll"), "content of VOQ-TMS.dll");
    // A list the file does not hold copies nothing.
    EXPECT_TRUE(InstallFileList("Files4", Host().c_str(), 3));
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(FileInstallTest, EachFailureIsOneBoxNamingWhatFailed)
{
    struct Case {
        const char* what;
        std::string list;
        std::string folder;  // "" = the host
        std::string text;    // with "$P" = the plug-in folder, "$H" = the host
    };
    tree_.Write("host\\Drivers\\Blocked", "a file where a folder should be made");
    const std::vector<Case> cases = {
        {"missing host folder", "[Files2]\n[[VOQ-TMS.dll]]\nDest=Drivers\n", tree_.Path("gone"),
         "Specified Code Composer Studio v. 2.x folder does not exist. Please specify the correct folder."},
        {"missing Dest", "[Files2]\n[[VOQ-TMS.dll]]\nDest=Drivers\n[[VOQ-MST.dll]]\nDest=Nope\n", "",
         "The sub-folder 'Nope' does not exist in the specified Code Composer Studio v. 2.x folder. Please specify the "
         "correct Code Composer Studio folder."},
        {"sub-folder not made", "[Files2]\n[[VOQ-TMS.dll]]\nDest=Drivers\nSubFolder=Blocked\\Deeper\n", "",
         "Unable to create folder '$H\\Drivers\\Blocked\\Deeper', setup cannot continue."},
        {"missing source", "[Files2]\n[[ghost.dll]]\nDest=Drivers\n", "",
         "Unable to copy file '$P\\ghost.dll' to '$H\\Drivers\\ghost.dll', setup cannot continue."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseList(c.list);
        boxes_.Clear();
        EXPECT_FALSE(InstallFileList("Files2", c.folder.empty() ? Host().c_str() : c.folder.c_str(), 2));
        std::string text = c.text;
        for (auto [mark, value] : {std::pair<std::string, std::string>{"$P", tree_.Path("plugin")}, {"$H", Host()}})
            for (size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, 2, value);
        EXPECT_EQ(Texts(), std::vector<std::string>{text});
        ASSERT_EQ(boxes_.Boxes().size(), 1u);
        EXPECT_EQ(boxes_.Boxes()[0].icon, 102);  // "sf": the error icon
    }
    // The entry before the missing Dest was copied; a second Install copies again.
    EXPECT_TRUE(tree_.Exists("host\\Drivers\\VOQ-TMS.dll"));
}

TEST_F(FileInstallTest, BoxesSpeakTheSetupsLanguage)
{
    UseList("[Files3]\n[[VOQ-TMS.dll]]\nDest=Nope\n");
    g_mlLanguage = 1;
    EXPECT_FALSE(InstallFileList("Files3", Host().c_str(), 3));
    g_mlLanguage = 0;
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    // "Поддиректория 'Nope' не найдена ..." in code page 1251.
    EXPECT_EQ(boxes_.Boxes()[0].text.rfind("\xCF\xEE\xE4\xE4\xE8\xF0\xE5\xEA\xF2\xEE\xF0\xE8\xFF 'Nope'", 0), 0u);
    EXPECT_NE(boxes_.Boxes()[0].text.find("v. 3.x"), std::string::npos);
}

TEST_F(FileInstallTest, AHostileListIsRefusedBeforeAnythingIsCopied)
{
    struct Case {
        const char* entry;  // the section header's name
        const char* records;
    };
    const Case cases[] = {
        {"..\\escape.dll", "Dest=Drivers\n"},
        {"sub\\VOQ-TMS.dll", "Dest=Drivers\n"},
        {"sub/VOQ-TMS.dll", "Dest=Drivers\n"},
        {"C:VOQ-TMS.dll", "Dest=Drivers\n"},
        {"..", "Dest=Drivers\n"},
        {"VOQ-TMS.dll..", "Dest=Drivers\n"},
        {"VOQ-MST.dll", "Dest=..\n"},
        {"VOQ-MST.dll", "Dest=Drivers\\..\\..\n"},
        {"VOQ-MST.dll", "Dest=cc/../../outside\n"},
        {"VOQ-MST.dll", "Dest=C:\\Windows\n"},
        {"VOQ-MST.dll", "Dest=\\Windows\n"},
        {"VOQ-MST.dll", "Dest=Drivers\nSubFolder=..\\..\\..\\outside\n"},
        {"VOQ-MST.dll", "Dest=Drivers\nSubFolder=R:\\outside\n"},
        {"VOQ-MST.dll", "Dest=Drivers\nSubFolder=/outside\n"},
    };
    tree_.MakeDir("outside");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + c.records);
        // A good entry first: it must not be copied either.
        UseList(std::string("[Files2]\n[[VOQ-TMS.ini]]\nDest=Drivers\n[[") + c.entry + "]]\n" + c.records);
        boxes_.Clear();
        EXPECT_FALSE(InstallFileList("Files2", Host().c_str(), 2));
        ASSERT_EQ(boxes_.Boxes().size(), 1u);
        EXPECT_EQ(boxes_.Boxes()[0].text,
                  std::string("The entry '") + c.entry +
                      "' of the file list [Files2] names a place outside the Code Composer Studio v. 2.x folder, setup "
                      "cannot continue.");
        EXPECT_FALSE(tree_.Exists("host\\Drivers\\VOQ-TMS.ini"));
    }
    EXPECT_FALSE(tree_.Exists("escape.dll"));
    EXPECT_FALSE(tree_.Exists("outside\\VOQ-MST.dll"));
}

TEST_F(FileInstallTest, NamesThatOnlyLookOddAreAccepted)
{
    EXPECT_TRUE(IsPlainFileName("VOQ-TMS.dll"));
    EXPECT_TRUE(IsPlainFileName(".hidden"));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_TRUE(IsFolderBelow(""));
    EXPECT_TRUE(IsFolderBelow("cc\\bin"));
    EXPECT_TRUE(IsFolderBelow("a..b\\.x"));
    EXPECT_FALSE(IsFolderBelow("a\\..\\b"));
    EXPECT_FALSE(IsFolderBelow("a\\.."));
}

TEST_F(FileInstallTest, HelpSettingIsWrittenBesideThePlugInKeepingTheRest)
{
    UseList("");  // no install.ini: nothing to copy, the help setting all the same
    EXPECT_FALSE(Plugin()->fileList->IsLoaded());
    EXPECT_TRUE(InstallFileList("Files2", Host().c_str(), 2));
    tree_.Write("plugin\\VOQ-TMS.ini", "[Options]\nLogOn=1\nHelpFile=old.chm\n");
    ASSERT_TRUE(WriteHelpSetting("C:\\Program Files\\Korvan\\VOQ"));
    INIStream written(INI_READ_ONLY, tree_.Path("plugin\\VOQ-TMS.ini").c_str());
    written.SetSection("Options");
    ASSERT_NE(written.FindValue("HelpFile"), nullptr);
    EXPECT_STREQ(written.FindValue("HelpFile"), "C:\\Program Files\\Korvan\\VOQ\\VOQ-TMS.chm");
    ASSERT_NE(written.FindValue("LogOn"), nullptr);
    EXPECT_STREQ(written.FindValue("LogOn"), "1");
    // Named after the debugger, made when missing.
    Plugin()->debuggerName = "Other";
    ASSERT_TRUE(WriteHelpSetting("D:\\T\\"));
    INIStream other(INI_READ_ONLY, tree_.Path("plugin\\Other.ini").c_str());
    other.SetSection("Options");
    ASSERT_NE(other.FindValue("HelpFile"), nullptr);
    EXPECT_STREQ(other.FindValue("HelpFile"), "D:\\T\\Other.chm");
}

// Drive F: of the test prefix is a 64 KiB tmpfs (cmake/small-drive.sh).
TEST_F(FileInstallTest, AFullHostDriveFailsTheCopyAndASecondInstallCopiesAgain)
{
    if (GetFileAttributesA("F:\\") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no small drive F: (mounting a tmpfs needs root; see the prefix's small-drive.log)";
    const std::string host = "F:\\voq_outrig_host_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(host.c_str(), nullptr);
    CreateDirectoryA((host + "\\Drivers").c_str(), nullptr);
    tree_.Write("plugin\\big.dll", std::string(40 * 1024, 'D'));
    UseList("[Files3]\n[[VOQ-TMS.ini]]\nDest=Drivers\n[[big.dll]]\nDest=Drivers\n");
    // Most of the drive taken: the big file does not fit.
    const std::string filler = host + "\\filler";
    {
        HANDLE f = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        std::string block(4096, 'F');
        DWORD written = 0;
        for (int i = 0; i < 7; ++i) WriteFile(f, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
        CloseHandle(f);
    }
    EXPECT_FALSE(InstallFileList("Files3", host.c_str(), 3));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Unable to copy file '" + tree_.Path("plugin") + "\\big.dll' to '" + host +
                                          "\\Drivers\\big.dll', setup cannot continue.");
    DeleteFileA(filler.c_str());
    boxes_.Clear();
    EXPECT_TRUE(InstallFileList("Files3", host.c_str(), 3));
    EXPECT_TRUE(boxes_.Boxes().empty());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA((host + "\\Drivers\\big.dll").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 40u * 1024);
    for (const char* f : {"\\Drivers\\big.dll", "\\Drivers\\VOQ-TMS.ini"}) DeleteFileA((host + f).c_str());
    RemoveDirectoryA((host + "\\Drivers").c_str());
    RemoveDirectoryA(host.c_str());
}

}  // namespace
