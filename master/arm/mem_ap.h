// The MEM-AP of a Cortex-M device: the target's memory-mapped space (memory,
// System Control Space, FPB, DWT) word by word through CSW, TAR and DRW.
//
// Promises:
//  - Every access is one AP transaction per word: a read of a register with
//    read side effects reads it once.
//  - A word is returned only after the AP has reported itself idle and no
//    sticky error is set; a bus error raises 0xFFFF (or the collected Serial
//    Wire FAULT code), never a value.
//  - wait_idle polls at most 300 times and then raises 0x0D390053.
//  - A single word's DRW read is the posted result that the CSW read of the
//    wait after it returns; once the scripts are recorded, its TAR write and
//    DRW access go through them and ride with the wait's first exchange.
//  - Block transfers run the pod scripts, many words per exchange; a block
//    read reads exactly the words asked for (its last word, and the last
//    before each TAR wrap, is the posted result that the CSW read of the
//    following wait returns, never got by posting a read of the word after
//    it).
#pragma once

#include <cstdint>

#include "master/arm/debug_port.h"
#include "master/arm/pod_scripts.h"
#include "master/arm/script_checkers.h"
#include "master/core/command_list.h"

namespace mst {

class mem_ap {
public:
    static constexpr uint32_t default_wrap_mask = 0x3FF;  // TAR increments within 1 KB
    static constexpr uint32_t large_wrap_mask = 0xFFF;    // 4 KB (Cortex-M3, Cortex-M4)

    mem_ap(dap_regset& set, cmd_list& script_list)
        : regs(set), list(script_list), idle(set), data(set), status(set)
    {
    }
    mem_ap(const mem_ap&) = delete;
    mem_ap& operator=(const mem_ap&) = delete;

    // Stores the AP number and readies the AP: 32-bit accesses, the ROM
    // table base read, DEMCR := TRCENA.
    void select_ap(uint32_t apsel);
    uint32_t read_word(uint32_t address);
    void write_word(uint32_t value, uint32_t address);
    // Polls CSW until the AP reports its device enabled, checking the sticky
    // errors after every read; returns the CSW read last. posted, when
    // given, takes the result of the AP read before the wait, which the
    // first CSW read returns as it is issued.
    uint32_t wait_idle(uint32_t* posted = nullptr);

    // count words from address into buffer; TAR is written again where the
    // address wraps (wrap mask). Words go through the recorded scripts.
    void read_block(uint32_t* buffer, uint32_t count, uint32_t address);
    void write_block(const uint32_t* buffer, uint32_t count, uint32_t address);
    // Records the pod scripts (identification and re-attach); the caller
    // downloads the list.
    void record_scripts() { mst::record_scripts(scripts, regs, list); }
    // The core registers R0-R12, SP, LR, DebugReturnAddress, xPSR, MSP, PSP
    // and the CONTROL/FAULTMASK/BASEPRI/PRIMASK word into cache[0..19], in
    // one batch where room allows; cache[20] := cache[19]. The status checker
    // updates *status.status_word. JTAG: the debug port's instruction
    // register must hold APACC.
    void read_core_registers(uint32_t* cache);

    dap_regset& regs;
    cmd_list& list;
    pod_scripts scripts;
    idle_checker idle;
    data_checker data;
    status_checker status;
    uint32_t ap = 0;
    uint32_t rom_base = 0;
    uint32_t wrap_mask = default_wrap_mask;

private:
    // Room in the batch for a script run: request units, reply units and
    // pending-log entries; the batch is exchanged first when they would not
    // fit.
    void make_room(uint32_t request_units, uint32_t reply_units, uint32_t entries);
    // TAR := address through the TAR write script, then the first DRW read
    // posted through the DRW read script: both queued with their checkers,
    // no exchange of their own.
    void start_run(uint32_t address, bool posted_read);
    // IR := APACC (JTAG) and the TAP in Run-Test/Idle, where the scripts run.
    void ready_scripts();
    // A write script (its list position, and where its patchable data steps
    // begin) patched with value for reg, queued with its checker. JTAG
    // patches the whole request, so reg may be any register of the bank.
    void script_write(uint32_t script, uint32_t data_steps, uint32_t value, uint32_t reg);
    // The TAR write script patched with value (JTAG: for any register of the
    // selected bank).
    void script_ap_write(uint32_t value, uint32_t reg)
    {
        script_write(scripts.tar_write, scripts.tar_data, value, reg);
    }
    // The DRW write script patched with word.
    void script_drw_write(uint32_t word)
    {
        script_write(scripts.drw_write, scripts.drw_data, word, dp::ap_drw);
    }
    // CSW := value: over JTAG once the scripts are recorded through the TAR
    // write script, sent with what follows; otherwise an AP write.
    void write_csw(uint32_t value);
    // One poll of wait_idle: CSW read, then the sticky error check.
    uint32_t poll_csw(uint32_t* posted);
    // Ends the batch unless nothing is left in it.
    void send_pending();
    uint32_t read_ap(uint32_t reg) { return ap_read_sel(regs, reg, ap); }
    void post_read_ap(uint32_t reg) { ap_post_read_sel(regs, reg, ap); }
    void write_ap(uint32_t value, uint32_t reg) { ap_write_sel(regs, value, reg, ap); }
};

} // namespace mst
