#include "fuzz/support/fuzz_check.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz_support {

void check(bool ok, const char* what)
{
    if (ok)
        return;
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

void check_call(uint32_t code, const char* what)
{
    if (code == 0)
        return;
    std::fprintf(stderr, "oracle failed: %s (0x%08X)\n", what, static_cast<unsigned>(code));
    std::abort();
}

void check_exchanges(const call_report& report)
{
    check(report.exchanges <= max_exchanges_per_call, "too many exchanges in one call");
}

void check_withheld(const call_report& report, uint32_t code)
{
    check(!report.data_withheld || code != 0, "success although a reply withheld its data");
}

bool recovery_resets(uint32_t code)
{
    if ((code >> 16) == 0)
        return false;
    const uint32_t n = code & 0xFFFFu;
    return n == 0x11 || n == 0x12 || n == 0x42 || (n >= 0x48 && n <= 0x56) || n == 0x80 || n == 0x81;
}

} // namespace fuzz_support
