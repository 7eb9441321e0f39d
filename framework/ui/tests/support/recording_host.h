// A top-level window of our own for control tests: it records the
// registered messages and the notifications (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM) its children send and post to it, then handles them as any
// window of the layer does.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/window/window.h"

class RecordingHost : public Window {
public:
    RecordingHost(int x = 120, int y = 120, int w = 420, int h = 260) : Window(nullptr)
    {
        Attr.style = WS_POPUP | WS_VISIBLE | WS_BORDER;
        Attr.x = x;
        Attr.y = y;
        Attr.w = w;
        Attr.h = h;
        Create();
    }
    struct Received {
        UINT msg;
        WPARAM w;
        LPARAM l;
        HWND from;  // WM_NOTIFY's sender
        UINT code;  // WM_NOTIFY's code
    };
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if ((msg >= 0xC000 && msg <= 0xFFFF) || msg == WM_COMMAND || msg == WM_DRAWITEM) received.push_back({msg, w, l, nullptr, 0});
        if (msg == WM_NOTIFY && l) {
            auto* header = reinterpret_cast<NMHDR*>(l);
            received.push_back({msg, w, l, header->hwndFrom, header->code});
        }
        return Window::WindowProc(msg, w, l);
    }
    const Received* Find(UINT msg) const
    {
        for (const auto& r : received)
            if (r.msg == msg) return &r;
        return nullptr;
    }
    size_t CountOf(UINT msg) const
    {
        size_t n = 0;
        for (const auto& r : received) n += r.msg == msg;
        return n;
    }
    // Only the registered messages (drag and drop).
    bool NoRegisteredMessages() const
    {
        for (const auto& r : received)
            if (r.msg >= 0xC000) return false;
        return true;
    }
    std::vector<Received> received;
};
