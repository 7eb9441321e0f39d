#include "setup/support_dir.h"

#include <windows.h>

#include "framework/base/dir_tree.h"
#include "framework/base/message.h"
#include "setup/archive_extract.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

bool CreateUniqueFolder(const std::string& parent, std::string& folder)
{
    char name[MAX_PATH];
    if (!GetTempFileNameA(parent.c_str(), "", 0, name)) return false;
    // The call made a file of that name to reserve it: the folder takes its
    // place.
    DeleteFileA(name);
    if (!CreateDirectoryA(name, nullptr)) return false;
    folder = name;
    return true;
}

bool PrepareSupportDir(SetupState& state, const char* fallbackParent)
{
    state.supportDir.clear();
    const std::string archive = ArchivePathFor(state, "SetupFiles");
    if (GetFileAttributesA(archive.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    LogPrintf("Unpacking setup files...\n");
    std::string folder;
    if (!CreateUniqueFolder(state.tempDir, folder) && !CreateUniqueFolder(fallbackParent, folder)) {
        ShowMessageById(SETUP_MSG_TEMP_FOLDER);
        return false;
    }
    state.supportDir = folder;
    LogPrintf("SUPPORTDIR: '%s'\n", folder.c_str());
    return ExtractArchive(state, archive.c_str(), folder.c_str()) == 1;
}

void RemoveSupportDir(SetupState& state)
{
    if (state.supportDir.empty()) return;
    LogPrintf("Removing SUPPORTDIR: '%s'\n", state.supportDir.c_str());
    DeleteDirTree(state.supportDir.c_str());
    state.supportDir.clear();
}
