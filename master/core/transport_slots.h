// The transport slots: four data words the DLL exports, null at load, which
// the host library fills with its functions (the pod is reached only through
// them). The engine tests a slot before every call: a slot left null behaves
// as a transport that returns 1 ("no device"), never as a crash.
#pragma once

#include <cstdint>

#include "master/core/callconv.h"

extern "C" {

// Sends byte_count bytes as one request. 0 = sent; non-zero is raised.
typedef uint32_t(VOQ_STDCALL* send_request_fn)(const void* data, uint32_t byte_count);
// Reads one reply into buffer (room for 2008 bytes; the transport stores no
// more). *byte_count is 0 on entry and the reply length on return (it may
// claim more than 2008 to report an overlong reply); 0 = no answer in time.
typedef uint32_t(VOQ_STDCALL* get_reply_fn)(void* buffer, uint32_t* byte_count);
// Sets the reply time-out of the transport.
typedef uint32_t(VOQ_STDCALL* set_timeout_fn)(uint32_t milliseconds);
// Progress lines (cdecl). Not used by the protocol.
typedef void (*message_fn)(const char* format, ...);

extern send_request_fn SendTargetRequest;
extern get_reply_fn GetTargetReply;
extern set_timeout_fn SetTargetTimeout;
extern message_fn MessageFunc;
}
