// mkrar: writes a stored RAR 4 archive, or one of its damaged variants.
//   mkrar [options] <archive> <entry>...
//   entry: NAME=FILE (the file's bytes under NAME) or NAME/ (a folder)
//   --bad-data-crc K, --bad-header-crc K, --compressed K (entries from 1),
//   --bad-main-crc, --raw (names as given), --truncate N (bytes kept)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim/setup/rar4/rar4_writer.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: mkrar [--bad-data-crc K] [--bad-header-crc K] [--compressed K] [--bad-main-crc] [--raw]\n"
                 "             [--truncate N] <archive> NAME=FILE|NAME/ ...\n");
    return 2;
}

bool ReadFile(const char* path, std::string& out)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) out.append(buffer, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool Number(const char* text, unsigned long long& out)
{
    char* end = nullptr;
    out = std::strtoull(text, &end, 10);
    return text[0] >= '0' && text[0] <= '9' && end && *end == '\0';
}

}  // namespace

int main(int argc, char** argv)
{
    rar4::WriterOptions options;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        if (option == "--raw") {
            options.rawNames = true;
            continue;
        }
        if (option == "--bad-main-crc") {
            options.badMainHeaderCrc = true;
            continue;
        }
        unsigned long long value = 0;
        if (i + 1 >= argc || !Number(argv[i + 1], value)) return Usage();
        ++i;
        if (option == "--bad-data-crc") options.badDataCrcEntry = static_cast<uint32_t>(value);
        else if (option == "--bad-header-crc") options.badHeaderCrcEntry = static_cast<uint32_t>(value);
        else if (option == "--compressed") options.compressedEntry = static_cast<uint32_t>(value);
        else if (option == "--truncate") options.truncateTo = static_cast<size_t>(value);
        else return Usage();
    }
    if (i >= argc) return Usage();
    const char* archive = argv[i++];
    std::vector<rar4::WriterItem> items;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        rar4::WriterItem item;
        const size_t equals = arg.find('=');
        if (equals == std::string::npos && !arg.empty() && arg.back() == '/') {
            item.name = arg.substr(0, arg.size() - 1);
            item.folder = true;
        } else if (equals != std::string::npos && equals > 0) {
            item.name = arg.substr(0, equals);
            if (!ReadFile(arg.c_str() + equals + 1, item.bytes)) {
                std::fprintf(stderr, "mkrar: cannot read %s\n", arg.c_str() + equals + 1);
                return 1;
            }
        } else {
            return Usage();
        }
        items.push_back(std::move(item));
    }
    std::string error;
    if (!rar4::WriteArchiveFile(archive, items, options, error)) {
        std::fprintf(stderr, "mkrar: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
