#include "ccsdriver/drv_hooks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ccsdriver/driver_settings.h"
#include "framework/base/base_object.h"
#include "framework/ui/message.h"
#include "sim/host/seam/iat_patch.h"

namespace {

std::string ModuleFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);  // the test links the driver's code
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

TEST(ModuleFilePath, BuildsPathsBesideTheModule)
{
    struct Case {
        const char* sub;
        const char* ext;
        const char* name;
        const char* tail;
    } cases[] = {
        {nullptr, "ini", "VOQ-TMS", "VOQ-TMS.ini"},
        {nullptr, ".cfg", "VOQ-TMS", "VOQ-TMS.cfg"},
        {"PodWare", "trg", "fw", "PodWare\\fw.trg"},
        {nullptr, nullptr, "plain", "plain"},
    };
    for (const Case& c : cases) {
        char out[MAX_PATH];
        EXPECT_EQ(ModuleFolder() + c.tail, ModuleFilePath(c.sub, c.ext, c.name, out)) << c.tail;
        EXPECT_EQ(ModuleFolder() + c.tail, ModuleFilePathStr(c.sub, c.ext, c.name));
    }
    EXPECT_EQ(ModuleFolder() + "VOQ-TMS.ini", SettingsFilePath());
}

TEST(ModuleFilePath, CutsToTheCallersBuffer)
{
    char out[8];
    ModuleFilePath(nullptr, "ini", "VOQ-TMS", out, sizeof out);
    EXPECT_EQ(7u, strlen(out));
}

TEST(HostProgramName, IsTheMainModuleWithoutFolderAndExtension)
{
    EXPECT_EQ("ccsdriver_drv_hooks_test", HostProgramName());
}

TEST(DriverHooks, MessagesShowNothingAndAnswerNoButton)
{
    EXPECT_EQ(0, DrvDoMessage("s", "text %u", 1u));
    EXPECT_EQ(0, DrvShowMessageById(5008));
    EXPECT_EQ(nullptr, DrvMainWindowObject());
    DrvExitProgram(-1);  // the process goes on
    // The framework's own message function is silent in the driver's build.
    EXPECT_EQ(0, DoMessage("s", "Error text|Text"));
    EXPECT_EQ(0, DoMessage("zz", "bad letters"));
}

struct Counted : BaseObject {
    static int alive;
    Counted() { ++alive; }
    ~Counted() override { --alive; }
};
int Counted::alive = 0;

TEST(DrvBusyScope, DeletesTheObjectItOwns)
{
    {
        DrvBusyScope scope("Working...", nullptr);
        scope.Own(new Counted);
        scope.Own(new Counted);  // the first one goes at once
        EXPECT_EQ(1, Counted::alive);
    }
    EXPECT_EQ(0, Counted::alive);
}

// The help control and the shell, as this program's imports see them: the
// help entry is bound by name at run time, the shell call is imported.
struct HelpCall {
    HWND owner;
    std::string file;
    UINT command;
    DWORD_PTR data;
    int32_t recordSize = 0;    // HH_POPUP and HH_AKLINK begin with their size
    uint32_t popupString = 0;  // HH_POPUP's string id, after the instance
    std::string keywords;      // HH_AKLINK's keywords, after the size and a BOOL
};
std::vector<HelpCall> g_helpCalls;
std::vector<std::string> g_shellFiles;
DWORD g_cookie = 0;
HMODULE const kFakeHelpLibrary = reinterpret_cast<HMODULE>(0x7E570000);

