#include "setup/versions_pages.h"

#include "framework/base/message.h"
#include "framework/base/ml_text.h"
#include "framework/ui/di_buttons.h"
#include "framework/ui/di_list_box.h"
#include "setup/conf_transfer.h"
#include "setup/installed_versions.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"
#include "setup/uninstall_versions.h"

DlgVersions::DlgVersions(Window* parent, bool firstPage, SetupState& state, const std::vector<std::string>& versions)
    : RiggerDialog(parent, firstPage, SETUP_DLG_VERSIONS, state), transfer_(state.transferConfiguration ? 1 : 0)
{
    if (state.versionSelection >= versions.size()) state.versionSelection = 0;
    list_ = NewDIListBox(0, SETUP_CTL_VERSION_LIST);
    for (size_t i = 0; i < versions.size(); ++i) list_->Data().AddString(versions[i].c_str(), i == state.versionSelection);
    AddItems({NewDICheckBox(SETUP_CTL_TRANSFER_BOX, &transfer_), list_});
}

int DlgVersions::Execute()
{
    const int result = RiggerDialog::Execute();
    if (result == SETUP_RESULT_NEXT || result == SETUP_RESULT_BACK) {
        State().transferConfiguration = transfer_ != 0;
        const std::vector<int>& selected = list_->Data().selIndices;
        State().versionSelection = selected.empty() || selected[0] < 0 ? 0 : static_cast<uint32_t>(selected[0]);
    }
    return result;
}

DlgUVersions::DlgUVersions(Window* parent, bool firstPage, SetupState& state, const std::vector<std::string>& versions)
    : RiggerDialog(parent, firstPage, SETUP_DLG_UVERSIONS, state)
{
    for (const std::string& version : versions) {
        const bool current = version == state.product.version;
        rows_.push_back({version, current ? ROW_CHECKED | ROW_DISABLED : 0u});
    }
    AddItem(NewDICheckBoxesAsListBox(SETUP_CTL_VERSION_LIST, &rows_));
}

void DlgUVersions::SetupWindow()
{
    RiggerDialog::SetupWindow();
    const ProductSettings& product = State().product;
    if (product.multipleVersions) {
        HideItem(false, SETUP_CTL_UVERSIONS_NOTE);
        return;
    }
    SetItemText(SETUP_CTL_UVERSIONS_TEXT, GetMLResString(SETUP_MSG_SINGLE_VERSION_FOUND), product.name.c_str());
}

int DisplayVersions(SetupState& state, bool firstPage)
{
    ClearTransfer(state);
    if (SplitConfMasks(state.product.confFiles).empty()) return SETUP_RESULT_SKIPPED;
    const std::string unsafe = FirstUnsafeConfMask(state.product.confFiles);
    if (!unsafe.empty()) {
        DoMessage("s", "ConfFiles mask '%s' in setup.ini leaves the version's folder|"
                       "\314\340\361\352\340 ConfFiles '%s' \342 setup.ini \342\345\344\270\362 \347\340 "
                       "\357\360\345\344\345\353\373 \357\340\357\352\350 \342\345\360\361\350\350",
                  unsafe.c_str());
        return SETUP_RESULT_CANCEL;
    }
    const std::vector<std::string> versions = ListInstalledVersions(state.product);
    if (versions.empty()) {
        LogPrintf("  No previously installed versions\n");
        return SETUP_RESULT_SKIPPED;
    }
    LogPrintf("  Previously installed versions:\n");
    for (const std::string& version : versions) LogPrintf("    '%s'\n", version.c_str());

    DlgVersions page(nullptr, firstPage, state, versions);
    const int result = page.Execute();
    if (result != SETUP_RESULT_NEXT || !state.transferConfiguration) return result;
    return TransferConfFiles(state, versions[state.versionSelection]);
}

int DisplayUVersions(SetupState& state, bool firstPage)
{
    const std::vector<std::string> versions = ListInstalledVersions(state.product);
    if (versions.empty()) return SETUP_RESULT_SKIPPED;
    std::vector<VersionToUninstall> chosen;
    if (state.unattended) {
        for (const std::string& version : versions) chosen.push_back({version, false});
    } else {
        DlgUVersions page(nullptr, firstPage, state, versions);
        const int result = page.Execute();
        if (result != SETUP_RESULT_NEXT) return result;
        for (const CheckListEntry& row : page.Rows()) chosen.push_back({row.text, (row.state & ROW_CHECKED) != 0});
    }
    UninstallVersions(state, chosen);
    return SETUP_RESULT_NEXT;
}
