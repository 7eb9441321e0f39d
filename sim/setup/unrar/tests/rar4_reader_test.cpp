// The stand-in archive library's reader on good, cut and damaged archives:
// every damage gives its result code and nothing is read outside the bytes
// (the native build runs this under AddressSanitizer).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sim/setup/rar4/rar4_format.h"
#include "sim/setup/rar4/rar4_writer.h"
#include "sim/setup/unrar/rar4_reader.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::vector<rar4::WriterItem> kItems = {
    {"a.txt", "hello", false},
    {"dir", "", true},
    {"dir\\b.bin", std::string(300, '\x5A'), false},
};
// Where each file header starts in the archive of kItems.
constexpr size_t kFirst = 7 + 13;
constexpr size_t kSecond = kFirst + 32 + 5 + 5;
constexpr size_t kThird = kSecond + 32 + 3;
constexpr size_t kEnd = kThird + 32 + 9 + 300;

Bytes Archive(const rar4::WriterOptions& options = {}, const std::vector<rar4::WriterItem>& items = kItems)
{
    std::string out, error;
    EXPECT_TRUE(rar4::WriteArchive(items, options, out, error)) << error;
    return Bytes(out.begin(), out.end());
}

void Put16(Bytes& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Recomputes the CRC of the header at `at` after a patch, over `size` bytes
// (its own size field unless given).
void Reseal(Bytes& b, size_t at, size_t size = 0)
{
    if (size == 0) size = rar4::Get16(&b[at + 5]);
    Put16(b, at, rar4::HeaderCrc(&b[at], size));
}

// Opens and walks the whole archive: the first non-zero code and the names
// of the entries whose data was read and checked.
struct Walk {
    int open = -1;
    int last = -1;
    std::vector<std::string> names;
};

Walk WalkAll(Bytes bytes)
{
    Walk w;
    rar4::Reader reader;
    w.open = reader.Open(std::move(bytes));
    if (w.open != rar4::kOk) return w;
    for (;;) {
        rar4::Entry e;
        w.last = reader.Next(e);
        if (w.last != rar4::kOk) return w;
        if (!e.IsDirectory()) {
            const uint8_t* data = nullptr;
            size_t size = 0;
            w.last = reader.Data(e, data, size);
            if (w.last != rar4::kOk) return w;
        }
        w.names.push_back(e.name);
    }
}

TEST(Rar4Reader, ReadsTheWritersArchiveWithItsFields)
{
    const Bytes bytes = Archive();
    ASSERT_EQ(bytes.size(), kEnd + 7);
    rar4::Reader reader;
    ASSERT_EQ(reader.Open(bytes), rar4::kOk);
    rar4::Entry e;
    ASSERT_EQ(reader.Next(e), rar4::kOk);
    EXPECT_EQ(e.name, "a.txt");
    EXPECT_EQ(e.unpackSize, 5u);
    EXPECT_EQ(e.method, rar4::kMethodStore);
    EXPECT_EQ(e.hostOS, rar4::kHostWin32);
    EXPECT_FALSE(e.IsDirectory());
    const uint8_t* data = nullptr;
    size_t size = 0;
    ASSERT_EQ(reader.Data(e, data, size), rar4::kOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "hello");
    ASSERT_EQ(reader.Next(e), rar4::kOk);
    EXPECT_EQ(e.name, "dir");
    EXPECT_TRUE(e.IsDirectory());
    ASSERT_EQ(reader.Next(e), rar4::kOk);
    EXPECT_EQ(e.name, "dir\\b.bin");
    ASSERT_EQ(reader.Data(e, data, size), rar4::kOk);
    EXPECT_EQ(size, 300u);
    EXPECT_EQ(reader.Next(e), rar4::kEndArchive);
    EXPECT_EQ(reader.Next(e), rar4::kEndArchive);
}

TEST(Rar4Reader, EveryCutGivesACodeAndCutsAtABlockEndReadWhatIsWhole)
{
    const Bytes whole = Archive();
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        const Walk w = WalkAll(Bytes(whole.begin(), whole.begin() + cut));
        if (cut < kFirst) {
            EXPECT_EQ(w.open, rar4::kBadArchive) << "cut " << cut;
            continue;
        }
        ASSERT_EQ(w.open, rar4::kOk) << "cut " << cut;
        // An archive may end without its end block (older archives have
        // none); a cut anywhere else is a damaged archive.
        const size_t whole_entries = cut >= kEnd ? 3 : cut >= kThird ? 2 : cut >= kSecond ? 1 : 0;
        const bool atBoundary = cut == kFirst || cut == kSecond || cut == kThird || cut == kEnd;
        EXPECT_EQ(w.last, atBoundary ? rar4::kEndArchive : rar4::kBadArchive) << "cut " << cut;
        EXPECT_EQ(w.names.size(), whole_entries) << "cut " << cut;
    }
}

