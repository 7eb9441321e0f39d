// The table of setup functions and its runner: the pages and steps in their
// fixed order, with Next going forward and Back returning to the nearest
// earlier function that went forward.
#pragma once

#include <cstdint>
#include <vector>

class SetupState;

using SetupFunction = int (*)(SetupState& state, bool firstPage);

struct SetupStep {
    SetupFunction function;
    int32_t result;               // -1 until called
    uint8_t skippedUnattended;    // skipped under /Y (recorded as 8)
    const char* name;
};

using SetupTable = std::vector<SetupStep>;

// The setup's own table (setup_sequence.cpp), every result -1.
SetupTable DefaultSetupTable();

// Runs the table from its first step: true when the last step was passed,
// false when a step answered 2 (cancel). A step's first-page flag is true
// while no earlier step holds the result 1; results are kept in the table,
// so a step run again after Back overwrites its own.
bool RunSetupTable(SetupState& state, SetupTable& table);
