// The components of setup.ini: one RAR archive each, beside the setup
// program, listed once to know its entries and its unpacked size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Component {
    std::string name;         // the sub-section's name in [Components]
    std::string archivePath;  // <program folder>\<name>.rar
    uint64_t unpackedSize = 0;
    std::vector<std::string> entries;
};

// The archive of component `name` in `programFolder`.
std::string ComponentArchivePath(const std::string& programFolder, const std::string& name);

// Lists the component's archive through the archive library: the entries'
// names (in the ANSI code page) and the sum of their unpacked sizes. False
// after message 2004 (the archive cannot be opened) or 2021 (a header the
// library cannot read, or an entry it cannot skip).
bool ListComponentArchive(Component& component);
