#include "framework/base/path.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/path_split.h"
#include "support/temp_tree.h"

namespace {

TEST(Path, SetSplitsAndDropsOneTrailingSeparator)
{
    struct Case {
        const char* in;
        const char* text;
        const char* drive;
        const char* dir;
        const char* name;
        const char* ext;
    } cases[] = {
        {"D:\\dir\\", "D:\\dir", "D:", "\\dir\\", "", ""},
        {"D:\\", "D:", "D:", "\\", "", ""},
        {"C:\\a\\b\\file.tar.gz", "C:\\a\\b\\file.tar.gz", "C:", "\\a\\b\\", "file.tar", "gz"},
        {"rel/name.ini", "rel/name.ini", "", "rel/", "name", "ini"},
        {"noext", "noext", "", "", "noext", ""},
        {"", "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        PPath p(c.in);
        EXPECT_STREQ(p.Text(), c.text) << c.in;
        EXPECT_STREQ(p.Drive(), c.drive) << c.in;
        EXPECT_STREQ(p.Dir(), c.dir) << c.in;
        EXPECT_STREQ(p.Name(), c.name) << c.in;
        EXPECT_STREQ(p.Ext(), c.ext) << c.in;
    }
}

TEST(Path, TooLongPathIsRejectedNotCut)
{
    std::string longPath = "C:\\" + std::string(kPathSize, 'a');
    PPath p(longPath.c_str());
    EXPECT_TRUE(p.IsTooLong());
    EXPECT_TRUE(p.IsEmpty());
    PPath ok((std::string("C:\\") + std::string(kPathSize - 4, 'a')).c_str());
    EXPECT_FALSE(ok.IsTooLong());
    ok.Append("more");
    EXPECT_TRUE(ok.IsTooLong());
    EXPECT_TRUE(ok.IsEmpty());
}

TEST(Path, JoinPathTable)
{
    struct Case {
        const char* dir;
        const char* name;
        const char* out;
    } cases[] = {
        {"", "\\name", "name"},
        {"C:\\dir", "\\name", "C:\\dir\\name"},
        {"C:\\dir", "/name", "C:\\dir\\name"},
        {"C:\\dir\\", "name", "C:\\dir\\name"},
        {"C:\\dir", "sub\\name", "C:\\dir\\sub\\name"},
        {nullptr, "x", "x"},
    };
    for (const Case& c : cases) {
        char out[kPathSize];
        EXPECT_TRUE(JoinPath(out, sizeof out, c.dir, c.name));
        EXPECT_STREQ(out, c.out) << (c.dir ? c.dir : "(null)") << " + " << c.name;
    }
    char small[8];
    EXPECT_FALSE(JoinPath(small, sizeof small, "C:\\long", "name"));
    EXPECT_STREQ(small, "");
}

TEST(Path, PartsAndReplacements)
{
    PPath p("C:\\dir\\file.txt");
    EXPECT_STREQ(p.GetDir().Text(), "C:\\dir");
    EXPECT_STREQ(p.GetNameExt().Text(), "file.txt");
    EXPECT_STREQ(p.ChangedExt("ini").Text(), "C:\\dir\\file.ini");
    EXPECT_STREQ(p.ChangedExt(".bak").Text(), "C:\\dir\\file.bak");
    EXPECT_STREQ(p.InFolder("D:\\other").Text(), "D:\\other\\file.txt");
    EXPECT_STREQ(p.WithName("new").Text(), "C:\\dir\\new.txt");
    EXPECT_STREQ(PPath("C:\\dir").Append("\\x").Text(), "C:\\dir\\x");
}

TEST(Path, ComparisonIgnoresCaseAndOneTrailingSeparator)
{
    PPath p("C:\\Program Files\\VOQ");
    EXPECT_TRUE(p.Equals("c:\\program files\\voq\\"));
    EXPECT_TRUE(p.Equals("C:\\PROGRAM FILES\\VOQ"));
    EXPECT_FALSE(p.Equals("C:\\Program Files\\VOQ\\\\"));
    EXPECT_FALSE(p.Equals(nullptr));
    EXPECT_TRUE(p.Greater("C:\\Program Files\\ABC"));
    EXPECT_FALSE(p.Greater("C:\\Program Files\\voq"));
    // Cyrillic letters compare without regard to case too.
    EXPECT_TRUE(PPath("C:\\\xCF\xE0\xEF\xEA\xE0").Equals("C:\\\xEF\xE0\xEF\xEA\xE0"));
}

TEST(Path, ExistenceAndKinds)
{
    TempTree tree;
    tree.MakeDir("sub");
    tree.Write("file.txt", "x");
    EXPECT_TRUE(PPath(tree.Root().c_str()).IsDirectory());
    EXPECT_TRUE(PPath(tree.Path("sub").c_str()).IsDirectory());
    EXPECT_FALSE(PPath(tree.Path("sub").c_str()).IsFile());
    EXPECT_TRUE(PPath(tree.Path("file.txt").c_str()).IsFile());
    EXPECT_FALSE(PPath(tree.Path("*.txt").c_str()).IsDirectory());
    EXPECT_FALSE(PPath(tree.Path("missing").c_str()).Exists());
    EXPECT_TRUE(PPath("C:").IsDirectory());
    EXPECT_TRUE(PPath("C:\\").IsDirectory());
}

TEST(Path, DeleteRemovesFilesAndTrees)
{
    TempTree tree;
    tree.MakeDir("d");
    tree.MakeDir("d\\e");
    tree.Write("d\\e\\f.bin", "1");
    tree.Write("g.txt", "2");
    EXPECT_EQ(PPath("").Delete(), 0);
    EXPECT_EQ(PPath(tree.Path("missing").c_str()).Delete(), 0);
    EXPECT_EQ(PPath(tree.Path("g.txt").c_str()).Delete(), 1);
    EXPECT_FALSE(tree.Exists("g.txt"));
    EXPECT_EQ(PPath(tree.Path("d").c_str()).Delete(), 1);
    EXPECT_FALSE(tree.Exists("d"));
}

TEST(Path, WellKnownFolders)
{
    EXPECT_TRUE(PPath::TempFolder().IsDirectory());
    EXPECT_TRUE(PPath::CurrentDir().IsDirectory());
    PPath program = PPath::ProgramFolder();
    EXPECT_TRUE(program.IsDirectory()) << program.Text();
}

TEST(SplitPath, PartsAndFolder)
{
    PSplitPath s(true, "C:\\dir\\name.ext");
    ASSERT_TRUE(s.IsValid());
    EXPECT_STREQ(s.Drive(), "C:");
    EXPECT_STREQ(s.Dir(), "\\dir\\");
    EXPECT_STREQ(s.Name(), "name");
    EXPECT_STREQ(s.Ext(), ".ext");
    char out[kSplitSize];
    ASSERT_TRUE(s.Folder(out, sizeof out));
    EXPECT_STREQ(out, "C:\\dir");
    ASSERT_TRUE(PSplitPath(true, "C:\\x.txt").Folder(out, sizeof out));
    EXPECT_STREQ(out, "C:\\");  // the separator after ":" stays
    ASSERT_TRUE(s.NameExt(out, sizeof out));
    EXPECT_STREQ(out, "name.ext");
    EXPECT_FALSE(PSplitPath(true, std::string(300, 'a').c_str()).IsValid());
}

}  // namespace
