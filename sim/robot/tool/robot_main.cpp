// robot.exe: runs a robot script against the windows of a program that runs
// beside it in the same Wine prefix (one wineserver, one desktop).
//
//   robot [--transcript FILE] [--shots DIR] [--watchdog MS] [--step-timeout MS] SCRIPT
//
// The transcript goes to stdout and, with --transcript, is appended to FILE.
// Screenshots go to DIR (default VOQ_SCREENSHOT_DIR). The watchdog bounds the
// whole run (default 120000 ms). Exit code: 0 every step passed, 1 a step
// failed (the windows the run took are closed), 2 a bad command line or script.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/robot/robot.h"

namespace {

bool Milliseconds(const char* text, DWORD& value)
{
    char* end = nullptr;
    const unsigned long n = std::strtoul(text, &end, 10);
    if (!end || end == text || *end || n == 0 || n > 3600000) return false;
    value = static_cast<DWORD>(n);
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: robot [--transcript FILE] [--shots DIR] [--watchdog MS] [--step-timeout MS] SCRIPT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    robot::RunnerOptions options;
    options.watchdogMs = 120000;
    std::string transcriptPath, script;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--transcript" && more) {
            transcriptPath = argv[++i];
        } else if (a == "--shots" && more) {
            options.screenshotDir = argv[++i];
        } else if (a == "--watchdog" && more) {
            if (!Milliseconds(argv[++i], options.watchdogMs)) return Usage();
        } else if (a == "--step-timeout" && more) {
            if (!Milliseconds(argv[++i], options.stepTimeoutMs)) return Usage();
        } else if (script.empty() && !a.empty() && a[0] != '-') {
            script = a;
        } else {
            return Usage();
        }
    }
    if (script.empty()) return Usage();
    robot::Transcript transcript;
    transcript.EchoToStdout(true);
    if (!transcriptPath.empty() && !transcript.OpenFile(transcriptPath)) {
        std::fprintf(stderr, "robot: cannot open the transcript '%s'\n", transcriptPath.c_str());
        return 2;
    }
    robot::ScriptRunner runner(options, transcript);
    std::string error;
    if (!runner.LoadFile(script, error)) {
        transcript.Line("robot: " + error);
        return 2;
    }
    return robot::RunToEnd(runner) ? 0 : 1;
}
