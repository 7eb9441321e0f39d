// The transport slots, null until the host library fills them.
#include "master/core/transport_slots.h"

extern "C" {
send_request_fn SendTargetRequest = nullptr;
get_reply_fn GetTargetReply = nullptr;
set_timeout_fn SetTargetTimeout = nullptr;
message_fn MessageFunc = nullptr;
}
