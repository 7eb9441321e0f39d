// The setup's command line: "/Y" (or "-Y") unattended, "/L" logging,
// "/B<folder>" the destination folder, "@<file>" a response file whose
// lines are further arguments.
#pragma once

#include <cstddef>
#include <string>

class SetupState;

// Response files may name response files down to this depth; one deeper
// (a file naming itself, a cycle) is a start failure.
constexpr int kResponseFileDepth = 16;
// The longest TARGETDIR, and the longest line of a response file.
constexpr size_t kTargetDirMax = 519;

// Handles argv[1] .. argv[argc - 1] in order; the first bad argument shows
// its message and ends the handling with false.
bool HandleArguments(SetupState& state, int argc, char** argv);

// One argument: an option after "/" or "-" (the option's letter compared
// without case with the start of the text; the rest goes to the option),
// a response file after "@", else an error. `depth` counts the response
// files that led here.
bool HandleArgument(SetupState& state, const char* argument, int depth);

// The /B value as TARGETDIR: made absolute (GetFullPathNameA), one trailing
// "\" or "/" removed unless a drive root's. False for an empty value or one
// whose absolute form exceeds kTargetDirMax characters: it is refused, never
// cut.
bool AbsoluteTargetDir(const char* value, std::string& out);
