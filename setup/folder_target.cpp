#include "setup/folder_target.h"

#include "framework/base/dir_finder.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string NormalizeTargetFolder(const std::string& folder)
{
    const size_t n = folder.size();
    if (n == 0 || !IsSeparator(folder[n - 1])) return folder;
    if (n >= 2 && folder[n - 2] == ':') return folder;
    return folder.substr(0, n - 1);
}

bool IsAbsoluteFolder(const std::string& folder)
{
    if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == ':' && IsSeparator(folder[2])) return true;
    // "\\server\share": a name after the two backslashes.
    return folder.size() >= 3 && IsSeparator(folder[0]) && IsSeparator(folder[1]) && !IsSeparator(folder[2]);
}

bool FolderHasContent(const std::string& folder)
{
    std::string mask = folder;
    if (!mask.empty() && !IsSeparator(mask.back())) mask += '\\';
    mask += "*.*";
    // The finder skips "." and "..", so an empty folder finds nothing.
    PFileFinder finder(true, mask.c_str());
    return finder.Found();
}

FolderVerdict CheckTargetFolder(std::string& folder)
{
    if (folder.empty()) return FolderVerdict::Empty;
    folder = NormalizeTargetFolder(folder);
    if (!IsAbsoluteFolder(folder)) return FolderVerdict::NotAbsolute;
    return FolderHasContent(folder) ? FolderVerdict::AskReplace : FolderVerdict::Accept;
}
