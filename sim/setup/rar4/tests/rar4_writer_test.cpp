// The RAR 4 writer: its archives as another reader sees them, and the
// entries it refuses to write.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/setup/rar4/rar4_writer.h"

namespace {

const std::vector<rar4::WriterItem> kItems = {
    {"top.txt", "top level\n", false},
    {"sub", "", true},
    {"sub/deeper/data.bin", std::string(70000, '\x01') + "end", false},
};

TEST(Rar4Writer, RefusesUnsafeNamesUnlessRaw)
{
    for (const char* name : {"..\\x", "a/../../x", "C:\\x", "\\x", "CON"}) {
        std::string out, error;
        EXPECT_FALSE(rar4::WriteArchive({{name, "1", false}}, {}, out, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
        rar4::WriterOptions raw;
        raw.rawNames = true;
        EXPECT_TRUE(rar4::WriteArchive({{name, "1", false}}, raw, out, error)) << name;
        EXPECT_NE(out.find(name), std::string::npos) << "raw names are written as given";
    }
}

#ifndef _WIN32
// The archive as the system's own RAR reader lists and extracts it.
std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "<cannot run>";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    if (status != 0) out += "<exit " + std::to_string(status) + ">";
    return out;
}

TEST(Rar4Writer, BsdtarListsAndExtractsTheArchiveByteExact)
{
    const std::string path = testing::TempDir() + "rar4_writer_test.rar";
    std::string error;
    ASSERT_TRUE(rar4::WriteArchiveFile(path, kItems, {}, error)) << error;
    const std::string listing = RunCommand("bsdtar -tvf '" + path + "' 2>&1");
    EXPECT_EQ(listing.find("<exit"), std::string::npos) << listing;
    // bsdtar shows the names with "/" and the sizes of the files.
    EXPECT_NE(listing.find(" 10 "), std::string::npos) << listing;
    EXPECT_NE(listing.find("top.txt"), std::string::npos) << listing;
    EXPECT_NE(listing.find("sub/deeper/data.bin"), std::string::npos) << listing;
    EXPECT_NE(listing.find("70003"), std::string::npos) << listing;
    EXPECT_EQ(RunCommand("bsdtar -xOf '" + path + "' top.txt"), "top level\n");
    EXPECT_EQ(RunCommand("bsdtar -xOf '" + path + "' sub/deeper/data.bin"), kItems[2].bytes);
    std::remove(path.c_str());
}
#endif

}  // namespace
