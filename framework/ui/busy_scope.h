// The busy scope: while long work runs, the wait cursor and, when asked, a
// small modeless wait box with a text, an icon or an animation and the
// elapsed time in its caption.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class WaitBox;

enum : uint8_t {
    BUSY_NO_BOX = 0,
    BUSY_ICON_BOX = 1,
    BUSY_ANIMATION_BOX = 2,
};

class MSControl {
public:
    // `text`: a bilingual literal or a message id. `value` and `delay` are
    // the caller's and read by nothing here.
    MSControl(uint32_t resourceId, uint8_t mode, bool waitCursor, uint32_t value, uint32_t delay, const char* text);
    // The animation form playing an animation file (an .avi the animation
    // control can play) in place of a resource.
    MSControl(const std::string& animationFile, bool waitCursor, uint32_t value, uint32_t delay, const char* text);
    ~MSControl();
    MSControl(const MSControl&) = delete;
    MSControl& operator=(const MSControl&) = delete;

    const std::string& Text() const { return text_; }
    WaitBox* Box() const { return box_.get(); }
    uint32_t Sequence() const { return sequence_; }

private:
    void Start(const char* source, uint8_t mode, bool waitCursor);

    std::string text_;
    std::string animationFile_;
    std::unique_ptr<WaitBox> box_;
    HCURSOR savedCursor_ = nullptr;
    bool cursorChanged_ = false;
    uint32_t sequence_;
    uint32_t value_;
    uint32_t delay_;
};
