#include "usb_capture.h"

#include "ccsdriver/usb_trace.h"

namespace {

std::vector<std::string> g_traces;
std::vector<std::string> g_errors;

void CollectTrace(const char* text) { g_traces.push_back(text); }
void CollectError(const char* text) { g_errors.push_back(text); }

}  // namespace

UsbCapture::UsbCapture()
{
    Clear();
    g_usbTrace = UsbTraceState{CollectTrace, CollectError, 0, 0};
}

UsbCapture::~UsbCapture() { g_usbTrace = UsbTraceState{nullptr, nullptr, 0, 0}; }

const std::vector<std::string>& UsbCapture::Traces() { return g_traces; }
const std::vector<std::string>& UsbCapture::Errors() { return g_errors; }

void UsbCapture::Clear()
{
    g_traces.clear();
    g_errors.clear();
}

size_t UsbCapture::Count(const std::string& text)
{
    size_t n = 0;
    for (const auto* lines : {&g_traces, &g_errors})
        for (const std::string& line : *lines)
            for (size_t at = line.find(text); at != std::string::npos; at = line.find(text, at + 1)) ++n;
    return n;
}

bool UsbCapture::Saw(const std::string& text) { return Count(text) > 0; }
