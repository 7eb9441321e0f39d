#include "master/jtag/tap_moves.h"

namespace mst {

namespace {

// One entry from its TMS string, in the order clocked.
constexpr uint32_t mv(const char* bits)
{
    uint32_t tms = 0;
    uint32_t n = 0;
    for (; bits[n] != '\0'; ++n)
        if (bits[n] == '1')
            tms |= 1u << n;
    return (tms << 16) | n;
}

constexpr uint32_t moves[tap::state_count][tap::state_count] = {
    // to: unknown, TLR, RTI, Shift-IR, Exit1-IR, Pause-IR, Shift-DR, Exit1-DR, Pause-DR
    {0, mv("11111"), mv("111110"), mv("1111101100"), 0, mv("11111011010"), mv("111110100"), 0, mv("1111101010")},
    {0, mv("1"), mv("0"), mv("01100"), mv("01101"), mv("011010"), mv("0100"), mv("0101"), mv("01010")},
    {0, mv("111"), mv("0"), mv("1100"), mv("1101"), mv("11010"), mv("100"), mv("101"), mv("1010")},
    {0, mv("11111"), mv("110"), mv("0"), mv("1"), mv("10"), 0, 0, 0},
    {0, mv("1111"), mv("10"), mv("11100"), 0, mv("0"), mv("10100"), mv("1101"), mv("11010")},
    {0, mv("11111"), mv("110"), mv("111100"), 0, mv("0"), mv("110100"), mv("11101"), 0},
    {0, mv("11111"), mv("110"), 0, 0, 0, mv("0"), mv("1"), mv("10")},
    {0, mv("1111"), mv("10"), mv("101100"), mv("11101"), mv("111010"), mv("1100"), 0, mv("0")},
    {0, mv("11111"), mv("110"), mv("1101100"), mv("111101"), mv("1111010"), mv("11100"), 0, mv("0")},
};

static_assert(moves[tap::run_test_idle][tap::shift_ir] == 0x00030004u);

} // namespace

uint32_t tap_move(uint32_t from, uint32_t to)
{
    if (from >= tap::state_count || to >= tap::state_count)
        return 0;
    return moves[from][to];
}

} // namespace mst
