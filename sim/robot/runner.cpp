#include "sim/robot/runner.h"

#include <fstream>
#include <sstream>

#include "sim/robot/controls.h"
#include "sim/robot/screenshot.h"
#include "sim/robot/text_1251.h"
#include "sim/robot/window_finder.h"

namespace robot {

namespace {

// How long a click sent to another thread may take before the robot goes
// on: longer means the click opened a modal loop, which is not a failure.
constexpr UINT kClickBoundMs = 1000;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool Elapsed(DWORD since, DWORD bound) { return GetTickCount() - since >= bound; }

}  // namespace

ScriptRunner::ScriptRunner(const RunnerOptions& options, Transcript& transcript)
    : options_(options), transcript_(transcript)
{
    if (options_.screenshotDir.empty()) options_.screenshotDir = ScreenshotDirFromEnvironment();
}

bool ScriptRunner::Load(const std::string& script, std::string& error)
{
    index_ = 0;
    phase_ = 0;
    started_ = finished_ = failed_ = false;
    return ParseScript(script, steps_, error);
}

bool ScriptRunner::LoadFile(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the script '" + path + "'";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return Load(text.str(), error);
}

DWORD ScriptRunner::TimeoutOf(const Step& step) const
{
    return step.timeoutMs ? step.timeoutMs : options_.stepTimeoutMs;
}

bool ScriptRunner::Own(HWND window) const
{
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

void ScriptRunner::Tick()
{
    if (busy_ || finished_) return;
    busy_ = true;
    if (!started_) {
        started_ = true;
        runStart_ = stepStart_ = GetTickCount();
    }
    while (!finished_) {
        if (index_ >= steps_.size()) {
            Finish(true);
            break;
        }
        const Step& step = steps_[index_];
        if (Elapsed(runStart_, options_.watchdogMs)) {
            Fail(&step, "watchdog: the run took longer than " + std::to_string(options_.watchdogMs) + " ms");
            break;
        }
        std::string why;
        const Outcome outcome = Take(step, why);
        if (outcome == Outcome::Fail) {
            Fail(&step, why);
            break;
        }
        if (outcome == Outcome::Wait) {
            if (Elapsed(stepStart_, TimeoutOf(step)))
                Fail(&step, why.empty() ? "timed out after " + std::to_string(TimeoutOf(step)) + " ms" : why);
            break;
        }
        ++index_;
        phase_ = 0;
        stepStart_ = GetTickCount();
        if (outcome == Outcome::DoneYield) break;
    }
    busy_ = false;
}

ScriptRunner::Outcome ScriptRunner::Press(HWND window, int id, std::string& why)
{
    HWND control = ControlOf(window, id);
    if (!control) {
        why = "no control " + std::to_string(id);
        return Outcome::Fail;
    }
    if (!IsWindowEnabled(control)) {
        why = "control " + std::to_string(id) + " is disabled";
        return Outcome::Fail;
    }
    // A user cannot click a window that a modal one covers; the robot waits
    // for it to come back, as the user would.
    if (!IsWindowEnabled(window)) {
        why = "the window stays disabled (a modal window is over it)";
        return Outcome::Wait;
    }
    if (Own(window)) {
        PostClick(window, id);
        return Outcome::DoneYield;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kClickBoundMs, &result);
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::Take(const Step& step, std::string& why)
{
    const bool needsWindow = step.op != Op::Window && step.op != Op::Box && step.op != Op::Sleep;
    if (needsWindow && (!current_ || !IsWindow(current_))) {
        if (step.op == Op::Gone) {
            transcript_.Line("gone");
            return Outcome::Done;
        }
        why = "no current window";
        return Outcome::Fail;
    }
    const std::string idText = std::to_string(step.id);
    switch (step.op) {
    case Op::Window: {
        WindowQuery query{step.text, step.className, options_.processId, &taken_};
        HWND found = FindTopWindow(query);
        if (!found) {
            why = "no window " + Quoted(step.text) + " within " + std::to_string(TimeoutOf(step)) + " ms";
            return Outcome::Wait;
        }
        current_ = found;
        taken_.insert(found);
        takenOrder_.push_back(found);
        transcript_.Line("window " + Quoted(GetText1251(found)) + " (" + ClassOf(found) + ")");
        return Outcome::Done;
    }
    case Op::Box: {
        if (phase_ == 1) {
            // Answered once the box is gone and its owner takes input again.
            const bool closed = !IsWindow(boxWindow_) || !IsWindowVisible(boxWindow_);
            if (closed && (!boxOwner_ || !IsWindow(boxOwner_) || IsWindowEnabled(boxOwner_))) return Outcome::Done;
            why = "the box stays open after button " + idText;
            return Outcome::Wait;
        }
        HWND box = FindMessageBox(options_.processId, &taken_);
        if (box && !step.text.empty() && !TitleMatches(step.text, GetText1251(box))) box = nullptr;
        if (!box) {
            why = "no message box within " + std::to_string(TimeoutOf(step)) + " ms";
            return Outcome::Wait;
        }
        BoxRecord record = ReadMessageBox(box);
        record.button = step.id;
        taken_.insert(box);
        takenOrder_.push_back(box);
        boxes_.push_back(record);
        transcript_.Line("box " + Quoted(record.caption) + " " + Quoted(record.text) + " -> " + idText);
        const Outcome pressed = Press(box, step.id, why);
        if (pressed == Outcome::Fail) return pressed;
        boxWindow_ = box;
        boxOwner_ = GetWindow(box, GW_OWNER);
        phase_ = 1;
        why = "the box stays open after button " + idText;
        return Outcome::Wait;
    }
    case Op::Click:
        transcript_.Line("click " + idText);
        return Press(current_, step.id, why);
    case Op::Tick: {
        const int state = ControlCheck(current_, step.id);
        if (state < 0) {
            why = "no check box " + idText;
            return Outcome::Fail;
        }
        if (phase_ == 0) {
            if (state == step.value) {
                transcript_.Line("tick " + idText + " " + std::to_string(step.value) + " (already)");
                return Outcome::Done;
            }
            transcript_.Line("tick " + idText + " " + std::to_string(step.value));
            const Outcome pressed = Press(current_, step.id, why);
            if (pressed == Outcome::Fail) return pressed;
            phase_ = 1;  // read it back once the click was handled
            if (pressed == Outcome::DoneYield) {
                why = "check box " + idText + " did not change";
                return Outcome::Wait;
            }
        }
        if (ControlCheck(current_, step.id) == step.value) return Outcome::Done;
        why = "check box " + idText + " reads " + std::to_string(ControlCheck(current_, step.id)) + " after the click";
        return Outcome::Wait;
    }
    case Op::Type:
        transcript_.Line("type " + idText + " " + Quoted(step.text));
        if (!TypeText(current_, step.id, step.text)) {
            why = "cannot type into control " + idText;
            return Outcome::Fail;
        }
        return Outcome::Done;
    case Op::Text: {
        const std::string text = ControlText(current_, step.id);
        if (!ControlOf(current_, step.id)) {
            why = "no control " + idText;
            return Outcome::Fail;
        }
        if (!TitleMatches(step.text, text)) {
            why = "control " + idText + " reads " + Quoted(text);
            return Outcome::Fail;
        }
        transcript_.Line("text " + idText + " " + Quoted(text));
        return Outcome::Done;
    }
    case Op::Check: {
        const int state = ControlCheck(current_, step.id);
        if (state != step.value) {
            why = "check box " + idText + " reads " + std::to_string(state);
            return Outcome::Fail;
        }
        transcript_.Line("check " + idText + " " + std::to_string(state));
        return Outcome::Done;
    }
    case Op::Enabled: {
        if (!ControlOf(current_, step.id)) {
            why = "no control " + idText;
            return Outcome::Fail;
        }
        const int enabled = ControlEnabled(current_, step.id) ? 1 : 0;
        if (enabled != step.value) {
            why = "control " + idText + (enabled ? " is enabled" : " is disabled");
            return Outcome::Fail;
        }
        transcript_.Line("enabled " + idText + " " + std::to_string(enabled));
        return Outcome::Done;
    }
    case Op::Read: {
        if (!ControlOf(current_, step.id)) {
            why = "no control " + idText;
            return Outcome::Fail;
        }
        const std::string text = ControlText(current_, step.id);
        reads_.emplace_back(step.id, text);
        transcript_.Line("read " + idText + " " + Quoted(text));
        return Outcome::Done;
    }
    case Op::Screenshot: {
        if (options_.screenshotDir.empty()) {
            transcript_.Line("screenshot " + step.text + " (no folder: not taken)");
            return Outcome::Done;
        }
        if (!SaveScreenshot(current_, options_.screenshotDir, step.text)) {
            why = "cannot save the screenshot " + step.text;
            return Outcome::Fail;
        }
        transcript_.Line("screenshot " + step.text);
        return Outcome::Done;
    }
    case Op::Gone:
        if (IsWindowVisible(current_)) {
            why = "the window is still open after " + std::to_string(TimeoutOf(step)) + " ms";
            return Outcome::Wait;
        }
        transcript_.Line("gone");
        return Outcome::Done;
    case Op::Sleep:
        return Elapsed(stepStart_, step.timeoutMs) ? Outcome::Done : Outcome::Wait;
    }
    why = "unknown step";
    return Outcome::Fail;
}

void ScriptRunner::Fail(const Step* step, const std::string& why)
{
    std::string line = "FAIL";
    if (step) line += " line " + std::to_string(step->line) + " (" + step->source + ")";
    transcript_.Line(line + ": " + why);
    if (options_.closeOnFailure) {
        if (!options_.screenshotDir.empty() && current_ && IsWindow(current_))
            SaveScreenshot(current_, options_.screenshotDir, "failure");
        // The innermost window first: a box, then the dialog under it.
        for (auto it = takenOrder_.rbegin(); it != takenOrder_.rend(); ++it)
            if (IsWindow(*it)) PostMessageW(*it, WM_CLOSE, 0, 0);
        if (HWND box = FindMessageBox(options_.processId, &taken_)) PostMessageW(box, WM_CLOSE, 0, 0);
    }
    failed_ = true;
    Finish(false);
}

void ScriptRunner::Finish(bool passed)
{
    finished_ = true;
    transcript_.Line(passed ? "passed" : "failed");
}

bool RunToEnd(ScriptRunner& runner, DWORD pollMs)
{
    while (!runner.Finished()) {
        runner.Tick();
        if (!runner.Finished()) Sleep(pollMs);
    }
    return runner.Passed();
}

namespace {

ScriptRunner* g_timerRunner = nullptr;

void CALLBACK TimerTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_timerRunner) g_timerRunner->Tick();
}

}  // namespace

TimerDrive::TimerDrive(ScriptRunner& runner, UINT periodMs) : runner_(runner)
{
    g_timerRunner = &runner;
    timer_ = SetTimer(nullptr, 0, periodMs, &TimerTick);
}

bool TimerDrive::Finish()
{
    KillTimer(nullptr, timer_);
    timer_ = 0;
    g_timerRunner = nullptr;
    return RunToEnd(runner_);
}

TimerDrive::~TimerDrive()
{
    if (timer_) KillTimer(nullptr, timer_);
    g_timerRunner = nullptr;
}

}  // namespace robot
