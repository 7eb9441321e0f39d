// Exports that select, power, configure and release the target, and report
// on it.
#include "master/core/call_frame.h"
#include "master/exports/master_api.h"
#include "master/master.h"

using mst::the_error_record;
using mst::the_master;

extern "C" {

// Leaves a recorded code in place: the next framed call recovers from it.
uint32_t VOQ_STDCALL Master_SetIdeCode(uint32_t code)
{
    if (the_error_record().has_error())
        return 0;
    return mst::framed_call(the_error_record(), [&] { the_master().select_by_ide_code(code); });
}

// The pod mode is kept before the frame opens, whatever its recovery finds.
uint32_t VOQ_STDCALL Master_Init(uint32_t pod_mode)
{
    the_master().pod_mode = pod_mode;
    return mst::framed_call(the_error_record(), [] { the_master().init(); });
}

uint32_t VOQ_STDCALL Master_SetConfig(uint32_t size, const void* config)
{
    return mst::framed_call(the_error_record(), [&] { the_master().set_config(size, config); });
}

uint32_t VOQ_STDCALL Master_GetConfig(uint32_t size, void* config)
{
    return mst::framed_call(the_error_record(), [&] { the_master().get_config(size, config); });
}

// Clears the recorded code without recovery: a host that gives up on the
// target must be able to release it whatever state it is in.
uint32_t VOQ_STDCALL Master_Kill()
{
    return mst::kill_frame(the_error_record(), [] { the_master().kill(); });
}

uint32_t VOQ_STDCALL Master_GetStatus(uint8_t* status)
{
    *status = 0x30;
    return mst::framed_call(the_error_record(), [&] { the_master().status(*status); });
}

// No frame: it only reads what the master knows (the catch-only guard keeps
// a device's failure inside the library).
uint32_t VOQ_STDCALL Master_GetPod(uint32_t* info)
{
    mst::guarded_value(the_error_record(), 0, [&] {
        the_master().pod_info(info);
        return 0;
    });
    return 0;
}

uint32_t VOQ_STDCALL Master_SpecFunc(uint32_t* result, const uint32_t* params, uint32_t param_count)
{
    return mst::framed_call(the_error_record(), [&] {
        if (param_count == 1)
            the_master().special_function(params[0], *result);
    });
}

} // extern "C"
