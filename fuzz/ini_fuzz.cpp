// The INI engine on hostile file contents. Input: a mode byte, then the
// file's bytes; a line "%%include%%" splits off the contents of "inc.ini",
// which the main file may include.
//
// Mode byte: bits 0-1 choose read-only, read-write (saved and read again),
// preprocessed read-only, preprocessed read-write (saved by Save()); bits
// 3-6 add the comment, simple-line, blank-keeping and empty-section flags;
// bit 7 asks for the preprocessor's side files.
//
// Oracles: the sanitizers (leaks included); every record of a read-only
// stream is found under its own name (the first of its name); the file a
// read-write stream saved reads back as the records the stream held.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/config/ini_env.h"
#include "framework/config/ini_stream.h"
#include "fuzz/support/fuzz_check.h"

namespace {

using fuzz_support::check;

int quiet_sink(const char*, unsigned, const char*) { return 1; }
void quiet_trace(const char*) {}

const std::string& scratch()
{
    static const std::string dir = [] {
        char name[] = "/tmp/voq-ini-fuzz.XXXXXX";
        if (mkdtemp(name) == nullptr)
            std::abort();
        return std::string(name) + "/";
    }();
    return dir;
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string read_file(const std::string& path)
{
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return bytes;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) != 0)
        bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

void remove_files()
{
    for (const char* name : {"main.ini", "inc.ini", "again.ini", "main.pp", "main.pp1", "again.pp", "again.pp1"})
        std::remove((scratch() + name).c_str());
}

// Every record is found under its own name: the first record of that name
// in its section.
void check_lookup(INIStream& stream)
{
    for (const auto& section : stream.Sections()) {
        stream.SetSection(section->Name().c_str());
        if (stream.CurrentSection() != section.get())
            continue;  // an earlier section of the same name is the one found
        for (const auto& item : section->Records()) {
            if (item->Name()[0] == '\0')
                continue;  // a kept line, not a record
            const INIItem* first = nullptr;
            for (const auto& other : section->Records()) {
                if (std::strcmp(other->Name(), item->Name()) == 0) {
                    first = other.get();
                    break;
                }
            }
            const char* found = stream.FindValue(item->Name());
            check(found != nullptr, "a stored record is not found under its name");
            check(std::strcmp(found, first->Value()) == 0, "a name finds another record's value");
        }
    }
}

// Sections and named records with their values, nested streams included,
// in file order; line breaks in values as blanks (they are saved so).
std::string records_of(const INIStream& stream)
{
    std::string out;
    for (const auto& section : stream.Sections()) {
        std::string records;
        for (const auto& item : section->Records()) {
            if (item->Name()[0] == '\0')
                continue;
            std::string value = item->Value();
            for (char& c : value)
                if (c == '\r' || c == '\n')
                    c = ' ';
            records += std::string(item->Name()) + '\x01' + value + '\x02';
        }
        if (!records.empty())
            out += "[" + section->Name() + "]\x03" + records;
        // Sections without records need not be saved (a flag drops them).
        if (const INIStream* nested = section->Nested()) {
            const std::string inner = records_of(*nested);
            if (!inner.empty())
                out += "{" + inner + "}";
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ini_env::SetMessageSink(quiet_sink);
    ini_env::SetTraceSink(quiet_trace);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string included;
    const std::string marker = "%%include%%\n";
    if (const size_t at = text.find(marker); at != std::string::npos) {
        included = text.substr(at + marker.size());
        text.resize(at);
    }
    remove_files();
    const std::string main_path = scratch() + "main.ini";
    write_file(main_path, text);
    write_file(scratch() + "inc.ini", included);

    const bool read_only = (mode & 1u) == 0;
    const bool preprocessed = (mode & 2u) != 0;
    uint8_t flags = static_cast<uint8_t>(mode & 0x78u);
    if (read_only)
        flags |= INI_READ_ONLY;
    if (preprocessed)
        flags |= INI_PREPROCESS;
    if (preprocessed && (mode & 0x80u) != 0)
        flags |= INI_PP_FILES;

    if (read_only) {
        INIStream stream(flags, main_path.c_str());
        check_lookup(stream);
        return 0;
    }
    std::string kept;
    {
        INIStream stream(flags, main_path.c_str());
        if (preprocessed)
            stream.Save();
        kept = records_of(stream);
    }
    if (preprocessed) {
        // Saved by Save() only; read again for the sanitizers' sake.
        INIStream again(flags, main_path.c_str());
        return 0;
    }
    // What the stream held is what its saved file holds.
    INIStream again(static_cast<uint8_t>(flags | INI_READ_ONLY), main_path.c_str());
    check(records_of(again) == kept, "a saved file reads back other records");
    return 0;
}
