// The setup's main function: the command line, the setup log, SUPPORTDIR,
// setup.ini, the table of setup functions, and the clean-up that always
// follows (SUPPORTDIR removed, Setup.log written, then the restart when one
// was asked for).
#pragma once

#include "setup/setup_table.h"

class SetupState;

// The program's exit code: 0 when the table ran to its end, -1 after a
// failed start or a cancel. argv[0] is the program; `state.programPath`,
// when set by the caller, stands for the program's own path (the package
// lies beside it).
int RiggerMain(int argc, char** argv, SetupState& state);
// The same with the caller's table of setup functions.
int RiggerMain(int argc, char** argv, SetupState& state, SetupTable& table);
