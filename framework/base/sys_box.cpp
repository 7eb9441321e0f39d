#include "framework/base/sys_box.h"

#include <windows.h>

#include "framework/base/hooks.h"

namespace {

#if defined(FW_FLAVOUR_TMS)
// The driver library runs inside a host that owns the screen; its message
// function shows nothing.
int DefaultPresenter(const FwBoxRequest& request)
{
    return request.kind == FwBoxKind::Message ? SilentBoxPresenter(request)
                                              : PlainBoxPresenter(request);
}
#else
int DefaultPresenter(const FwBoxRequest& request) { return PlainBoxPresenter(request); }
#endif

constinit FwBoxPresenter g_presenter = DefaultPresenter;

}  // namespace

FwBoxPresenter SetBoxPresenter(FwBoxPresenter presenter)
{
    FwBoxPresenter previous = g_presenter;
    g_presenter = presenter ? presenter : DefaultPresenter;
    return previous;
}

FwBoxPresenter GetBoxPresenter() { return g_presenter; }

int PlainBoxPresenter(const FwBoxRequest& request)
{
    uint32_t style = request.style;
    if (request.kind == FwBoxKind::Message)
        style = (request.icon == 103 ? MB_ICONINFORMATION : MB_ICONERROR) | MB_OK;
    return MessageBoxExA(static_cast<HWND>(request.owner), request.text ? request.text : "",
                         request.caption ? request.caption : "", style, 0);
}

int SilentBoxPresenter(const FwBoxRequest&) { return 0; }

int FwShowBox(uint32_t style, const char* caption, const char* text)
{
    FwBoxRequest request = {FwBoxKind::Plain, style, 0, 0,
                            caption ? caption : g_fwHooks.caption(), text, nullptr};
    return FwPresentBox(request);
}

int FwPresentBox(const FwBoxRequest& request) { return g_presenter(request); }
