// The search for host installations, on registry entries and folders of the
// test's own: which sub-key is a 2.x or 3.x candidate, which candidate is
// accepted, what is shown, and that a rejected candidate leaves nothing
// behind for the launch of the board setup program.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "setupplugin/host_discovery.h"
#include "setupplugin/plugin_state.h"
#include "setupplugin/tests/support/host_fixture.h"

namespace {

constexpr const char* kTestKey = "Software\\VOQ-outrig-discovery-test";
constexpr const char* kKey = "Software\\VOQ-outrig-discovery-test\\Texas Instruments";
constexpr const char* kCcs = "Code Composer Studio";

TEST(CandidateRules, VersionTwoIsExactVersionThreeIsAPrefix)
{
    struct Case {
        const char* product;
        const char* version;
        bool two;
        bool three;
    };
    const Case cases[] = {
        {"Code Composer Studio", "2", true, false},
        {"code composer studio", "2", true, false},  // case does not matter for 2.x
        {"CODE COMPOSER STUDIO", "2", true, false},
        {"Code Composer Studio", "2.2", false, false},
        {"Code Composer Studio 2", "2", false, false},
        {"Code Composer Studio 3.1", "3.10", false, true},
        {"Code Composer Studio", "3", false, true},
        {"code composer studio 3.1", "3.10", false, false},  // 3.x wants the phrase as written
        {"Code Composer Studio 3.3", "v3", false, false},
        {"", "3", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " / " + c.version);
        EXPECT_EQ(IsCcsCandidate(2, c.product, c.version), c.two);
        EXPECT_EQ(IsCcsCandidate(3, c.product, c.version), c.three);
    }
    EXPECT_FALSE(IsCcsCandidate(2, nullptr, "2"));
}

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitPluginIn(tree_.Root().c_str());
        MakeHost(tree_, "r2");
        MakeHost(tree_, "r3");
        MakeHost(tree_, "lower");
        MakeHost(tree_, "nodrivers", false);
        tree_.Write("r3\\file", "not a folder");
    }
    void TearDown() override
    {
        FreePlugin();
        registry_.Clear();
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    }
    // The root shown for the version, or "" when none was found (also
    // checking that the CC_APP path is set exactly when found).
    std::string Find(uint32_t version, const std::vector<ProductKey>& products)
    {
        registry_.Write(products, tree_.Root());
        CcsFolderOption(version).SetText("");
        bool found = FindCcsFolder(version, HKEY_CURRENT_USER, kKey);
        EXPECT_EQ(found, !CcsAppPath(version).IsEmpty());
        return found ? CcsFolderOption(version).GetText() : "";
    }
    TempTree tree_;
    RegistryFixture registry_{HKEY_CURRENT_USER, kKey};
};

TEST_F(DiscoveryTest, DecoysBeforeTheInstallationsAreSkipped)
{
    // Sub-keys are enumerated in name order: the decoys come first.
    const std::vector<ProductKey> host = {
        {"0 lower case, no Drivers", "code composer studio", "2", "$T\\nodrivers\\cc\\bin"},
        {"1 version 2.2", kCcs, "2.2", "$T\\r2\\cc\\bin"},
        {"2 CC_APP not a folder", "Code Composer Studio 3.1", "3.10", "$T\\r3\\file"},
        {"3 ccs2", kCcs, "2", "$T\\r2\\cc\\bin"},
        {"4 ccs3", "Code Composer Studio 3.1", "3.10", "$T\\r3\\cc\\bin"},
    };
    EXPECT_EQ(Find(2, host), tree_.Path("r2"));
    EXPECT_STREQ(CcsAppPath(2).Text(), tree_.Path("r2\\cc\\bin").c_str());
    EXPECT_EQ(Find(3, host), tree_.Path("r3"));
    EXPECT_STREQ(CcsAppPath(3).Text(), tree_.Path("r3\\cc\\bin").c_str());
}

TEST_F(DiscoveryTest, WhatIsAcceptedAndWhatIsNot)
{
    struct Case {
        const char* what;
        uint32_t version;
        std::vector<ProductKey> products;
        std::string root;  // with "$T"; empty: nothing found
    };
    const std::vector<Case> cases = {
        {"a lower-case 2.x product is a candidate", 2, {{"a", "code composer studio", "2", "$T\\lower\\cc\\bin"}}, "$T\\lower"},
        {"no Drivers: skipped, the next sub-key found", 3,
         {{"a", "Code Composer Studio 3.3", "3.3", "$T\\nodrivers\\cc\\bin"}, {"b", "Code Composer Studio 3.1", "3.10", "$T\\r3\\cc\\bin"}},
         "$T\\r3"},
        {"only a rejected candidate: nothing, no CC_APP kept", 3,
         {{"a", "Code Composer Studio 3.1", "3.10", "$T\\nodrivers\\cc\\bin"}}, ""},
        {"CC_APP missing", 2, {{"a", kCcs, "2", ""}}, ""},
        {"CC_APP empty", 2, {{"a", kCcs, "2", "", REG_SZ}}, ""},
        {"CC_APP relative", 2, {{"a", kCcs, "2", "lower\\cc\\bin"}}, ""},
        {"CC_APP a number", 2, {{"a", kCcs, "2", "1234", REG_DWORD}}, ""},
        {"CC_APP with a trailing separator", 2, {{"a", kCcs, "2", "$T\\r2\\cc\\bin\\"}}, "$T\\r2"},
        {"CC_APP through an environment variable", 3,
         {{"a", "Code Composer Studio 3.1", "3.10", "%VOQ_OUTRIG_HOST%\\cc\\bin", REG_EXPAND_SZ}}, "$T\\r3"},
        {"no version value", 2, {{"a", kCcs, "", "$T\\r2\\cc\\bin"}}, ""},
        {"a 3.x entry is no 2.x one", 2, {{"a", "Code Composer Studio 3.1", "3.10", "$T\\r3\\cc\\bin"}}, ""},
        {"no sub-keys", 3, {}, ""},
    };
    SetEnvironmentVariableA("VOQ_OUTRIG_HOST", tree_.Path("r3").c_str());
    // A relative CC_APP must not be taken from the current folder, where it
    // would name a real installation.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(tree_.Root().c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Find(c.version, c.products), WithRoot(c.root, tree_.Root()));
    }
    SetCurrentDirectoryA(previous);
}

TEST_F(DiscoveryTest, NoProductKeyFindsNothingAndClearsAnEarlierFind)
{
    EXPECT_EQ(Find(2, {{"a", kCcs, "2", "$T\\r2\\cc\\bin"}}), tree_.Path("r2"));
    registry_.Clear();
    EXPECT_FALSE(FindCcsFolder(2, HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(CcsAppPath(2).IsEmpty());
}

}  // namespace
