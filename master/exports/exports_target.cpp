// Exports that run, stop and step the target and reach its registers,
// memory, breakpoints, time stamps and data-watchpoint unit.
#include "master/core/call_frame.h"
#include "master/exports/master_api.h"
#include "master/master.h"

using mst::the_error_record;
using mst::the_master;

extern "C" {

uint32_t VOQ_STDCALL Master_Reset()
{
    return mst::framed_call(the_error_record(), [] { the_master().reset(); });
}

uint32_t VOQ_STDCALL Master_Run(uint32_t run_flags)
{
    return mst::framed_call(the_error_record(), [&] { the_master().run(run_flags); });
}

uint32_t VOQ_STDCALL Master_RunSpecial(uint32_t mode)
{
    return mst::framed_call(the_error_record(), [&] { the_master().run_special(mode); });
}

uint32_t VOQ_STDCALL Master_Stop()
{
    return mst::framed_call(the_error_record(), [] { the_master().stop(); });
}

uint32_t VOQ_STDCALL Master_Step()
{
    return mst::framed_call(the_error_record(), [] { the_master().step(); });
}

uint32_t VOQ_STDCALL Master_ReadRegister(uint32_t reg_id, uint32_t* value)
{
    return mst::framed_call(the_error_record(),
                            [&] { the_master().read_register(reg_id, *value); });
}

uint32_t VOQ_STDCALL Master_WriteRegister(uint32_t reg_id, uint32_t value)
{
    return mst::framed_call(the_error_record(),
                            [&] { the_master().write_register(reg_id, value); });
}

uint32_t VOQ_STDCALL Master_ReadMemory(uint32_t space, uint32_t address, uint32_t count,
                                       void* buffer)
{
    return mst::framed_call(the_error_record(),
                            [&] { the_master().read_memory(space, address, count, buffer); });
}

uint32_t VOQ_STDCALL Master_WriteMemory(uint32_t space, uint32_t address, uint32_t count,
                                        const void* buffer)
{
    return mst::framed_call(the_error_record(),
                            [&] { the_master().write_memory(space, address, count, buffer); });
}

uint32_t VOQ_STDCALL Master_SetBreakpoint(uint32_t kind, uint32_t address)
{
    return mst::framed_call(the_error_record(),
                            [&] { the_master().set_breakpoint(kind, address); });
}

uint32_t VOQ_STDCALL Master_ClrBreakpoint(uint32_t kind, uint32_t address)
{
    return mst::framed_call(the_error_record(),
                            [&] { the_master().clear_breakpoint(kind, address); });
}

uint32_t VOQ_STDCALL Master_ClrAllBreakpoints(uint32_t kind)
{
    return mst::framed_call(the_error_record(), [&] { the_master().clear_all_breakpoints(kind); });
}

// 0 when a code is recorded; the code stays for Master_GetErrorString.
uint32_t VOQ_STDCALL Master_CheckBrFlag(uint32_t type, uint32_t address)
{
    return mst::framed_value(the_error_record(), 0u,
                             [&] { return the_master().breakpoint_flag(type, address); });
}

uint32_t VOQ_STDCALL Master_ClrTimeStamp()
{
    return mst::framed_call(the_error_record(), [] { the_master().clear_time_stamp(); });
}

uint32_t VOQ_STDCALL Master_GetTimeStamp(void* out)
{
    return mst::framed_call(the_error_record(), [&] { the_master().get_time_stamp(out); });
}

// The three frameless DWT exports reach device code: a catch-only guard, no
// recovery.
const void* VOQ_STDCALL Master_DWTGetParamsPtr()
{
    return mst::guarded_value<const void*>(the_error_record(), nullptr,
                                           [] { return the_master().dwt_parameters(); });
}

uint32_t VOQ_STDCALL Master_DWTGetCompNum()
{
    return mst::guarded_value(the_error_record(), 0u,
                              [] { return the_master().dwt_comparator_count(); });
}

uint32_t VOQ_STDCALL Master_DWTApplyConfig()
{
    return mst::guarded_value(the_error_record(), 0u,
                              [] { return the_master().dwt_apply_config(); });
}

uint32_t VOQ_STDCALL Master_DWTStartConfig()
{
    return mst::framed_value(the_error_record(), 0u,
                             [] { return the_master().dwt_start_config(); });
}

// The frame (and its recovery) runs either way; only the operation waits for
// apply.
uint32_t VOQ_STDCALL Master_DWTEndConfig(uint32_t apply)
{
    return mst::framed_call(the_error_record(), [&] {
        if (apply != 0)
            the_master().dwt_end_config();
    });
}

} // extern "C"
