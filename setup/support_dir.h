// SUPPORTDIR: a fresh folder in TEMP holding what "SetupFiles.rar" (beside
// the setup program) unpacks: setup.ini, the licence texts, the banner, the
// plug-ins. Removed with its whole tree when the setup ends.
#pragma once

#include <string>

class SetupState;

// A new empty folder below `parent` (which ends with "\"), named by
// GetTempFileNameA; false when none could be made.
bool CreateUniqueFolder(const std::string& parent, std::string& folder);

// Without "SetupFiles.rar" SUPPORTDIR stays empty and this succeeds. Else
// the folder is made in TEMP, failing that in `fallbackParent` (message 2005
// when neither works), and the archive is unpacked into it: false when the
// extraction failed (SUPPORTDIR is then still set, for the clean-up).
bool PrepareSupportDir(SetupState& state, const char* fallbackParent = "C:\\");

// Removes SUPPORTDIR with everything in it, when there is one.
void RemoveSupportDir(SetupState& state);
