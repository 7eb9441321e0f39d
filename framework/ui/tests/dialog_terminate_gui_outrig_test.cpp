// In the plug-in, "&Terminate" cancels the dialog: it must never end the
// setup program that hosts the plug-in, whose main window object is the
// plug-in's running dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "framework/ui/program_hooks.h"
#include "framework/ui/sdialog.h"
#include "framework/window/application.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

std::vector<int> g_exits;

TEST(PluginDialog, TerminateCancelsAndNeverEndsTheHost)
{
    SetExitProgramHook([](int code) { g_exits.push_back(code); });
    SDialog dialog(nullptr, 600);
    Window* mainDuringRun = nullptr;
    int result = RunScripted(dialog, [&](Dialog& d) {
        mainDuringRun = GetMainWindowObject();
        SendMessageA(d.GetHandle(), WM_SYSCOMMAND, SYSCMD_TERMINATE, 0);
    });
    SetExitProgramHook(nullptr);
    EXPECT_EQ(mainDuringRun, &dialog);  // the plug-in's main window is its running dialog
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(g_exits.empty());
    EXPECT_EQ(GetMainWindowObject(), nullptr);
}

}  // namespace
