// A media player window over the system's MCI window class, for looping an
// animation over a place of a dialog. It plays a file, or an AVI resource
// (type "AVI") of a module, which MCI can only open as a file: the resource
// is written to a temporary ".avi" file that goes with the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/window/window.h"

class TempFile;

class MCIWindow : public Window {
public:
    // `module` null: the program's own. The window exists when the
    // constructor returns; DeviceId() is 0 when nothing could be opened.
    MCIWindow(Window* parent, HINSTANCE module, DWORD style, const char* file);
    MCIWindow(Window* parent, HINSTANCE module, DWORD style, uint32_t aviResourceId);
    ~MCIWindow() override;

    UINT DeviceId() const { return device_; }
    // Nothing while no device is open. MCI_NOTIFY always, MCI_TO when `end`
    // is not -1, MCI_FROM when `start` is not 0; with `repeat` a successful
    // end plays again from `start`, so the animation loops. False when MCI
    // refused the request or nothing is open.
    bool Play(DWORD flags = 0, int32_t end = -1, int32_t start = 0, bool repeat = false);
    // Stops the device (MCI stop to the window), then the window closes.
    void Close();
    // The device's mode (MCI_MODE_*), 0 when nothing is open.
    uint32_t Mode() const;

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    void Open(Window* parent, HINSTANCE module, DWORD style, const char* file);
    bool SendPlay(DWORD flags, int32_t end, int32_t start);

    UINT device_ = 0;
    DWORD playFlags_ = 0;
    int32_t playEnd_ = -1;
    int32_t playStart_ = 0;
    bool repeat_ = false;
    std::unique_ptr<TempFile> extracted_;
};
