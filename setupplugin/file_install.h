// The copy of the driver's files into one host installation, as the file
// list (install.ini beside the plug-in) names them, and the help setting
// that the driver reads from its settings file.
//
// The file list's sections "Files2" and "Files3" hold one nested section per
// file, named by the file (which lies beside the plug-in), with "Dest" (an
// existing sub-folder of the installation root; empty = the root) and
// "SubFolder" (a sub-folder of Dest, made when missing). install.ini is
// package data: a name with a separator, a drive or "..", or a Dest or
// SubFolder that climbs out of the root or names a drive, is refused before
// anything of that list is copied. Every failure is one error box.
#pragma once

#include <cstdint>

// True for a file name without separators, drive colon or "..".
bool IsPlainFileName(const char* name);
// True for a relative folder path below its base: no drive, no leading
// separator, no ".." level.
bool IsFolderBelow(const char* path);

// Copies the list `section` into the installation at `folder`.
bool InstallFileList(const char* section, const char* folder, uint32_t version);

// Writes "HelpFile" = TARGETDIR\<debugger name>.chm into [Options] of
// <debugger name>.ini beside the plug-in (made when missing).
bool WriteHelpSetting(const char* targetDir);
