#include "setup/archive_names.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, also with an extension: the system
// opens the device whatever folder the name is in.
bool IsDeviceName(const std::string& part)
{
    std::string stem = part.substr(0, part.find('.'));
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0)) {
        return stem[3] >= '1' && stem[3] <= '9';
    }
    return false;
}

bool IsSafePart(const std::string& part)
{
    if (part.empty()) return false;
    // Trailing dots and blanks are dropped by the system: "..." and ". " would
    // become a parent or the folder itself.
    if (part.back() == '.' || part.back() == ' ') return false;
    for (unsigned char c : part) {
        if (c < 0x20 || std::strchr("<>:\"|?*", c)) return false;
    }
    return !IsDeviceName(part);
}

}  // namespace

bool IsSafeEntryName(const char* name)
{
    if (!name || !*name) return false;
    const size_t length = std::strlen(name);
    if (length > kMaxEntryName) return false;
    if (IsSeparator(name[0])) return false;  // rooted or UNC
    std::string part;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || IsSeparator(name[i])) {
            if (!IsSafePart(part)) return false;
            part.clear();
            continue;
        }
        part += name[i];
    }
    return true;
}
