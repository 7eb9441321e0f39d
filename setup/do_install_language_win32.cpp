#include "setup/do_install_language.h"

#include <windows.h>

#include <cstdint>

#include "framework/base/dir_finder.h"
#include "framework/base/sys_box.h"
#include "framework/config/ini_record.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "setup/install_seams.h"

namespace {

constexpr uint16_t kRussianLangId = 1049;
constexpr UINT_PTR kTopmostTimer = 56506;
constexpr UINT kTopmostPeriodMs = 300;
constexpr int kTitleCompare = 128;

// The box's title while it is open: the timer looks for it.
std::string g_boxTitle;

BOOL CALLBACK EnumProc(HWND window, LPARAM)
{
    char title[kTitleCompare + 1] = {};
    GetWindowTextA(window, title, sizeof title);
    if (g_boxTitle.compare(0, kTitleCompare, title) != 0) return TRUE;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    return FALSE;
}

void CALLBACK BringBoxForward(HWND, UINT, UINT_PTR, DWORD) { EnumWindows(&EnumProc, 0); }

bool Ask(const std::string& product)
{
    char text[1024], title[512];
    snprintf(text, sizeof text,
             GetMLText("Would you like to use Russian language for the %s menus, dialogs and messages?|\310\361\357"
                       "\356\353\374\347\356\342\340\362\374 \360\363\361\361\352\350\351 \377\347\373\352 \342 \354"
                       "\345\355\376, \344\350\340\353\356\343\340\365 \350 \361\356\356\341\371\345\355\350\377\365 "
                       "%s?"),
             product.c_str());
    snprintf(title, sizeof title, GetMLText("Select %s language|\302\373\341\356\360 \377\347\373\352\340 %s"),
             product.c_str());
    g_boxTitle = title;
    // A box without owner can open behind other windows: the timer keeps
    // bringing it to the top while it is open.
    const UINT_PTR timer = SetTimer(nullptr, kTopmostTimer, kTopmostPeriodMs, &BringBoxForward);
    FwBoxRequest request{FwBoxKind::Plain,
                         MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_SETFOREGROUND,
                         0,
                         0,
                         title,
                         text,
                         nullptr};
    const int answer = FwPresentBox(request);
    KillTimer(nullptr, timer);
    g_boxTitle.clear();
    LogPrintf("  Russian language question: %s\n", answer == IDYES ? "Yes" : "No");
    return answer == IDYES;
}

void MarkLanguageFiles(const std::string& targetDir, const char* pattern)
{
    const std::string mask = targetDir + "\\" + pattern;
    for (PFileFinder finder(false, mask.c_str()); finder.Found(); finder.Next()) {
        // Rewritten through the INI engine: lines that are not records go.
        INIStream file(0, finder.FullPath());
        file.SelectSection("Options").Write(INIWriteRecord("CheckLangDef", uint32_t{1}));
        file.Save();
    }
}

}  // namespace

bool ApplyLanguageChoice(const LanguageQuestion& question)
{
    const std::string langdef = question.targetDir + "\\langdef.ini";
    uint8_t allow = 0;
    {
        INIStream file(INI_READ_ONLY, langdef.c_str());
        file.SetSection("Russian").Read(INIReadRecord("Allow", allow, uint8_t{0}));
    }
    if (!allow) return false;
    const bool byDefault = SystemLangId() == kRussianLangId;
    const bool ask = !question.filesTransferred && !question.quiet;
    const bool russian = ask ? Ask(question.productName) : byDefault;
    if (!russian) return false;
    {
        INIStream file(0, langdef.c_str());
        file.SelectSection("Russian").Write(INIWriteRecord("Force", uint32_t{1}));
        file.Save();
    }
    MarkLanguageFiles(question.targetDir, "*.ide");
    MarkLanguageFiles(question.targetDir, "*.opt");
    return true;
}
