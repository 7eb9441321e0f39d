#include "setup/shortcuts_names.h"

#include <cstring>

#include "framework/ui/ml_text.h"
#include "setup/install_seams.h"

namespace {

constexpr uint16_t kRussianLangId = 1049;

bool SameNoCase(const std::string& a, const char* b)
{
    if (a.size() != strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever the extension.
bool IsDeviceName(const char* name)
{
    std::string stem(name, strcspn(name, "."));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (SameNoCase(stem, device)) return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9') {
        const std::string head = stem.substr(0, 3);
        if (SameNoCase(head, "COM") || SameNoCase(head, "LPT")) return true;
    }
    return false;
}

}  // namespace

bool IsPlainFileName(const char* name, std::string& reason)
{
    reason.clear();
    const std::string quoted = std::string("'") + (name ? name : "") + "'";
    if (!name || !*name) {
        reason = "empty name";
        return false;
    }
    for (const char* p = name; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || strchr("\\/:*?\"<>|", c)) {
            reason = "invalid character in name " + quoted;
            return false;
        }
    }
    if (strstr(name, "..")) {
        reason = "'..' in name " + quoted;
        return false;
    }
    const char last = name[strlen(name) - 1];
    if (last == '.' || last == ' ') {
        reason = "name ends in a dot or a blank: " + quoted;
        return false;
    }
    if (IsDeviceName(name)) {
        reason = "device name " + quoted;
        return false;
    }
    return true;
}

bool IsSafeRelativePath(const char* path, std::string& reason)
{
    reason.clear();
    const std::string text = path ? path : "";
    if (text.empty()) {
        reason = "empty path";
        return false;
    }
    if (text[0] == '\\' || text[0] == '/' || text.find(':') != std::string::npos) {
        reason = "absolute path '" + text + "'";
        return false;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of("\\/", start);
        const std::string level = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string why;
        if (!IsPlainFileName(level.c_str(), why)) {
            reason = "unsafe path '" + text + "': " + why;
            return false;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return true;
}

uint8_t ItemLanguage(bool noRussian) { return (SystemLangId() == kRussianLangId && !noRussian) ? 1 : 0; }

bool ApplyUninstallName(std::string& name, std::string& target, const char* productName, uint8_t language)
{
    if (name != "Uninstall # Modify # Repair") return false;
    name = std::string(GetMLTextIn(language, "Uninstall |\323\344\340\353\350\362\374 ")) + (productName ? productName : "");
    const size_t slash = target.find_last_of("\\/");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = target.rfind('.');
    const std::string ext = (dot != std::string::npos && dot >= nameStart) ? target.substr(dot) : std::string();
    target = target.substr(0, nameStart) + "unrigger" + ext;
    return true;
}
