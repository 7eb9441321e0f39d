// Saved dialog sizes through the desktop file.
#include <gtest/gtest.h>

#include "framework/config/ini_stream.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/dialog_placements.h"
#include "framework/ui/ev_handler.h"

namespace {

TEST(DialogPlacements, WrittenAndReadBackOnTheDesktopBroadcasts)
{
    ClearDialogPlacements();
    StoreDialogPlacement(700, 420, 300);
    StoreDialogPlacement(10700, 440, 310);  // the Russian template keeps its own
    StoreDialogPlacement(700, 500, 320);    // replaces
    INIStream stream;
    PEvHandlerDispatcher::OnDesktopWrite(&stream);
    ClearDialogPlacements();
    PEvHandlerDispatcher::OnDesktopRead(&stream);
    ASSERT_EQ(DialogPlacementList().size(), 2u);
    EXPECT_EQ(FindDialogPlacement(700)->width, 500);
    EXPECT_EQ(FindDialogPlacement(700)->height, 320);
    EXPECT_EQ(FindDialogPlacement(10700)->width, 440);
}

TEST(DialogPlacements, AnEntryWithoutASizeEndsTheReading)
{
    ClearDialogPlacements();
    INIStream stream;
    INIStream* nested = stream.GetSubStream(true, "Dlg Placements");
    ASSERT_NE(nested, nullptr);
    nested->SelectSection("0x2BC").SetValue("400", "W").SetValue("300", "H");
    nested->SelectSection("701").SetValue("0", "W").SetValue("300", "H");
    nested->SelectSection("702").SetValue("400", "W").SetValue("300", "H");
    DialogPlacementsHandler::Read(stream);
    EXPECT_NE(FindDialogPlacement(700), nullptr);  // hexadecimal name
    EXPECT_EQ(FindDialogPlacement(701), nullptr);
    EXPECT_EQ(FindDialogPlacement(702), nullptr);  // after the end
    ClearDialogPlacements();
}

}  // namespace
