// A setup plug-in for the plug-in call's tests. It appends one line with the
// block's texts and language byte to the file that VOQ_PLUGIN_RECORD names,
// writes a log line and shows a message through the block's functions, and
// spoils its own block afterwards, so that a later plug-in shows whether it
// got a fresh one. Built once per name (PLUGIN_NAME "A", "B", "C").
#include <windows.h>

#include <cstdio>

#include "setup/plugin_block.h"

#ifndef PLUGIN_NAME
#error PLUGIN_NAME names the plug-in
#endif
#ifndef PLUGIN_RESULT
#define PLUGIN_RESULT 0
#endif

namespace {

const char* Text(const char* text) { return text ? text : "<null>"; }

}  // namespace

extern "C" int32_t __stdcall PlugInExecute(PlugInBlock* block)
{
    if (!block) return -2;
    // The process environment, not the C runtime's copy of it: the test
    // sets it in-process after the runtime has started.
    char record[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("VOQ_PLUGIN_RECORD", record, sizeof record);
    if (length > 0 && length < sizeof record) {
        if (FILE* f = fopen(record, "ab")) {
            fprintf(f, "%s|%s|%s|%s|%s|%s|%u\n", PLUGIN_NAME, Text(block->productName), Text(block->emuName),
                    Text(block->simName), Text(block->targetDir), Text(block->setupFolder),
                    static_cast<unsigned>(block->language));
            fclose(f);
        }
    }
    if (block->logPrintf) block->logPrintf("PlugIn%s: writing for '%s'\n", PLUGIN_NAME, Text(block->productName));
    if (block->doMessage) block->doMessage("s", "PlugIn%s installed %s", PLUGIN_NAME, Text(block->productName));
    block->productName = "spoiled";
    block->language = 0x55;
    return PLUGIN_RESULT;
}
