// The user's configuration files carried over from an installed version:
// the whole transfer folder is copied into TARGETDIR, overwriting, and every
// file it brings is recorded in the install log first so that the
// uninstaller removes it with the rest.
#pragma once

class InstallLog;

// True when the folder held files and all were copied. An empty
// `transferFolder` copies nothing.
bool CopyTransferredFiles(const char* transferFolder, const char* targetDir, InstallLog* log);

// True when `folder` exists and holds at least one file or folder.
bool FolderHasEntries(const char* folder);
