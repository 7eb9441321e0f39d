// The setup log (/L) caught in a temporary stream for the length of a test.
#pragma once

#include <cstdio>
#include <string>

class CapturedSetupLog {
public:
    CapturedSetupLog();
    ~CapturedSetupLog();
    CapturedSetupLog(const CapturedSetupLog&) = delete;
    CapturedSetupLog& operator=(const CapturedSetupLog&) = delete;
    // Everything logged so far.
    std::string Text() const;

private:
    FILE* stream_;
    FILE* previous_;
};
