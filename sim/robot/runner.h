// Runs a robot script against the windows of the program under test, one
// step after the other, as the windows come. The runner never blocks: each
// Tick() takes the steps it can and returns at the first one that has to
// wait, so it can be driven from a timer in the dialog's own thread (inside
// the dialog's modal loop, where a blocking wait would keep the dialog from
// ever appearing), from a second thread, or from robot.exe's loop.
//
// Promises:
// - a click on a window of the calling thread is posted and the tick ends
//   there, so the dialog handles it before the next step is taken; a click
//   on another thread's window is sent with a bound, so a click that opens a
//   modal box does not hold the robot;
// - every wait is bounded by its step's timeout, and the whole run by the
//   watchdog;
// - on a failure the transcript names the script line, and the windows the
//   run took are closed (WM_CLOSE, the box first), so the program under
//   test is not left waiting for a user.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sim/robot/message_box.h"
#include "sim/robot/script.h"
#include "sim/robot/transcript.h"

namespace robot {

struct RunnerOptions {
    DWORD processId = 0;         // windows of this process only; 0 = any
    DWORD stepTimeoutMs = 10000;  // a waiting step's bound unless it names one
    DWORD watchdogMs = 60000;     // the whole run's bound
    std::string screenshotDir;   // empty: VOQ_SCREENSHOT_DIR; neither: no pictures
    bool closeOnFailure = true;
};

class ScriptRunner {
public:
    ScriptRunner(const RunnerOptions& options, Transcript& transcript);

    bool Load(const std::string& script, std::string& error);
    bool LoadFile(const std::string& path, std::string& error);

    // Takes the steps that can be taken now. Re-entrant calls (a timer
    // firing inside a modal loop the runner itself started) return at once.
    void Tick();

    bool Finished() const { return finished_; }
    bool Passed() const { return finished_ && !failed_; }
    HWND Current() const { return current_; }
    const std::vector<BoxRecord>& Boxes() const { return boxes_; }
    // (control id, text) of each `read` step, in order.
    const std::vector<std::pair<int, std::string>>& Reads() const { return reads_; }

private:
    enum class Outcome { Done, DoneYield, Wait, Fail };

    Outcome Take(const Step& step, std::string& why);
    Outcome Press(HWND window, int id, std::string& why);
    void Fail(const Step* step, const std::string& why);
    void Finish(bool passed);
    DWORD TimeoutOf(const Step& step) const;
    bool Own(HWND window) const;

    RunnerOptions options_;
    Transcript& transcript_;
    std::vector<Step> steps_;
    size_t index_ = 0;
    int phase_ = 0;  // a tick's second half: the state is read back
    DWORD stepStart_ = 0;
    DWORD runStart_ = 0;
    bool started_ = false;
    bool busy_ = false;
    bool finished_ = false;
    bool failed_ = false;
    HWND current_ = nullptr;
    HWND boxWindow_ = nullptr;  // the box being answered
    HWND boxOwner_ = nullptr;
    std::vector<HWND> takenOrder_;
    std::set<HWND> taken_;
    std::vector<BoxRecord> boxes_;
    std::vector<std::pair<int, std::string>> reads_;
};

// Ticks the runner every pollMs until it finishes (robot.exe; a test's
// second thread). The watchdog bounds the loop.
bool RunToEnd(ScriptRunner& runner, DWORD pollMs = 50);

// Drives the runner from a thread timer of the calling thread while it
// lives: for a test that then runs a modal dialog itself. One at a time per
// process. The timer stops with the modal loop, so Finish() takes the steps
// the loop's end left.
class TimerDrive {
public:
    explicit TimerDrive(ScriptRunner& runner, UINT periodMs = 30);
    // The steps left once the modal run has returned (a trailing `gone`),
    // taken with the runner's bounds; true when the script passed.
    bool Finish();
    ~TimerDrive();
    TimerDrive(const TimerDrive&) = delete;
    TimerDrive& operator=(const TimerDrive&) = delete;

private:
    ScriptRunner& runner_;
    UINT_PTR timer_;
};

}  // namespace robot
