// The robot's script: one step a line, blank lines and lines starting with
// '#' ignored, words separated by blanks, a word with blanks in double
// quotes. Texts are code-page-1251 bytes; a title or text pattern ending in
// '*' matches by its start.
//
//   window <title> [class <name>] [timeout <ms>]  wait for a new window; it
//                                                 becomes the current one
//   box <button> [caption <text>] [timeout <ms>]  wait for a new message box,
//                                                 record its caption and text,
//                                                 press the button
//   click <id>              press a button of the current window
//   tick <id> 0|1           set a check box (clicks only when it differs)
//   type <id> <text>        type into an edit or a combo box's edit
//   text <id> <pattern>     the control's text must match
//   check <id> 0|1|2        the check box's state must be this
//   enabled <id> 0|1        the control must be enabled (1) or disabled (0)
//   read <id>               record the control's text
//   screenshot <name>       save the current window as <name>.bmp
//   gone [timeout <ms>]     wait until the current window is closed
//   sleep <ms>              wait (at most 60000 ms)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace robot {

enum class Op { Window, Box, Click, Tick, Type, Text, Check, Enabled, Read, Screenshot, Gone, Sleep };

struct Step {
    Op op = Op::Click;
    int line = 0;
    std::string source;     // the line as written, for the transcript
    int id = 0;             // control or button id
    int value = 0;          // tick, check, enabled
    std::string text;       // title, caption, typed text, pattern, name
    std::string className;  // window
    std::uint32_t timeoutMs = 0;  // 0: the runner's default
};

// Parses a script; on failure `error` names the line and what is wrong.
bool ParseScript(const std::string& text, std::vector<Step>& steps, std::string& error);

}  // namespace robot
