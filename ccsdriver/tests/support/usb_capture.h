// Test fixture: collects the USB layer's trace and error lines.
#pragma once

#include <string>
#include <vector>

class UsbCapture {
public:
    UsbCapture();   // installs the collectors, trace level 0
    ~UsbCapture();  // removes them
    static const std::vector<std::string>& Traces();
    static const std::vector<std::string>& Errors();
    static void Clear();
    // True when some collected line (trace or error) contains `text`.
    static bool Saw(const std::string& text);
    static size_t Count(const std::string& text);
};
