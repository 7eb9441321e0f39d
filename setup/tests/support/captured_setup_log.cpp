#include "setup/tests/support/captured_setup_log.h"

#include "framework/base/message.h"

CapturedSetupLog::CapturedSetupLog() : stream_(tmpfile()), previous_(GetSetupLog())
{
    SetSetupLog(stream_);
}

CapturedSetupLog::~CapturedSetupLog()
{
    SetSetupLog(previous_);
    if (stream_) fclose(stream_);
}

std::string CapturedSetupLog::Text() const
{
    if (!stream_) return std::string();
    fflush(stream_);
    const long end = ftell(stream_);
    std::string text(end > 0 ? static_cast<size_t>(end) : 0, '\0');
    rewind(stream_);
    const size_t got = fread(text.data(), 1, text.size(), stream_);
    text.resize(got);
    fseek(stream_, 0, SEEK_END);
    return text;
}
