// Decodes code page 866 text to UTF-8 so tests can state the Russian halves
// in readable Cyrillic. Independent of the tables under test: letters are
// mapped by their code page 866 rows; any other byte above 0x7F becomes
// "<?>" so that a wrong conversion shows.
#pragma once

#include <string>

namespace core_test {

inline std::string cp866_to_utf8(const std::string& text) {
    std::string out;
    auto put = [&out](unsigned cp) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    };
    for (unsigned char c : text) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c <= 0xAF)
            put(0x410 + (c - 0x80));  // А..Я, а..п
        else if (c >= 0xE0 && c <= 0xEF)
            put(0x440 + (c - 0xE0));  // р..я
        else if (c == 0xF0)
            put(0x401);  // Ё
        else if (c == 0xF1)
            put(0x451);  // ё
        else
            out += "<?>";
    }
    return out;
}

} // namespace core_test
