// The plug-in's entry: the setup program calls Execute once with its block
// (exported by name through Outrig.def).
//   -1  the first dialog ended other than by Install ("E&xit Setup", closed)
//    1  the second dialog ended with its Exit button
//    0  the second dialog was closed otherwise
#pragma once

#include <cstdint>

#include "setup/plugin_block.h"

extern "C" int32_t __stdcall Execute(const PlugInBlock* block);

// Execute's work, for a caller that catches.
int32_t RunPlugin(const PlugInBlock* block);
