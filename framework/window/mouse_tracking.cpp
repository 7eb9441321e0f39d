#include "framework/window/mouse_tracking.h"

#include <cstdint>

#include "framework/base/rt_proc.h"

namespace {

constinit RT_PROC<int> g_trackMouseEvent(1, "TrackMouseEvent", "user32");

bool Ask(TRACKMOUSEEVENT& request)
{
    request.cbSize = sizeof request;
    return g_trackMouseEvent(reinterpret_cast<uintptr_t>(&request)) != 0;
}

}  // namespace

bool MouseTracking::Track()
{
    if (!window_) return false;
    TRACKMOUSEEVENT request{};
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = window_;
    return Ask(request);
}

void MouseTracking::Cancel()
{
    if (!IsTracking()) return;
    TRACKMOUSEEVENT request{};
    request.dwFlags = TME_LEAVE | TME_CANCEL;
    request.hwndTrack = window_;
    Ask(request);
}

// The query answers for the thread's one standing request, whichever window
// it is for.
bool MouseTracking::IsTracking() const
{
    if (!window_) return false;
    TRACKMOUSEEVENT request{};
    request.dwFlags = TME_QUERY;
    if (!Ask(request)) return false;
    return (request.dwFlags & TME_LEAVE) && request.hwndTrack == window_;
}
