// Carrying the user's configuration files over from an installed version:
// the files that setup.ini [Product] "ConfFiles" names, relative to that
// version's folder, are copied into the transfer folder SUPPORTDIR +
// "\ConfFiles", from where the installation step copies them into TARGETDIR.
#pragma once

#include <string>
#include <vector>

class SetupState;

// The masks of a "ConfFiles" list, separated by ";" or ",", blanks trimmed,
// empty ones dropped.
std::vector<std::string> SplitConfMasks(const std::string& confFiles);

// A mask stays inside the version's folder: it is relative (no drive, no
// leading "\" or "/") and no part of it is "..".
bool IsSafeConfMask(const std::string& mask);
// The first mask of the list that is not safe, or empty when all are.
std::string FirstUnsafeConfMask(const std::string& confFiles);

// "%s\ConfFiles" of SUPPORTDIR.
std::string TransferFolderPath(const SetupState& state);

// Removes an earlier transfer: the folder with its tree, and the path.
void ClearTransfer(SetupState& state);

// Copies the configuration files of the installed `version` into the
// transfer folder, with the log lines and messages of the versions page:
// 2000 when the version's folder is not recorded, 2001 when the transfer
// folder cannot be made (both give 1 with no transfer). Returns 8 for an
// empty mask list, else 1. `state.transferFolder` is set only when at least
// one file was copied, so that a set path always means "files were
// transferred" to the installation step.
int TransferConfFiles(SetupState& state, const std::string& version);