TEST(Rar4Reader, DamagedHeadersAndDataGiveTheirCodes)
{
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        rar4::WriterOptions options;
        int open;
        int last;
        size_t entries;  // entries read whole before the code
    } cases[] = {
        {"not a RAR file", [](Bytes& b) { b[3] = 'X'; }, {}, rar4::kBadArchive, -1, 0},
        {"main header CRC", nullptr, {.badMainHeaderCrc = true}, rar4::kBadData, -1, 0},
        {"main header shorter than its fields", [](Bytes& b) { Put16(b, 7 + 5, 7); Reseal(b, 7, 7); }, {},
         rar4::kBadArchive, -1, 0},
        {"main header is not one", [](Bytes& b) { b[7 + 2] = rar4::kBlockFile; Reseal(b, 7); }, {}, rar4::kBadArchive,
         -1, 0},
        {"encrypted headers", [](Bytes& b) { Put16(b, 7 + 3, rar4::kMainEncryptedHeaders); Reseal(b, 7); }, {},
         rar4::kUnknownFormat, -1, 0},
        {"header CRC of entry 2", nullptr, {.badHeaderCrcEntry = 2}, rar4::kOk, rar4::kBadData, 1},
        {"data CRC of entry 3", nullptr, {.badDataCrcEntry = 3}, rar4::kOk, rar4::kBadData, 2},
        {"compressed entry 1", nullptr, {.compressedEntry = 1}, rar4::kOk, rar4::kUnknownFormat, 0},
        {"header size below 7", [](Bytes& b) { Put16(b, kSecond + 5, 6); Reseal(b, kSecond, 6); }, {}, rar4::kOk,
         rar4::kBadArchive, 1},
        {"long block too short for its size field", [](Bytes& b) { Put16(b, kSecond + 5, 9); Reseal(b, kSecond, 9); },
         {}, rar4::kOk, rar4::kBadArchive, 1},
        {"file header shorter than its fields", [](Bytes& b) { Put16(b, kSecond + 5, 20); Reseal(b, kSecond, 20); },
         {}, rar4::kOk, rar4::kBadArchive, 1},
        {"header size past the end", [](Bytes& b) { Put16(b, kThird + 5, 0xFFFF); }, {}, rar4::kOk,
         rar4::kBadArchive, 2},
        {"name size 0", [](Bytes& b) { Put16(b, kFirst + 26, 0); Reseal(b, kFirst); }, {}, rar4::kOk,
         rar4::kBadArchive, 0},
        {"name past the header", [](Bytes& b) { Put16(b, kFirst + 26, 6); Reseal(b, kFirst); }, {}, rar4::kOk,
         rar4::kBadArchive, 0},
        {"packed size past the end",
         [](Bytes& b) { b[kThird + 7] = 0xFF; b[kThird + 8] = 0xFF; b[kThird + 9] = 0xFF; Reseal(b, kThird); }, {},
         rar4::kOk, rar4::kBadArchive, 2},
        {"packed size not the unpacked size of a stored entry", [](Bytes& b) { b[kFirst + 11] = 4; Reseal(b, kFirst); },
         {}, rar4::kOk, rar4::kBadData, 0},
        {"64-bit sizes without room for them",
         [](Bytes& b) { Put16(b, kFirst + 3, rar4::kLongBlock | rar4::kFileLarge); Reseal(b, kFirst); }, {}, rar4::kOk,
         rar4::kBadArchive, 0},
        {"64-bit sizes that no file holds",
         [](Bytes& b) {
             // A large-file header: 8 more bytes, the high packed size set.
             std::vector<uint8_t> high = {0, 0, 0, 1, 0, 0, 0, 1};
             b.insert(b.begin() + kFirst + 32, high.begin(), high.end());
             Put16(b, kFirst + 3, rar4::kLongBlock | rar4::kFileLarge);
             Put16(b, kFirst + 5, 32 + 8 + 5);
             Reseal(b, kFirst);
         },
         {}, rar4::kOk, rar4::kBadArchive, 0},
        {"an unknown block's data past the end",
         [](Bytes& b) {
             const uint8_t block[11] = {0, 0, 0x7A, 0x00, 0x80, 11, 0, 0xFF, 0xFF, 0xFF, 0x7F};
             b.insert(b.begin() + kFirst, block, block + 11);
             Reseal(b, kFirst);
         },
         {}, rar4::kOk, rar4::kBadArchive, 0},
    };
    for (const Case& c : cases) {
        Bytes bytes = Archive(c.options);
        if (c.damage) c.damage(bytes);
        const Walk w = WalkAll(bytes);
        EXPECT_EQ(w.open, c.open) << c.what;
        if (c.open != rar4::kOk) continue;
        EXPECT_EQ(w.last, c.last) << c.what;
        EXPECT_EQ(w.names.size(), c.entries) << c.what;
    }
}

