// A box presenter for tests: records every box and answers at once.
// While one recorder exists it is the presenter; its destructor restores the
// previous one. Not thread-safe: boxes belong to the user-interface thread.
#pragma once

#include <string>
#include <vector>

#include "framework/base/sys_box.h"

struct FwRecordedBox {
    FwBoxKind kind;
    uint32_t style;
    uint16_t icon;
    uint16_t messageId;
    std::string caption;
    std::string text;
    void* owner;
};

class FwBoxRecorder {
public:
    explicit FwBoxRecorder(int answer = 1);
    ~FwBoxRecorder();
    FwBoxRecorder(const FwBoxRecorder&) = delete;
    FwBoxRecorder& operator=(const FwBoxRecorder&) = delete;

    const std::vector<FwRecordedBox>& Boxes() const { return boxes_; }
    void SetAnswer(int answer) { answer_ = answer; }
    void Clear() { boxes_.clear(); }

private:
    static int Present(const FwBoxRequest& request);
    std::vector<FwRecordedBox> boxes_;
    int answer_;
    FwBoxPresenter previous_;
    FwBoxRecorder* outer_;
};
