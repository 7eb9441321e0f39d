// The plug-in call: every "PlugIn*.dll" of SUPPORTDIR, in name order, gets
// one call of its Execute with the plug-in block.
#pragma once

#include <string>
#include <vector>

class SetupState;

// The full paths of SUPPORTDIR's "PlugIn*.dll" files, sorted without regard
// to case (the search itself matches without case). Empty when SUPPORTDIR
// is empty: there is then nothing to search, and a search of "\PlugIn*.dll"
// would reach into a drive root or the current folder.
std::vector<std::string> FindPlugIns(const SetupState& state);

// ExecPlugIns (setup_functions.h) loads each of them quietly, calls
// "Execute" (else "_Execute@4") once with a fresh block and frees it; a file
// that does not load or exports neither name is skipped without a message.
// The plug-ins' results are not used. 8 when none was found, else 1.
