// The pod scripts of the MEM-AP: sequences of pod commands recorded once in
// the pod command list and then run with patched data, so that one exchange
// carries hundreds of word transfers.
//
// How the pod runs them (the reading both this encoder and the pod follow):
//  - 0x97000903, count, words: the command list is stored in the pod as its
//    script memory (replacing the previous one); positions P are word
//    indices into it. Storing returns nothing.
//  - 0x80000903 | P << 12 (in the request): runs the script at P until its
//    0x81000903. 0x96000903 | P << 12, n, n u16 (padded to a u32): the TDI
//    halves of the n step entries stored from P take the n units (the data
//    of the transfer there); it returns nothing.
//  - Step entries (0x88000903 write, 0x8C000903 exchange, then TDI << 16 |
//    TMS) and repeat entries (0x95000903, n, TDI << 16 | TMS) clock as in the
//    request; a captured step appends one reply unit.
//  - 0x8F000903, count opens a retry block of at most count passes; its
//    reply footprint is fixed: every further pass overwrites the units the
//    block captured before (the reply goes back to where the block began).
//    0x90000903 ends the body of the innermost open block: another pass
//    while passes remain, else on past it. Blocks nest.
//  - 0x8E000903, n, n words compares the units captured since the most
//    recent 0x8F000903 (the transfer of the block and what follows it),
//    unit i with word i: low half the expected value under the high half
//    as mask. 0x8B000903, P continues at P when the last comparison
//    matched; a block whose 0x90000903 lies before P is left.
//  - 0x93000903, 0 marks the end of a block every pass of which failed; it
//    does nothing. 0x81000903 ends the script.
//  - Every run answers its fixed footprint, whatever path it takes: one unit
//    for every capturing step reachable from P (through jumps and falling
//    through, up to the 0x81000903 entries), in list order. A script that
//    ends early (a block whose passes all WAITed, a check that failed) still
//    answers the whole footprint; the units it did not reach read 0, which
//    no acknowledge accepts. The batch's reply is therefore as long as the
//    host counted it, and a shorter one is refused as a whole; the waiter
//    of the unit that decided the early end comes first in the pending log
//    and raises, which drops the rest.
// Every script starts and ends with the TAP in Run-Test/Idle and assumes the
// debug port's instruction register holds APACC: the host runs scripts only
// after an APACC access and with the engine idle.
#pragma once

#include <cstdint>

#include "master/arm/debug_port.h"
#include "master/core/command_list.h"

namespace mst {

namespace script_cmd {
constexpr uint32_t run = 0x80000903u;      // | P << 12
constexpr uint32_t end = 0x81000903u;
constexpr uint32_t jump = 0x8B000903u;     // P
constexpr uint32_t compare = 0x8E000903u;  // n, n words
constexpr uint32_t block = 0x8F000903u;    // count
constexpr uint32_t next_pass = 0x90000903u;
constexpr uint32_t failed = 0x93000903u;   // 0
constexpr uint32_t patch = 0x96000903u;    // | P << 12, n, n u16
constexpr uint32_t block_passes = 300;
} // namespace script_cmd

// Where a recorded transfer's data and capture lie.
struct script_capture {
    uint32_t offset = 0;  // bit offset of the transfer's first bit in the capture
    uint32_t units = 0;   // 16-bit reply units the script captures
};

struct pod_scripts {
    uint32_t recorded = 0;
    // List positions of the scripts.
    uint32_t tar_write = 0;
    uint32_t drw_read = 0;
    uint32_t drw_write = 0;
    uint32_t wait_ready = 0;
    uint32_t dcrsr_write = 0;
    uint32_t dcrdr_read = 0;
    // The DRW read script's capture (its data are the posted value).
    script_capture read_capture;
    // The DRW write script's own capture: its layout need not be the read's.
    script_capture write_capture;
    // Patchable data steps.
    uint32_t tar_data = 0;
    uint32_t drw_data = 0;
    uint32_t dcrsr_data = 0;
    // Reply units of the register scripts (wait, DCRSR write, DCRDR read).
    uint32_t wait_units = 0;
    uint32_t dcrsr_units = 0;
    uint32_t dcrdr_units = 0;
};

// Records the six scripts into the list (emptied first when they had been
// recorded); the caller downloads the list. JTAG scans are recorded for the
// owner's place in the chain, starting from Run-Test/Idle.
void record_scripts(pod_scripts& scripts, dap_regset& regs, cmd_list& list);

// The 16-bit data units of a DRW write whose data step starts at bit_offset
// of its capture (JTAG: the whole 35-bit request to ap_register; Serial
// Wire: turnaround, word and parity from frame bit 16). Returns the number
// of units.
uint32_t write_patch_units(bool swd, uint32_t word, uint32_t bit_offset, uint32_t units,
                           uint16_t* out, uint32_t capacity, uint32_t ap_register = dp::ap_drw);

} // namespace mst
