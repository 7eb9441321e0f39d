// The raise entry points every layer calls.
#include "master/core/result.h"

#include "master/core/error_record.h"

namespace mst {

void raise_error(uint32_t code) { the_error_record().raise(code); }

void raise_error(error_record& record, uint32_t code) { record.raise(code); }

void set_param(unsigned index, uint32_t value) { the_error_record().set_param(index, value); }

void set_param(error_record& record, unsigned index, uint32_t value) {
    record.set_param(index, value);
}

volts_hundredths split_millivolts(uint32_t millivolts) {
    const uint32_t hundredths = static_cast<uint32_t>((uint64_t{millivolts} + 5) / 10);
    return {hundredths / 100, hundredths % 100};
}

} // namespace mst
