// A memory access port (AHB-AP style MEM-AP) on the simulated debug port:
// CSW, TAR, DRW, the banked data registers BD0-BD3, CFG, BASE and IDR, in
// front of an ArmBus.
//
// CSW: Size (bits 2-0: byte, halfword, word), AddrInc (bits 5-4), DeviceEn
// (bit 6, read-only) and TrInProg (bit 7, read-only); bits 31-12 (the bus
// protection bits) are kept as written, Mode (bits 11-8) reads 0.
// DRW and BDn access the bus with the CSW size on the byte lanes the address
// selects. With AddrInc 0b01 TAR advances by the size after every successful
// DRW access, inside its wrap block only (1 KB or 4 KB, as the core's AP
// implements it): the bits above the block stay, so a transfer that runs off
// the end of a block comes back to its start unless the host writes TAR.
//
// Choices where the architecture leaves the port free (fixed here so that
// tests can rely on them):
// - A failed access (bus error, device disabled) does not advance TAR.
// - Packed transfers are not implemented: AddrInc 0b10 and 0b11 are kept as
//   written and do not advance TAR.
// - A reserved Size value (3 to 7) leaves Size unchanged and is logged.
// - An access whose TAR is not aligned to the size uses the aligned address
//   below it and is logged (the AHB transfer cannot express it).
// - BDn addresses TAR[31:4] + 4n, keeping TAR[1:0] for the lanes.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/pod/arm_access_port.h"
#include "sim/pod/arm_bus.h"
#include "sim/pod/arm_log.h"

namespace sim {

struct ArmMemApConfig {
    std::uint32_t idr = 0x24770011;        // an AHB-AP of the ARM designer code
    std::uint32_t base = 0xE00FF003;       // ROM table present at 0xE00FF000
    std::uint32_t csw_reset = 0x03000040;  // byte size, DeviceEn, bus protection bits
    std::uint32_t wrap_bytes = 1024;       // 1024 or 4096
};

class ArmMemAp : public ArmAccessPort {
public:
    static constexpr std::uint8_t kCsw = 0x00, kTar = 0x04, kDrw = 0x0C, kBd0 = 0x10, kCfg = 0xF4,
                                  kBase = 0xF8, kIdr = 0xFC;
    static constexpr unsigned kForever = ~0u;

    ArmMemAp(ArmBus& bus, const ArmMemApConfig& config = {});

    ArmApResult read(std::uint8_t address) override;
    ArmApResult write(std::uint8_t address, std::uint32_t value) override;
    bool busy(std::uint8_t address) const override;
    void abort() override;

    std::uint32_t csw() const;
    std::uint32_t tar() const { return tar_; }
    std::uint32_t wrap_bytes() const { return wrap_; }
    void set_wrap_bytes(std::uint32_t bytes) { wrap_ = bytes; }

    // Fault knobs.
    // DeviceEn = 0: every DRW/BD access fails with a bus error.
    void set_device_enabled(bool enabled) { device_enabled_ = enabled; }
    // A bus transfer that never finishes: TrInProg reads 1 and every DRW/BD
    // access finds the port busy (the DP answers WAIT). A DAPABORT leaves
    // TrInProg set for `csw_reads_after_abort` more CSW reads (kForever:
    // it never clears), after which the port works again.
    void stick_transfer(unsigned csw_reads_after_abort);

    // Logs.
    const std::vector<std::uint32_t>& tar_writes() const { return tar_writes_; }
    const std::vector<std::uint32_t>& csw_writes() const { return csw_writes_; }
    const ArmViolations& violations() const { return violations_; }
    void clear_logs();

private:
    ArmApResult data_access(std::uint32_t address, bool write, std::uint32_t value);
    unsigned size_bytes() const { return 1u << (csw_ & 7); }

    ArmBus& bus_;
    ArmMemApConfig config_;
    std::uint32_t csw_ = 0; // writable part (Size, AddrInc, bits 31-12)
    std::uint32_t tar_ = 0;
    std::uint32_t wrap_ = 1024;
    bool device_enabled_ = true;
    bool stuck_ = false;
    bool aborted_ = false;
    unsigned reads_left_ = 0;
    std::vector<std::uint32_t> tar_writes_;
    std::vector<std::uint32_t> csw_writes_;
    ArmViolations violations_;
};

} // namespace sim
