// The plug-in's copy of the framework has no colour values.
#include "framework/config/ini_record.h"

#include <gtest/gtest.h>

#include "framework/config/ini_stream.h"

TEST(INIRecordOutrig, ColourDescriptorsAreIgnored) {
  INIStream stream;
  stream.SetSection("s").SetValue("RGB(1,2,3)", "c");
  uint32_t colour = 7;
  stream.Read(INIReadRecord::Color("c", colour));
  EXPECT_EQ(colour, 7u);
  stream.Write(INIWriteRecord::Color("d", 0x030201));
  EXPECT_EQ(stream.FindValue("d"), nullptr);
}
