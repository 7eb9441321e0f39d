#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ccsdriver/board_config.h"
#include "ccsdriver/driver_settings.h"
#include "ccsdriver/gti_api.h"
#include "framework/base/hooks.h"
#include "framework/ui/ml_text.h"
#include "support/driver_fixture.h"

namespace {

class BoardConfig : public DriverFixture {};

std::string WriteTemp(const char* text)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "cfg", 0, path);
    FILE* f = fopen(path, "wb");
    fputs(text, f);
    fclose(f);
    return path;
}

TEST_F(BoardConfig, CapabilityFile)
{
    const struct {
        const char* text;
        uint32_t mask;
    } cases[] = {
        {"", 0x8400E},
        {"\n  \n", 0x8400E},
        {"; comment\nA 0x8000\nB 6\n", 0x8006},
        {"   / slashed comment 0x1\nC  0x10  ignored\n", 0x10},  // double blank: empty words dropped
        {"; only comments\n", 0},
        {"single\n", 0},
        {"X 12\r\nY 0x100", 0x10C},
    };
    for (const auto& c : cases) {
        std::string path = WriteTemp(c.text);
        EXPECT_EQ(c.mask, ReadCapabilityFile(path.c_str())) << c.text;
        DeleteFileA(path.c_str());
    }
    EXPECT_EQ(kDefaultCapabilities, ReadCapabilityFile("Z:\\no\\such\\file.cfg"));
}

TEST_F(BoardConfig, ParameterListCarriesTheSettings)
{
    BoardParamList* list = nullptr;
    EXPECT_EQ(0, GTI_GETCONFIGPARAM(nullptr, &list, "VOQ"));
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(2u, list->count);
    EXPECT_STREQ("TCK Frequency", list->entries[0].name);
    EXPECT_EQ(8u, list->entries[0].choiceCount);
    EXPECT_EQ(3u, list->entries[0].current);
    EXPECT_STREQ("18 MHz", list->entries[0].choices[0]);
    EXPECT_STREQ("140.625 KHz", list->entries[0].choices[7]);
    EXPECT_STREQ("Log File", list->entries[1].name);
    EXPECT_EQ(2u, list->entries[1].choiceCount);
    EXPECT_EQ(0u, list->entries[1].current);
    EXPECT_STREQ("On", list->entries[1].choices[1]);
    EXPECT_TRUE(Traced("  sBoardName = \"VOQ\"\n"));
}

TEST_F(BoardConfig, RussianTextsAreTakenWhenTheListIsBuilt)
{
    g_mlLanguage = 1;
    BoardParamList* list = nullptr;
    GTI_CONFIG(nullptr, &list, "VOQ", 0);
    ASSERT_NE(nullptr, list);
    EXPECT_STREQ("\xD7\xE0\xF1\xF2\xEE\xF2\xE0 TCK", list->entries[0].name);  // code page 1251
    EXPECT_STREQ("18 \xCC\xC3\xF6", list->entries[0].choices[0]);
}

TEST_F(BoardConfig, HostEditsTheListAndSetConfigParamTakesIt)
{
    BoardParamList* list = nullptr;
    GTI_GETCONFIGPARAM(nullptr, &list, "VOQ");
    ASSERT_NE(nullptr, list);
    list->entries[0].current = 5;
    list->entries[1].current = 1;
    g_fwSettings.tracing = 0;
    EXPECT_EQ(0, GTI_SETCONFIGPARAM(nullptr, nullptr, "VOQ"));
    EXPECT_EQ(5u, DrvJtagSpeed());
    EXPECT_TRUE(DrvLogOn());
    EXPECT_EQ(1, g_fwSettings.tracing) << "the export traces follow the log switch";

    // Values the settings cannot hold keep the old ones.
    list->entries[0].current = 8;
    list->entries[1].current = 256;
    GTI_CONFIG(nullptr, &list, "VOQ", 1);
    EXPECT_EQ(5u, DrvJtagSpeed());
    EXPECT_TRUE(DrvLogOn());
}

TEST_F(BoardConfig, FreeAndRebuildAndUnknownAction)
{
    EXPECT_EQ(0, GTI_SETCONFIGPARAM(nullptr, nullptr, "VOQ"));  // no list yet: nothing changes
    EXPECT_EQ(3u, DrvJtagSpeed());
    BoardParamList* list = nullptr;
    EXPECT_EQ(0, GTI_CONFIG(nullptr, &list, "VOQ", 0));
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(-1, GTI_CONFIG(nullptr, &list, "VOQ", 3));
    EXPECT_EQ(list, BoardRecord().params);
    EXPECT_EQ(0, GTI_CONFIG(nullptr, &list, "VOQ", 2));
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(nullptr, BoardRecord().params);
    DrvSetJtagSpeed(6);
    EXPECT_EQ(0, GTI_GETCONFIGPARAM(nullptr, &list, "VOQ"));
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(6u, list->entries[0].current);
    EXPECT_EQ(-1, GTI_GETCONFIGPARAM(nullptr, nullptr, "VOQ"));
    EXPECT_TRUE(Traced("  nAction = 3\n"));
    EXPECT_TRUE(Traced("  nResult = -1\n"));
}

}  // namespace
