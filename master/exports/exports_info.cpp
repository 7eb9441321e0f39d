// Frameless exports that describe the library and the recorded error, and
// the static construction of the engine's process-wide objects.
#include "master/core/error_record.h"
#include "master/exports/master_api.h"
#include "master/master.h"

namespace {

// The process-wide objects exist before the host's first call: the error
// record, the chain engine, the protocol object, the command list, the
// master (which registers itself as the record's master).
[[maybe_unused]] const bool engine_built = (mst::the_master(), true);

constexpr uint32_t breakpoint_type_count = 7;

const BreakpointTypeEntry breakpoint_types[breakpoint_type_count] = {
    {1, ""},
    {2, "Code Read "},
    {3, "Code Write"},
    {4, "Data Read "},
    {5, "Data Write"},
    {6, "I/O Read  "},
    {7, "I/O Write "},
};

const char version_text[] = "2.00, Dec  6 2011";

} // namespace

extern "C" {

const char* VOQ_STDCALL Master_GetErrorString() { return mst::the_error_record().format_error(); }

uint32_t* VOQ_STDCALL Master_GetCMErrorMessage() { return &mst::the_error_record().host_kind; }

uint32_t VOQ_STDCALL Master_GetBPTypeNum() { return breakpoint_type_count; }

const BreakpointTypeEntry* VOQ_STDCALL Master_GetBPTypesPtr() { return breakpoint_types; }

const char* VOQ_STDCALL Master_GetVersionString() { return version_text; }

} // extern "C"
