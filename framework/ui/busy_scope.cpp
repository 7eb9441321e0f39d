#include "framework/ui/busy_scope.h"

#include "framework/ui/ml_text.h"
#include "framework/ui/wait_box.h"

namespace {
uint32_t g_busySequence = 0;
}  // namespace

MSControl::MSControl(uint32_t resourceId, uint8_t mode, bool waitCursor, uint32_t value, uint32_t delay,
                     const char* text)
    : text_(GetMLText(text ? text : "")), sequence_(++g_busySequence), value_(value), delay_(delay)
{
    Start(reinterpret_cast<const char*>(static_cast<uintptr_t>(resourceId)), mode, waitCursor);
}

MSControl::MSControl(const std::string& animationFile, bool waitCursor, uint32_t value, uint32_t delay,
                     const char* text)
    : text_(GetMLText(text ? text : "")), animationFile_(animationFile), sequence_(++g_busySequence), value_(value),
      delay_(delay)
{
    Start(animationFile_.c_str(), BUSY_ANIMATION_BOX, waitCursor);
}

void MSControl::Start(const char* source, uint8_t mode, bool waitCursor)
{
#if defined(FW_FLAVOUR_TMS) || defined(FW_FLAVOUR_OUTRIG)
    // The driver's and the plug-in's busy scopes keep the text only.
    (void)source;
    (void)mode;
    (void)waitCursor;
#else
    if (waitCursor) {
        savedCursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        cursorChanged_ = true;
    }
    if (mode == BUSY_ICON_BOX || mode == BUSY_ANIMATION_BOX) {
        box_ = std::make_unique<WaitBox>(mode == BUSY_ANIMATION_BOX, source, text_.c_str());
        if (!box_->CreateModeless()) box_.reset();
    }
#endif
}

MSControl::~MSControl()
{
    if (box_ && box_->GetHandle()) box_->CloseWindow(IDCANCEL);
    if (cursorChanged_) SetCursor(savedCursor_);
    box_.reset();
}
