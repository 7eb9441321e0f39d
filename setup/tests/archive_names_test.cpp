#include <gtest/gtest.h>

#include <string>

#include "setup/archive_names.h"

TEST(ArchiveNames, RelativeNamesBelowTheFolderOnly)
{
    const std::string longName(kMaxEntryName, 'n');
    const struct {
        std::string name;
        bool safe;
    } table[] = {
        {"a\\b.txt", true},
        {"a/b/c.txt", true},
        {"dir", true},
        {"name.with.dots.txt", true},
        {"..x", true},
        {longName, true},
        {"..\\x", false},
        {"a\\..\\..\\x", false},
        {"a/../x", false},
        {"..", false},
        {".\\x", false},
        {"a\\...\\x", false},  // the system drops trailing dots: a parent
        {"x. ", false},
        {"C:x", false},
        {"C:\\x", false},
        {"\\x", false},
        {"/x", false},
        {"\\\\srv\\s\\x", false},
        {"a:b", false},
        {"CON", false},
        {"sub\\con.txt", false},
        {"LPT1", false},
        {"COM9.log", false},
        {"COM0", true},
        {"CONSOLE", true},
        {"a\\\\b", false},
        {"a\\", false},
        {"", false},
        {"a\x01" "b", false},
        {"a?b", false},
        {"a|b", false},
        {longName + "x", false},
    };
    for (const auto& row : table) EXPECT_EQ(IsSafeEntryName(row.name.c_str()), row.safe) << "'" << row.name << "'";
    EXPECT_FALSE(IsSafeEntryName(nullptr));
}
