// Program entry of Rigger: the framework's message dialog, the "$P"/"$V"
// texts of the pages, the framework's process-wide state (tooltip
// container, process history) for the whole run, then the setup's main
// flow with the program's arguments.
#include <windows.h>

#include <cstdlib>

#include "framework/ui/error_box.h"
#include "framework/ui/framework_state.h"
#include "framework/ui/text_macros.h"
#include "setup/rigger_main.h"
#include "setup/setup_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    InstallMessageDialog();
    // The expansion compares names with case: both cases of each letter.
    // The main flow points the values at the product once setup.ini is read.
    TextMacro macros[] = {{"P", ""}, {"p", ""}, {"V", ""}, {"v", ""}, {nullptr, nullptr}};
    SetTextMacros(macros);
    FrameworkState framework;
    SetupState setup;
    setup.textMacros = macros;
    const int exitCode = RiggerMain(__argc, __argv, setup);
    SetTextMacros(nullptr);
    return exitCode;
}
