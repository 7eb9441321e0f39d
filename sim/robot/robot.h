// The window robot: drives the dialogs of a program under test the way a
// user would, from a script of steps (script.h), writing what it did and
// saw to a transcript. The same library runs in-process (TimerDrive from a
// timer in the test's own thread, or RunToEnd on a second thread) and out of
// process (robot.exe beside the program, in the same Wine prefix).
#pragma once

#include "sim/robot/controls.h"
#include "sim/robot/message_box.h"
#include "sim/robot/runner.h"
#include "sim/robot/screenshot.h"
#include "sim/robot/script.h"
#include "sim/robot/text_1251.h"
#include "sim/robot/transcript.h"
#include "sim/robot/window_finder.h"
