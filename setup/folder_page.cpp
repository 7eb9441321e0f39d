#include "setup/folder_page.h"

#include <cstdio>
#include <string>

#include "framework/base/sys_box.h"
#include "framework/ui/di_edit.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "framework/window/common_dialogs.h"
#include "setup/folder_target.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

const char kReplaceQuestion[] =
    "Folder '%s' already exists and contains file(s) and/or sub-folder(s). If you install the %s to this folder, "
    "its contents may be overwritten by the installed files and folders.\n\nAlso, if you uninstall this %s "
    "version, these files will be deleted.\n\nDo you want to continue?"
    "|\317\340\357\352\340 '%s' \363\346\345 \361\363\371\345\361\362\342\363\345\362 \350 \361\356\344\345\360\346"
    "\350\362 \364\340\351\353\373 \350/\350\353\350 \342\353\356\346\345\355\355\373\345 \357\340\357\352\350. "
    "\305\361\353\350 \363\361\362\340\355\356\342\350\362\374 %s \342 \375\362\363 \357\340\357\352\363, \345\270 "
    "\361\356\344\345\360\346\350\354\356\345 \354\356\346\345\362 \341\373\362\374 \347\340\354\345\355\345\355\356 "
    "\363\361\362\340\355\340\342\353\350\342\340\345\354\373\354\350 \364\340\351\353\340\354\350 \350 "
    "\357\340\357\352\340\354\350.\n\n\312\360\356\354\345 \362\356\343\356, \357\360\350 \363\344\340\353\345\355"
    "\350\350 \375\362\356\351 \342\345\360\361\350\350 %s \375\362\350 \364\340\351\353\373 \341\363\344\363\362 "
    "\363\344\340\353\345\355\373.\n\n\317\360\356\344\356\353\346\350\362\374?";
const char kConfirmTitle[] = "Please confirm|\317\356\344\362\342\345\360\344\350\362\345, \357\356\346\340\353\363"
                             "\351\361\362\340";
const char kNotAbsolute[] =
    "The folder '%s' is not a full path. Please type a path that begins with a drive letter (such as C:\\) or "
    "with a server name (\\\\server\\share).|\317\340\357\352\340 '%s' \347\340\344\340\355\340 \355\345 \357\356"
    "\353\355\373\354 \357\363\362\270\354. \302\342\345\344\350\362\345 \357\363\362\374, \352\356\362\356\360"
    "\373\351 \355\340\367\350\355\340\345\362\361\377 \361 \341\363\352\342\373 \344\350\361\352\340 (\355\340"
    "\357\360\350\354\345\360, C:\\) \350\353\350 \361 \350\354\345\355\350 \361\345\360\342\345\360\340 "
    "(\\\\server\\share).";
const char kBrowseTitle[] = "Choose the destination folder|\302\373\341\345\360\350\362\345 \357\340\357\352\363 "
                            "\363\361\362\340\355\356\342\352\350";

// Yes/No with No as the default: the user has to choose to overwrite.
bool ConfirmReplace(HWND owner, const std::string& folder, const std::string& product)
{
    char text[2048];
    snprintf(text, sizeof text, GetMLText(kReplaceQuestion), folder.c_str(), product.c_str(), product.c_str());
    const std::string caption = GetMLText(kConfirmTitle);
    FwBoxRequest request{FwBoxKind::Plain, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, 0, 0, caption.c_str(),
                         text, owner};
    const int answer = FwPresentBox(request);
    LogPrintf("** Message **: %s\n [%s]\n", text, answer == IDYES ? "YES" : "NO");
    return answer == IDYES;
}

void CopyFolder(char (&buffer)[kFolderEditMax + 1], const std::string& text)
{
    snprintf(buffer, sizeof buffer, "%s", text.c_str());
}

}  // namespace

DlgFolder::DlgFolder(Window* parent, bool firstPage, SetupState& state)
    : RiggerDialog(parent, firstPage, SETUP_DLG_FOLDER, state)
{
    CopyFolder(folder_, state.targetDir);
    AddItems({new DIEdit(folder_, sizeof folder_, SETUP_CTL_FOLDER_EDIT)});
}

void DlgFolder::TakeEditText() { CopyFolder(folder_, GetItemText(SETUP_CTL_FOLDER_EDIT)); }

void DlgFolder::CmOk()
{
    TakeEditText();
    std::string folder = folder_;
    const FolderVerdict verdict = CheckTargetFolder(folder);
    CopyFolder(folder_, folder);
    SetItemText(SETUP_CTL_FOLDER_EDIT, "%s", folder_);
    State().targetDir = folder_;
    switch (verdict) {
    case FolderVerdict::Empty: ShowMessageById(SETUP_MSG_TYPE_FOLDER); break;
    case FolderVerdict::NotAbsolute: DoMessage("s", kNotAbsolute, folder_); break;
    case FolderVerdict::AskReplace:
        if (ConfirmReplace(GetHandle(), folder, State().product.name)) {
            RiggerDialog::CmOk();
            return;
        }
        break;
    case FolderVerdict::Accept: RiggerDialog::CmOk(); return;
    }
    FocusItem(SETUP_CTL_FOLDER_EDIT);
}

void DlgFolder::Browse()
{
    TakeEditText();
    State().targetDir = folder_;
    std::string chosen;
    const std::string title = GetMLText(kBrowseTitle);
    if (!BrowseForFolder(GetHandle(), title.c_str(), folder_, chosen)) return;
    CopyFolder(folder_, chosen);
    State().targetDir = folder_;
    SetItemText(SETUP_CTL_FOLDER_EDIT, "%s", folder_);
}

LRESULT DlgFolder::EvCommand(UINT id, HWND control, UINT code)
{
    if (code == BN_CLICKED && id == SETUP_CTL_FOLDER_BROWSE) {
        Browse();
        return 0;
    }
    return RiggerDialog::EvCommand(id, control, code);
}

int DisplayFolder(SetupState& state, bool firstPage)
{
    DlgFolder page(nullptr, firstPage, state);
    const int result = page.Execute();
    // Back keeps what was typed, as Next does.
    if (result == SETUP_RESULT_NEXT || result == SETUP_RESULT_BACK) state.targetDir = page.Folder();
    return result;
}
