#include "ccsdriver/drv_hooks.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/base_object.h"
#include "framework/ui/message.h"

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

}  // namespace
