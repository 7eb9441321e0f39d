// Cycle-count time stamps: the DWT's CYCCNT accumulated into 64-bit totals
// at every halt. Only the Cortex-M3 core type counts cycles.
#include <cmath>
#include <cstring>

#include "master/devices/cortex_m/cortex_m_device.h"

namespace mst {

namespace {

constexpr uint32_t cyccntena = 0x1;
// Time units per second of the record's times.
constexpr double time_scale = 256000000000.0;
constexpr uint64_t saturated = ~uint64_t{0};

void put_u64(uint32_t* words, uint64_t value)
{
    words[0] = static_cast<uint32_t>(value);
    words[1] = static_cast<uint32_t>(value >> 32);
}

} // namespace

void Cortex_jtag_device::clear_time_stamp()
{
    total_cycles = 0;
    cycles_since_run = 0;
    if (core_type != cortex_type::m3)
        return;
    const uint32_t ctrl = ap.read_word(cortex_reg::dwt_ctrl);
    if ((ctrl & cyccntena) == 0)
        ap.write_word(ctrl | cyccntena, cortex_reg::dwt_ctrl);
    cyccnt_baseline = ap.read_word(cortex_reg::cyccnt);
}

void Cortex_jtag_device::accumulate_time_stamp()
{
    const uint32_t current =
        core_type == cortex_type::m3 ? ap.read_word(cortex_reg::cyccnt) : cyccnt_baseline;
    const uint32_t delta = current - cyccnt_baseline;  // CYCCNT wraps at 32 bits
    cyccnt_baseline = current;
    total_cycles += delta;
    cycles_since_run += delta;
}

// The product can pass 2^64 for large counts or small frequencies: such a
// time is all ones, never a wrapped or undefined conversion.
uint64_t Cortex_jtag_device::cycles_to_time(uint64_t cycles, uint32_t frequency)
{
    if (frequency == 0)
        return saturated;
    const double time = std::trunc(static_cast<double>(cycles) * (time_scale / frequency));
    if (!(time < 18446744073709551616.0))
        return saturated;
    return static_cast<uint64_t>(time);
}

// Record words: [0] frequency (input), [1-2] total cycles, [3-4] cycles
// since the last run or step, [5-6] total time, [7-8] time since the last
// run or step; each u64 as low, high.
void Cortex_jtag_device::get_time_stamp(void* record_address)
{
    uint32_t words[9];
    std::memcpy(words, record_address, sizeof words);
    if (core_type != cortex_type::m3) {
        std::memset(words + 1, 0, 8 * sizeof(uint32_t));
        std::memcpy(record_address, words, sizeof words);
        raise_error(record(), rc::plain_deliver);
        return;
    }
    const uint32_t frequency = words[0];
    put_u64(words + 1, total_cycles);
    put_u64(words + 3, cycles_since_run);
    put_u64(words + 5, cycles_to_time(total_cycles, frequency));
    put_u64(words + 7, cycles_to_time(cycles_since_run, frequency));
    std::memcpy(record_address, words, sizeof words);
}

} // namespace mst