TEST(Rar4Reader, SkipsOtherBlocksWithTheirData)
{
    Bytes bytes = Archive();
    // A comment-like block with 4 bytes of data before the first entry.
    const uint8_t block[15] = {0, 0, 0x75, 0x00, 0x80, 11, 0, 4, 0, 0, 0, 'n', 'o', 't', 'e'};
    bytes.insert(bytes.begin() + kFirst, block, block + 15);
    Reseal(bytes, kFirst, 11);
    const Walk w = WalkAll(bytes);
    EXPECT_EQ(w.last, rar4::kEndArchive);
    EXPECT_EQ(w.names, (std::vector<std::string>{"a.txt", "dir", "dir\\b.bin"}));
}

TEST(Rar4Reader, NamesFromTheHeaderAndTheirSafety)
{
    struct Case {
        std::string stored;
        uint16_t extraFlags;
        std::string name;
        bool safe;
    } cases[] = {
        {"a\\b.txt", 0, "a\\b.txt", true},
        {std::string("abc\0\x01\x02", 6), rar4::kFileUnicode, "abc", true},  // the encoded part dropped
        {std::string("ok\0..\\x", 7), 0, std::string("ok\0..\\x", 7), false},  // a NUL without the flag
        {"..\\x", 0, "..\\x", false},
        {"C:\\x", 0, "C:\\x", false},
    };
    for (const Case& c : cases) {
        rar4::WriterOptions raw;
        raw.rawNames = true;
        Bytes bytes = Archive(raw, {{c.stored, "1", false}});
        if (c.extraFlags) {
            Put16(bytes, kFirst + 3, rar4::kLongBlock | c.extraFlags);
            Reseal(bytes, kFirst);
        }
        rar4::Reader reader;
        ASSERT_EQ(reader.Open(bytes), rar4::kOk);
        rar4::Entry e;
        ASSERT_EQ(reader.Next(e), rar4::kOk);
        EXPECT_EQ(e.name, c.name);
        EXPECT_EQ(e.HasSafeName(), c.safe) << c.name;
    }
}

}  // namespace
