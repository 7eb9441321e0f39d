// The oracles the master's fuzz targets share. A failed check prints what
// failed and aborts, which libFuzzer reports with the input.
#pragma once

#include <cstdint>

#include "fuzz/support/spoiled_transport.h"

namespace fuzz_support {

// Far above any call's exchanges with every retry bound spent (300 WAIT
// retries of a few accesses), far below an endless loop.
constexpr uint32_t max_exchanges_per_call = 5000;

void check(bool ok, const char* what);
// As check, for a call: its result code goes with the message.
void check_call(uint32_t code, const char* what);
void check_exchanges(const call_report& report);
// A reply that withheld data it had, or a failed transport call, never
// ends in success.
void check_withheld(const call_report& report, uint32_t code);
// The recovery of code reconfigures the device, which resets the target:
// only what a reset keeps is the program's afterwards.
bool recovery_resets(uint32_t code);

} // namespace fuzz_support
