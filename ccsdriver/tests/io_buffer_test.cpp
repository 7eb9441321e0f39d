#include "ccsdriver/io_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

IOBuffer WithReply(const std::vector<uint8_t>& bytes)
{
    IOBuffer buffer(0, 0);  // steps of 0 are taken as 1
    buffer.ClearIn();
    memcpy(buffer.Reserve(static_cast<uint32_t>(bytes.size())), bytes.data(), bytes.size());
    buffer.Received(static_cast<uint32_t>(bytes.size()));
    return buffer;
}

TEST(IOBuffer, PutsAreLittleEndianAndGrow)
{
    IOBuffer buffer(1, 1);
    buffer.PutU32(0x11223344);
    buffer.PutU16(0x5566);
    buffer.PutU8(0x77);
    buffer.PutText("ab");
    for (int i = 0; i < 1000; ++i) buffer.PutU8(static_cast<uint8_t>(i));
    const uint8_t head[] = {0x44, 0x33, 0x22, 0x11, 0x66, 0x55, 0x77, 'a', 'b', 0};
    ASSERT_EQ(1010u, buffer.OutSize());
    EXPECT_EQ(0, memcmp(head, buffer.OutData(), sizeof head));
    buffer.PatchU32(0, 6);
    EXPECT_EQ(6, buffer.OutData()[0]);
    buffer.Reset();
    EXPECT_EQ(0u, buffer.OutSize());
}

TEST(IOBuffer, GetPastTheEndZeroFillsAndKeepsTheCursor)
{
    IOBuffer buffer = WithReply({1, 2, 3});
    uint32_t value = 0xFFFFFFFF;
    EXPECT_FALSE(buffer.GetU32(value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ("Cannot get input data beyond command buffer", buffer.Error());
    EXPECT_EQ(0u, buffer.InPosition());
    EXPECT_TRUE(buffer.GetBytes(nullptr, 0));
    uint16_t half = 0;
    EXPECT_TRUE(buffer.GetU16(half));
    EXPECT_EQ(0x0201, half);
    uint8_t last = 0;
    EXPECT_TRUE(buffer.GetU8(last));
    EXPECT_EQ(3, last);
}

TEST(IOBuffer, TextsAdvancePastTheirNulAlsoWhenEmpty)
{
    IOBuffer buffer = WithReply({0, 'h', 'i', 0, 'x'});
    std::string text = "old";
    EXPECT_TRUE(buffer.GetString(text));
    EXPECT_EQ("", text);
    EXPECT_EQ(1u, buffer.InPosition());
    char small[2];
    EXPECT_TRUE(buffer.GetText(small, sizeof small));  // cut to the caller's buffer
    EXPECT_STREQ("h", small);
    // An unterminated text is refused, not read past the data.
    EXPECT_FALSE(buffer.GetString(text));
    std::vector<uint8_t> rest;
    buffer.GetRest(rest);
    EXPECT_EQ(std::vector<uint8_t>{'x'}, rest);
}

}  // namespace
