// The memory-mapped space behind the simulated MEM-AP: plain memory regions,
// regions that answer every access with a bus error, and register blocks
// (the System Control Space, the flash patch unit, the watchpoint unit) that
// a device model serves. Anything not mapped is a bus error too, as on an
// AHB interconnect with a default slave.
//
// Accesses use the MEM-AP's byte lanes: a value is the whole 32-bit word at
// the aligned address, and a byte or halfword sits on the lanes its address
// selects (byte 1 of a word in bits 8-15). Memory is little-endian.
//
// The debugger's accesses (read(), write()) are counted per exact address,
// so a test can see how often the host touched a read-sensitive register,
// and in total, which is the clock the core measures its S_REGRDY latency
// with. The core's own fetches use peek/poke, which count nothing.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace sim {

// A register block on the bus. Addresses are word aligned; `byte_mask` bit n
// set means byte lane n is written.
class ArmBusDevice {
public:
    virtual ~ArmBusDevice() = default;
    // False: the access ends in a bus error.
    virtual bool read_word(std::uint32_t address, std::uint32_t& value) = 0;
    virtual bool write_word(std::uint32_t address, std::uint32_t value, std::uint32_t byte_mask) = 0;
};

struct ArmAccessCount {
    std::uint64_t reads = 0;
    std::uint64_t writes = 0;
};

class ArmBus {
public:
    // Zero-filled memory; a read-only region ignores debugger writes
    // without an error (as flash does) but poke() still fills it.
    void add_memory(std::uint32_t base, std::uint32_t size, bool writable = true);
    void add_error_region(std::uint32_t base, std::uint32_t size);
    void map_device(std::uint32_t base, std::uint32_t size, ArmBusDevice& device);

    // Debugger access of `size` bytes (1, 2 or 4) at `address`; the address
    // is taken as aligned to the size. False: bus error.
    bool read(std::uint32_t address, unsigned size, std::uint32_t& lanes);
    bool write(std::uint32_t address, unsigned size, std::uint32_t lanes);

    // The core's view (and the test's), not counted.
    // peek fails on unmapped or error addresses; device registers are read
    // through their device.
    bool peek32(std::uint32_t address, std::uint32_t& value);
    bool peek16(std::uint32_t address, std::uint16_t& value);
    bool poke32(std::uint32_t address, std::uint32_t value);
    bool poke16(std::uint32_t address, std::uint16_t value);

    const std::map<std::uint32_t, ArmAccessCount>& access_counts() const { return counts_; }
    ArmAccessCount access_count(std::uint32_t address) const;
    std::uint64_t debugger_accesses() const { return accesses_; }
    void clear_counts() { counts_.clear(); accesses_ = 0; }

private:
    struct Region {
        std::uint32_t base = 0;
        std::uint32_t size = 0;
        enum class Kind { Memory, Error, Device } kind = Kind::Memory;
        bool writable = true;
        std::vector<std::uint8_t> bytes;
        ArmBusDevice* device = nullptr;
    };

    Region* find(std::uint32_t address);
    bool access_word(std::uint32_t aligned, std::uint32_t& value, bool write, std::uint32_t byte_mask, bool debugger);

    std::vector<Region> regions_;
    std::map<std::uint32_t, ArmAccessCount> counts_;
    std::uint64_t accesses_ = 0;
};

// Byte-lane helpers shared by the MEM-AP and its tests.
std::uint32_t arm_lane_mask(std::uint32_t address, unsigned size);

} // namespace sim
