// The registry key wrapper on a key of the test's own under HKCU: one row
// per value type, values without their terminator, errors that must leave
// nothing to read, and the enumeration's end.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "setupplugin/reg_key.h"

namespace {

constexpr const char* kTestKey = "Software\\VOQ-outrig-regkey-test";

class RegKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(raw_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    }
    void Put(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExA(raw_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS) << name;
    }
    HKEY raw_ = nullptr;
};

struct Row {
    const char* name;
    DWORD type;
    std::string bytes;       // as stored
    const char* text;        // GetString's answer, null for none
    uint32_t number;         // GetDword's answer
    uint32_t size;           // Size() after the read; kAny: as the system counts
};

// The ANSI read of a text stored without its NUL may count one that the
// system adds.
constexpr uint32_t kAny = 0xFFFFFFFFu;

TEST_F(RegKeyTest, EachTypeReadsAsItsGettersPromise)
{
    SetEnvironmentVariableA("VOQ_REGKEY_VAR", "expanded");
    const std::vector<Row> rows = {
        {"sz", REG_SZ, std::string("text\0", 5), "text", 0, 5},
        {"expand", REG_EXPAND_SZ, std::string("C:\\%VOQ_REGKEY_VAR%\\x\0", 22), "C:\\expanded\\x", 0, 14},
        {"multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6), "a", 0, 6},
        {"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4), nullptr, 0x12345678, 4},
        {"big", REG_DWORD_BIG_ENDIAN, std::string("\x00\x00\x01\x02", 4), nullptr, 0x0102, 4},
        {"binary", REG_BINARY, std::string("\x01\x02\x03", 3), nullptr, 0, 3},
        // Stored without terminators: the wrapper's buffer ends them.
        {"sz-no-nul", REG_SZ, std::string("abc", 3), "abc", 0, kAny},
        {"multi-no-nul", REG_MULTI_SZ, std::string("ab", 2), "ab", 0, kAny},
        {"empty-sz", REG_SZ, std::string(), "", 0, 0},
        // Shorter than four bytes: no number is made of bytes past the value.
        {"short-dword", REG_DWORD, std::string("\x01\x02", 2), nullptr, 0, 2},
        {"short-big", REG_DWORD_BIG_ENDIAN, std::string("\x01", 1), nullptr, 0, 1},
        {"empty-dword", REG_DWORD, std::string(), nullptr, 0, 0},
    };
    for (const Row& row : rows)
        Put(row.name, row.type, row.bytes.data(), static_cast<DWORD>(row.bytes.size()));

    RegKey key(HKEY_CURRENT_USER, kTestKey, KEY_READ);
    ASSERT_TRUE(key.IsOpen());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(key.Query(row.name), 0u);
        EXPECT_EQ(key.Type(), row.type);
        if (row.size != kAny) {
            EXPECT_EQ(key.Size(), row.size);
        }
        if (row.text) {
            ASSERT_NE(key.GetString(), nullptr);
            EXPECT_STREQ(key.GetString(), row.text);
        } else {
            EXPECT_EQ(key.GetString(), nullptr);  // a number is no text
        }
        EXPECT_EQ(key.GetDword(), row.number);
    }
    // A multi-string keeps its later strings after the first NUL.
    ASSERT_EQ(key.Query("multi"), 0u);
    EXPECT_STREQ(key.GetString() + 2, "bc");
}

TEST_F(RegKeyTest, AFailedReadLeavesNothingToRead)
{
    Put("sz", REG_SZ, "text", 5);
    RegKey key(HKEY_CURRENT_USER, kTestKey, KEY_READ);
    ASSERT_EQ(key.Query("sz"), 0u);
    ASSERT_NE(key.GetString(), nullptr);
    EXPECT_EQ(key.Query("missing"), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(key.Type(), RegKey::kNoType);
    EXPECT_EQ(key.GetString(), nullptr);
    EXPECT_EQ(key.GetDword(), 0u);

    RegKey closed(HKEY_CURRENT_USER, "Software\\VOQ-outrig-no-such-key", KEY_READ);
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.Query("sz"), RegKey::kNoKey);
    EXPECT_EQ(closed.Type(), RegKey::kNoType);
    EXPECT_EQ(closed.GetString(), nullptr);
    char name[256];
    EXPECT_NE(closed.NextSubKey(name, sizeof name), ERROR_SUCCESS);
}

TEST_F(RegKeyTest, WritesWithTheSizeTheTypeImplies)
{
    RegKey key(HKEY_CURRENT_USER, kTestKey, KEY_READ | KEY_WRITE);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.SetString("s", "hello"), ERROR_SUCCESS);
    EXPECT_EQ(key.SetDword("d", 0xCAFE), ERROR_SUCCESS);
    const char bytes[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(key.SetBinary("b", bytes, 5), ERROR_SUCCESS);
    EXPECT_EQ(key.SetValue("s2", "ab", REG_SZ, 100), ERROR_SUCCESS);  // the text's own size wins
    EXPECT_EQ(key.SetValue("d2", "\x01\x00\x00\x00\xFF\xFF", REG_DWORD, 6), ERROR_SUCCESS);

    ASSERT_EQ(key.Query("s"), 0u);
    EXPECT_STREQ(key.GetString(), "hello");
    EXPECT_EQ(key.Size(), 6u);
    ASSERT_EQ(key.Query("d"), 0u);
    EXPECT_EQ(key.GetDword(), 0xCAFEu);
    ASSERT_EQ(key.Query("b"), 0u);
    EXPECT_EQ(key.Size(), 5u);
    ASSERT_EQ(key.Query("s2"), 0u);
    EXPECT_EQ(key.Size(), 3u);
    ASSERT_EQ(key.Query("d2"), 0u);
    EXPECT_EQ(key.Size(), 4u);
    EXPECT_EQ(key.GetDword(), 1u);

    EXPECT_EQ(key.DeleteValue("s"), ERROR_SUCCESS);
    EXPECT_EQ(key.Query("s"), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegKeyTest, CreateNeedsItsParentAndEnumerationEndsWith259)
{
    // Asked with read access only: creating the sub-key still works.
    {
        RegKey created(RegKey::kCreate, HKEY_CURRENT_USER, kTestKey, "b", KEY_READ);
        EXPECT_TRUE(created.IsOpen());
    }
    {
        RegKey created(RegKey::kCreate, HKEY_CURRENT_USER, kTestKey, "a", KEY_ALL_ACCESS);
        ASSERT_TRUE(created.IsOpen());
        EXPECT_EQ(created.SetString("v", "x"), ERROR_SUCCESS);
    }
    RegKey orphan(RegKey::kCreate, HKEY_CURRENT_USER, "Software\\VOQ-outrig-no-such-key\\deeper", "c", KEY_ALL_ACCESS);
    EXPECT_FALSE(orphan.IsOpen());
    HKEY stray = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VOQ-outrig-no-such-key", 0, KEY_READ, &stray), ERROR_SUCCESS);

    RegKey key(HKEY_CURRENT_USER, kTestKey, KEY_READ | KEY_WRITE);
    std::vector<std::string> names;
    char name[256];
    LONG rc;
    while ((rc = key.NextSubKey(name, sizeof name)) == ERROR_SUCCESS) names.push_back(name);
    EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(rc, 259);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
    // A buffer too small for a name: that name is passed, the next one read.
    RegKey again(HKEY_CURRENT_USER, kTestKey, KEY_READ);
    {
        RegKey longer(RegKey::kCreate, HKEY_CURRENT_USER, kTestKey, "aaaa", KEY_ALL_ACCESS);
    }
    char small[3];
    std::vector<std::string> fitting;
    for (int i = 0; i < 10 && (rc = again.NextSubKey(small, sizeof small)) != ERROR_NO_MORE_ITEMS; ++i)
        if (rc == ERROR_SUCCESS) fitting.push_back(small);
    EXPECT_EQ(fitting, (std::vector<std::string>{"a", "b"}));

    EXPECT_EQ(key.DeleteKey("a"), ERROR_SUCCESS);
    EXPECT_NE(key.DeleteKey("a"), ERROR_SUCCESS);
}

}  // namespace
