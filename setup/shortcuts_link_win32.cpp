#include "setup/shortcuts_link.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/base/file_utils.h"
#include "framework/ui/message.h"
#include "framework/ui/text_macros.h"
#include "setup/install_log.h"
#include "setup/setup_messages.h"
#include "setup/shortcuts_names.h"

namespace {

constexpr size_t kNameSize = 512;

void Fail(const char* step) { ShowMessageById(SETUP_MSG_SHORTCUT, step); }

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { if (p_) p_->Release(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }

private:
    T* p_ = nullptr;
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool CreateLink(const LinkContext& context, const LinkRequest& request)
{
    char expanded[kNameSize];
    ExpandTextMacros(expanded, request.name.c_str(), sizeof expanded);
    std::string name = expanded;
    std::string target = request.target;
    ApplyUninstallName(name, target, context.productName.c_str(), context.language);
    std::string reason;
    if (!IsPlainFileName(name.c_str(), reason)) {
        Fail(reason.c_str());
        return false;
    }
    const std::string linkFile = request.folder + "\\" + name + ".lnk";

    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.Out())))) {
        Fail("CoCreateInstance(IShellLink) failed.");
        return false;
    }
    if (FAILED(link->SetPath(target.c_str()))) {
        Fail("IShellLink::SetPath failed.");
        return false;
    }
    if (FAILED(link->SetWorkingDirectory(request.workingDir.c_str()))) {
        Fail("IShellLink::SetWorkingDirectory failed.");
        return false;
    }
    if (FAILED(link->SetArguments(request.arguments.c_str()))) {
        Fail("IShellLink::SetArguments failed.");
        return false;
    }
    // A target that is not there yet (FileMustExist off) must not stop the
    // link: the resolve result is only the shell's opinion.
    link->Resolve(nullptr, SLR_NO_UI | SLR_UPDATE);
    if (FAILED(link->SetDescription(request.description.c_str()))) {
        Fail("IShellLink::SetDescription failed.");
        return false;
    }
    if (!request.iconFile.empty()) {
        const std::string icon = context.targetDir + "\\" + request.iconFile;
        if (FAILED(link->SetIconLocation(icon.c_str(), 0))) {
            Fail("IShellLink::SetIconLocation failed.");
            return false;
        }
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())))) {
        Fail("IShellLink::QueryInterface(IPersistFile) failed.");
        return false;
    }
    wchar_t wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH * 2) || FAILED(file->Save(wide, TRUE))) {
        Fail("IPersistFile::Save failed.");
        return false;
    }
    std::string made = linkFile;
    if (!Exists(made)) {
        // The shell wrote a program information file in its place.
        made = request.folder + "\\" + name + ".pif";
        if (!Exists(made)) {
            Fail("IPersistFile::Save failed.");
            return false;
        }
    }
    if (context.log) context.log->AddFile(made.c_str());
    return true;
}
