// The plug-in's copy of the framework: its message function takes no letter
// 'e', yet the framework's own file reports still carry the system's text,
// and drive roots exist as in the other deliverables.
#include "framework/base/file_binary.h"
#include "framework/base/file_utils.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/message.h"
#include "support/temp_tree.h"

namespace {

TEST(OutrigFiles, DriveRootExistsWithoutASearch)
{
    EXPECT_TRUE(FileExists(1, "C:\\"));
    EXPECT_TRUE(FileExists(1, "C:"));
}

TEST(OutrigFiles, LetterEIsRefusedButFileReportsKeepTheSystemText)
{
    TempTree tree;
    FwBoxRecorder boxes;
    EXPECT_EQ(DoMessage("es", "open"), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 5008);
    boxes.Clear();

    EXPECT_EQ(CopyFileIfChanged(false, tree.Path("dst").c_str(), tree.Path("missing").c_str()), 0);
    char unused[4];
    EXPECT_FALSE(ReadFileExact(false, tree.Path("missing").c_str(), unused, sizeof unused));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 6676);
    EXPECT_EQ(boxes.Boxes()[1].messageId, 5230);
    for (const FwRecordedBox& box : boxes.Boxes()) {
        size_t at = box.text.find("':\n");
        ASSERT_NE(at, std::string::npos) << box.text;
        EXPECT_GT(box.text.size(), at + 3) << box.text;  // the system's text follows
    }
}

}  // namespace
