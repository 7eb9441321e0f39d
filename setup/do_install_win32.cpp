#include "setup/do_install.h"

#include <windows.h>

#include <memory>
#include <string>

#include "framework/config/ini_stream.h"
#include "setup/archive_extract.h"
#include "setup/dlg_progress.h"
#include "setup/do_install_language.h"
#include "setup/do_install_sections.h"
#include "setup/do_install_transfer.h"
#include "setup/install_log.h"
#include "setup/install_plan.h"
#include "setup/port_service.h"
#include "setup/registry_step.h"
#include "setup/setup_busy.h"
#include "setup/setup_state.h"
#include "setup/shortcuts_step.h"

namespace {

std::vector<std::pair<std::string, std::string>> UninstallKeys(const SetupState& state)
{
    std::vector<std::pair<std::string, std::string>> keys;
    if (!state.setupIni) return keys;
    const SectionItem* section = state.setupIni->FindSection("Uninstall Keys");
    if (!section) return keys;
    for (const auto& record : section->Records())
        if (record->Name()[0]) keys.emplace_back(record->Name(), record->Value());
    return keys;
}

// The progress window for the scope of the extraction.
class ProgressScope {
public:
    ProgressScope(SetupState& state, uint64_t total) : state_(state), window_(state.caption.c_str(), total)
    {
        if (window_.Open()) state_.progress = &window_;
    }
    ~ProgressScope() { Close(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void Pump() { window_.Pump(); }
    void Close()
    {
        if (state_.progress == &window_) state_.progress = nullptr;
        window_.Close();
    }

private:
    SetupState& state_;
    DlgProgress window_;
};

void RunFollowUpSteps(SetupState& state, const InstallPlan& plan, bool transferred)
{
    ShortcutJob shortcuts;
    shortcuts.log = state.installLog.get();
    shortcuts.targetDir = state.targetDir;
    shortcuts.productName = state.product.name;
    shortcuts.version = state.product.version;
    shortcuts.setupFolder = state.programFolder;
    shortcuts.noRussian = state.product.noRussian;
    {
        SMSControl busy(state, "Creating folders and shortcuts...|\321\356\347\344\340\355\350\345 \357\340\357\356"
                               "\352 \350 \377\360\353\373\352\356\342...");
        CreateShortcuts(shortcuts);
    }

    RegistryJob registry;
    registry.log = state.installLog.get();
    registry.company = state.product.company;
    registry.productName = state.product.name;
    registry.version = state.product.version;
    registry.multipleVersions = state.product.multipleVersions;
    registry.targetDir = state.targetDir;
    registry.setupFolder = state.programFolder;
    registry.displayIcon = shortcuts.displayIcon;
    registry.totalBytes = plan.TotalSize();
    GetLocalTime(&registry.date);
    registry.uninstallKeys = UninstallKeys(state);
    {
        SMSControl busy(state, "Updating system registry...|\316\341\355\356\342\353\345\355\350\345 \361\350\361"
                               "\362\345\354\355\356\343\356 \360\345\345\361\362\360\340...");
        WriteRegistryInfo(registry);
    }

    InstallPortDriver(state.supportDir.c_str(), state.rebootRequired);

    ApplyLanguageChoice({state.targetDir, state.product.name, state.unattended, transferred});
}

}  // namespace

int DoInstall(SetupState& state, const InstallPlan& plan)
{
    const std::string logPath = state.targetDir + "\\Setup.log";
    const std::string xlogPath = state.targetDir + "\\SetupX.log";
    state.installLog = std::make_unique<InstallLog>(logPath.c_str());
    InstallLog& log = *state.installLog;
    // SetupX.log starts empty as Setup.log does: an earlier install's
    // entries must not survive into this one's.
    INIStream xlog(0, xlogPath.c_str());
    while (!xlog.Sections().empty()) xlog.DeleteSection(xlog.Sections().front()->Name().c_str());
    WriteSetupSection(state, log.Stream());
    WriteSetupSection(state, xlog);
    WriteIdeFeatures(state, log.Stream());
    WriteIdeFeatures(state, xlog);

    // The extraction makes TARGETDIR before its first entry is recorded;
    // recorded now, while it is still missing, the uninstaller removes it.
    if (GetFileAttributesA(state.targetDir.c_str()) == INVALID_FILE_ATTRIBUTES) log.AddFile(state.targetDir.c_str());

    ProgressScope progress(state, plan.TotalSize());
    for (const PlannedComponent& component : plan.Components()) {
        if (!ExtractArchive(state, component.archivePath.c_str(), state.targetDir.c_str())) {
            progress.Close();
            xlog.Save();
            log.SaveOrReport();
            return 2;
        }
        progress.Pump();
    }
    log.AddFile(logPath.c_str());
    log.AddFile(xlogPath.c_str());
    progress.Close();

    const bool transferred = FolderHasEntries(state.transferFolder.c_str());
    if (transferred) CopyTransferredFiles(state.transferFolder.c_str(), state.targetDir.c_str(), &log);

    RunFollowUpSteps(state, plan, transferred);

    xlog.Save();
    log.SaveOrReport();
    return 1;
}