HWND WINAPI FakeHtmlHelp(HWND owner, const char* file, UINT command, DWORD_PTR data)
{
    if (command == 0x1C) {  // HH_INITIALIZE: hands out the cookie
        *reinterpret_cast<DWORD*>(data) = g_cookie;
        return nullptr;
    }
    HelpCall call{owner, file ? file : "", command, data};
    if (command == 0x0E || command == 0x0D) memcpy(&call.recordSize, reinterpret_cast<const void*>(data), 4);
    if (command == 0x0E) memcpy(&call.popupString, reinterpret_cast<const uint8_t*>(data) + 2 * sizeof(void*), 4);
    if (command == 0x0D) call.keywords = *reinterpret_cast<const char* const*>(reinterpret_cast<const uint8_t*>(data) + 8);
    g_helpCalls.push_back(call);
    return reinterpret_cast<HWND>(0x1234);
}
HMODULE WINAPI FakeLoadLibrary(const char* name)
{
    return lstrcmpiA(name, "hhctrl.ocx") == 0 ? kFakeHelpLibrary : LoadLibraryA(name);
}
FARPROC WINAPI FakeGetProcAddress(HMODULE module, const char* name)
{
    if (module == kFakeHelpLibrary)
        return strcmp(name, "HtmlHelpA") == 0 ? reinterpret_cast<FARPROC>(&FakeHtmlHelp) : nullptr;
    return GetProcAddress(module, name);
}
HINSTANCE WINAPI FakeShellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                                  const char* folder, INT show)
{
    EXPECT_EQ(GetDesktopWindow(), owner);
    EXPECT_EQ(nullptr, verb);
    EXPECT_EQ(nullptr, parameters);
    EXPECT_EQ(nullptr, folder);
    EXPECT_EQ(SW_SHOW, show);
    g_shellFiles.push_back(file ? file : "");
    return reinterpret_cast<HINSTANCE>(42);
}

TEST(DrvShowHelp, CommandsReachTheHelpControlOrTheShell)
{
    auto patched = sim::host::patch_imports(
        GetModuleHandleA(nullptr), {{"kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&FakeLoadLibrary)},
                                    {"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&FakeGetProcAddress)},
                                    {"shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(&FakeShellExecute)}});
    ASSERT_EQ(3u, patched.size());
    DrvSetHelpFile("C:\\help\\voq.chm");
    const uintptr_t desktop = reinterpret_cast<uintptr_t>(GetDesktopWindow());

    // No cookie on the first request: nothing is shown, and the next tries again.
    g_cookie = 0;
    EXPECT_EQ(0u, DrvShowHelp(nullptr, 1, 7));
    EXPECT_TRUE(g_helpCalls.empty());
    g_cookie = 0x55;

    struct Case {
        uint32_t command;
        uintptr_t data;
        UINT helpCommand;  // 0: the shell opens the file, or nothing happens
        bool shell;
    } cases[] = {
        {1, 4711, 0x0F, false}, {8, 0, 0x0E, false}, {261, 0, 0x0D, false},
        {3, 0, 0, true},        {11, 0, 0, true},     {5, 0, 0, false},
    };
    const char* keywords = "TCK";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        g_helpCalls.clear();
        g_shellFiles.clear();
        uintptr_t data = c.command == 261 ? reinterpret_cast<uintptr_t>(keywords) : c.data;
        uintptr_t result = DrvShowHelp(reinterpret_cast<HWND>(0x999), c.command, data);
        EXPECT_EQ(c.shell ? 1u : 0u, g_shellFiles.size());
        if (c.shell) EXPECT_EQ("C:\\help\\voq.chm", g_shellFiles[0]);
        if (!c.helpCommand) {
            EXPECT_TRUE(g_helpCalls.empty());
            if (!c.shell) EXPECT_EQ(desktop, result) << "any other command does nothing";
            continue;
        }
        ASSERT_EQ(1u, g_helpCalls.size());
        const HelpCall& call = g_helpCalls[0];
        EXPECT_EQ(GetDesktopWindow(), call.owner) << "the window given is ignored";
        EXPECT_EQ("C:\\help\\voq.chm", call.file);
        EXPECT_EQ(c.helpCommand, call.command);
        if (c.command == 1) EXPECT_EQ(4711u, call.data);
        if (c.command == 8) {
            EXPECT_EQ(sizeof(void*) == 8 ? 72 : 52, call.recordSize);
            EXPECT_EQ(123u, call.popupString);
        }
        if (c.command == 261) {
            EXPECT_EQ(sizeof(void*) == 8 ? 56 : 32, call.recordSize);
            EXPECT_EQ("TCK", call.keywords);
        }
    }
    restore_imports(patched);
    DrvSetHelpFile("");
}

}  // namespace
