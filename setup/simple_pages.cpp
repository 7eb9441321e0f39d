#include "setup/simple_pages.h"

#include <windows.h>

#include <cstdio>

#include "framework/ui/di_buttons.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "setup/install_seams.h"
#include "setup/rigger_dialog.h"
#include "setup/setup_functions.h"
#include "setup/setup_ini.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

constexpr uint16_t kRussianLangId = 1049;
constexpr uint32_t kChoice = 100;
constexpr uint32_t kLicenceText = 102;
constexpr uint32_t kAccept = 100;

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file `stem` + ("r" on a Russian setup) + `extension` beside setup.ini
// when it exists, else `stem` + `extension` there.
std::string LanguageFile(const SetupState& state, const char* stem, const char* extension)
{
    const std::string folder = SetupIniFolder(state) + "\\";
    if (state.IsRussian()) {
        const std::string russian = folder + stem + "r" + extension;
        if (IsFile(russian)) return russian;
    }
    return folder + stem + extension;
}

// A template that cannot be loaded ends the setup as a cancel would.
int RunPage(RiggerDialog& page)
{
    const int result = page.Execute();
    return result < 0 ? SETUP_RESULT_CANCEL : result;
}

// The language page: English second, so that its choice is the non-zero
// value; English is chosen when the page opens.
class DlgLanguage : public RiggerDialog {
public:
    DlgLanguage(bool firstPage, SetupState& state, uint8_t& english)
        : RiggerDialog(nullptr, firstPage, SETUP_DLG_LANGUAGE, state)
    {
        AddItem(NewDIRadioButtonsNT(kChoice, &english));
    }
};

// The licence page: Next follows the acceptance box, unchecked at first.
class DlgLicense : public RiggerDialog {
public:
    DlgLicense(bool firstPage, SetupState& state, const std::string& text)
        : RiggerDialog(nullptr, firstPage, SETUP_DLG_LICENSE, state)
    {
        SetItemText(kLicenceText, "%s", text.c_str());
        AddDepItem(0, kAccept, {SETUP_CTL_NEXT});
    }

    // The text opens at its start, unselected, with the focus in it.
    void SetupWindow() override
    {
        RiggerDialog::SetupWindow();
        HWND text = GetDlgItem(GetHandle(), kLicenceText);
        ::SetFocus(text);
        ::SendMessageA(text, EM_SETSEL, 0, 0);
        ::SendMessageA(text, EM_SCROLLCARET, 0, 0);
    }
};

// The restart page: the first choice (0) restarts now. Back stays disabled:
// the installation is done and cannot be gone back over.
class DlgReboot : public RiggerDialog {
public:
    DlgReboot(SetupState& state, uint8_t& choice) : RiggerDialog(nullptr, true, SETUP_DLG_REBOOT, state)
    {
        AddItem(NewDIRadioButtonsNT(kChoice, &choice));
    }
};

}  // namespace

void ChooseHelpFile(SetupState& state)
{
    state.helpFile = LanguageFile(state, "setup", ".chm");
    SetHelpFile(state.helpFile.c_str());
}

std::string LicenceFile(const SetupState& state)
{
    const std::string path = LanguageFile(state, "license", ".txt");
    return IsFile(path) ? path : std::string();
}

std::string ReadLicenceText(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return {};
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) {
        for (size_t i = 0; i < n; ++i) {
            // A lone LF becomes CR LF; a CR LF pair stays as it is.
            if (buffer[i] == '\n' && (text.empty() || text.back() != '\r')) text += '\r';
            text += buffer[i];
        }
    }
    fclose(file);
    return text;
}

int GetSetupLanguage(SetupState& state, bool firstPage)
{
    int result = SETUP_RESULT_SKIPPED;
    if (SystemLangId() == kRussianLangId) {
        uint8_t english = state.IsRussian() ? 0 : 1;
        DlgLanguage page(firstPage, state, english);
        result = RunPage(page);
        if (result == SETUP_RESULT_NEXT) {
            state.language = english ? SETUP_LANG_ENGLISH : SETUP_LANG_RUSSIAN;
            g_mlLanguage = state.language;
            MakeSetupCaption(state);
        }
    }
    ChooseHelpFile(state);
    return result;
}

int DisplayLicense(SetupState& state, bool firstPage)
{
    const std::string path = LicenceFile(state);
    if (path.empty()) return SETUP_RESULT_SKIPPED;
    DlgLicense page(firstPage, state, ReadLicenceText(path));
    return RunPage(page);
}

int CheckReboot(SetupState& state, bool)
{
    if (!state.rebootRequired) return SETUP_RESULT_SKIPPED;
    uint8_t choice = 0;
    DlgReboot page(state, choice);
    if (RunPage(page) != SETUP_RESULT_NEXT) return SETUP_RESULT_SKIPPED;
    state.rebootRequired = choice == 0;
    if (!state.rebootRequired) return SETUP_RESULT_SKIPPED;
    // The main flow restarts once it has cleaned up (RestartSystem).
    state.restartPending = true;
    return SETUP_RESULT_NEXT;
}
