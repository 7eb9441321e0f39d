#include "framework/base/sys_box_recorder.h"

namespace {
FwBoxRecorder* g_active = nullptr;
}

FwBoxRecorder::FwBoxRecorder(int answer) : answer_(answer), outer_(g_active)
{
    g_active = this;
    previous_ = SetBoxPresenter(&FwBoxRecorder::Present);
}

FwBoxRecorder::~FwBoxRecorder()
{
    g_active = outer_;
    SetBoxPresenter(previous_);
}

int FwBoxRecorder::Present(const FwBoxRequest& request)
{
    FwBoxRecorder* self = g_active;
    if (!self) return 0;
    self->boxes_.push_back({request.kind, request.style, request.icon, request.messageId,
                            request.caption ? request.caption : "",
                            request.text ? request.text : "", request.owner});
    return self->answer_;
}
