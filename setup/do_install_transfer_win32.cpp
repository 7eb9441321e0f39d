#include "setup/do_install_transfer.h"

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/dir_finder.h"
#include "framework/base/dir_tree.h"
#include "setup/install_log.h"

namespace {

struct Collected {
    std::vector<std::string> files;
};

int CollectFile(void* container, const PFileFinder& entry)
{
    if (!entry.IsDir()) static_cast<Collected*>(container)->files.push_back(entry.FullPath());
    return 1;
}

}  // namespace

bool FolderHasEntries(const char* folder)
{
    if (!folder || !*folder) return false;
    const std::string mask = std::string(folder) + "\\*.*";
    PFileFinder finder(true, mask.c_str());
    return finder.Found();
}

bool CopyTransferredFiles(const char* transferFolder, const char* targetDir, InstallLog* log)
{
    if (!FolderHasEntries(transferFolder)) return false;
    const std::string source = transferFolder;
    Collected collected;
    WalkDirTree(&collected, &CollectFile, (source + "\\*.*").c_str());
    if (log)
        for (const std::string& file : collected.files)
            log->AddFile((std::string(targetDir) + file.substr(source.size())).c_str());
    return CopyDirTree(nullptr, false, targetDir, transferFolder) == 1;
}
