#include "setup/conf_transfer.h"

#include <windows.h>

#include "framework/base/dir_finder.h"
#include "framework/base/dir_tree.h"
#include "framework/base/file_utils.h"
#include "framework/base/message.h"
#include "setup/installed_versions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The folder part of a mask with a trailing "\" ("" for a bare name).
std::string MaskFolder(const std::string& mask)
{
    const size_t at = mask.find_last_of("\\/");
    if (at == std::string::npos) return std::string();
    std::string folder = mask.substr(0, at + 1);
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

// Copies the files matching one mask; the number copied.
int CopyMask(const std::string& versionFolder, const std::string& transfer, const std::string& mask)
{
    const std::string pattern = versionFolder + "\\" + mask;
    const std::string targetFolder = transfer + "\\" + MaskFolder(mask);
    int copied = 0;
    for (PFileFinder finder(false, pattern.c_str()); finder.Found(); finder.Next()) {
        const std::string target = targetFolder + finder.Name();
        LogPrintf("    Copying '%s' to '%s'\n", finder.FullPath(), target.c_str());
        if (!MakeDirPath(targetFolder.c_str())) continue;
        if (CopyFileIfChanged(false, target.c_str(), finder.FullPath()) == 1) ++copied;
    }
    return copied;
}

}  // namespace

std::vector<std::string> SplitConfMasks(const std::string& confFiles)
{
    std::vector<std::string> masks;
    size_t start = 0;
    while (start <= confFiles.size()) {
        const size_t end = confFiles.find_first_of(";,", start);
        const std::string mask =
            Trimmed(confFiles.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? confFiles.size() + 1 : end + 1;
        if (!mask.empty()) masks.push_back(mask);
    }
    return masks;
}

bool IsSafeConfMask(const std::string& mask)
{
    if (mask.empty() || IsSeparator(mask[0]) || mask.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= mask.size()) {
        size_t end = start;
        while (end < mask.size() && !IsSeparator(mask[end])) ++end;
        if (Trimmed(mask.substr(start, end - start)) == "..") return false;
        start = end + 1;
    }
    return true;
}

std::string FirstUnsafeConfMask(const std::string& confFiles)
{
    for (const std::string& mask : SplitConfMasks(confFiles))
        if (!IsSafeConfMask(mask)) return mask;
    return std::string();
}

std::string TransferFolderPath(const SetupState& state)
{
    return state.supportDir + "\\ConfFiles";
}

void ClearTransfer(SetupState& state)
{
    state.transferFolder.clear();
    if (state.supportDir.empty()) return;
    const std::string folder = TransferFolderPath(state);
    if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteDirTree(folder.c_str());
}

int TransferConfFiles(SetupState& state, const std::string& version)
{
    ClearTransfer(state);
    LogPrintf("  Requested transfer of conf files from version '%s'\n", version.c_str());
    std::string versionFolder;
    if (!InstalledVersionFolder(state.product, version, versionFolder)) {
        ShowMessageById(SETUP_MSG_VERSION_FOLDER, version.c_str());
        return 1;
    }
    LogPrintf("  Conf files folder: '%s'\n", versionFolder.c_str());
    const std::string transfer = TransferFolderPath(state);
    if (state.supportDir.empty() || !MakeDirPath(transfer.c_str())) {
        ShowMessageById(SETUP_MSG_TEMP_SUBFOLDER);
        return 1;
    }
    const std::vector<std::string> masks = SplitConfMasks(state.product.confFiles);
    int copied = 0;
    for (const std::string& mask : masks) {
        if (IsSafeConfMask(mask)) copied += CopyMask(versionFolder, transfer, mask);
    }
    if (copied > 0) state.transferFolder = transfer;
    return masks.empty() ? 8 : 1;
}
