// The sections that the installation step writes into both install logs
// (Setup.log and SetupX.log): [Setup] with the product's settings, and the
// [IDE Features] block copied from setup.ini.
#pragma once

class INIStream;
class SetupState;

// [Setup] in its fixed order. "ItemsToCopy" adds [Product] values of
// setup.ini under their own names, but never one of the section's own keys
// (a log line says so), and never an empty one.
void WriteSetupSection(const SetupState& state, INIStream& log);

// One sub-section per setup.ini [IDE Features] sub-section, each with its
// "Id" (-1 when missing). Nothing without that block.
void WriteIdeFeatures(const SetupState& state, INIStream& log);
