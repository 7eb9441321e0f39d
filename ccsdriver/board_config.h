// The board record that answers the host's identity questions, the
// capability file beside the library, and the board parameter list ("TCK
// Frequency", "Log File") that the host edits in its board properties.
#pragma once

#include <cstdint>

// The host's board-parameter format, with fixed 32-bit fields.
struct BoardParamEntry {
    uint32_t type;          // 0: a choice list (the only type the driver builds)
    const char* name;
    uint32_t zero1;
    uint32_t choiceCount;
    char** choices;
    uint32_t current;       // the chosen index
    uint32_t zero2;
};

struct BoardParamList {
    uint32_t count;
    BoardParamEntry* entries;
};

struct GtiBoardRecord {
    uint32_t procCount;
    const uint32_t* procList;
    uint32_t procType;
    uint32_t procId;
    uint32_t unset;
    uint32_t word5;
    uint32_t word6;
    uint32_t word7;
    uint32_t word8;
    uint32_t capabilities;
    uint32_t revision;
    char description[512];
    BoardParamList* params;
    uint32_t word13;
    uint8_t reserved[512];
    uint32_t last;
};

constexpr uint32_t kDefaultCapabilities = 0x8400E;

GtiBoardRecord& BoardRecord();
// Fills the record and reads the capability file (load time).
GtiBoardRecord& GtiBoardConfig(GtiBoardRecord& record);
// Reads a capability file; returns the mask (the default when it has no
// line). A file that cannot be read counts as empty.
uint32_t ReadCapabilityFile(const char* path);

BoardParamList* OpenBoardConfig(GtiBoardRecord& record, const char* boardName);
BoardParamList* GetBoardConfig(GtiBoardRecord& record, const char* boardName);
void SetBoardConfig(GtiBoardRecord& record, const char* boardName);
void FreeBoardParams(GtiBoardRecord& record);
