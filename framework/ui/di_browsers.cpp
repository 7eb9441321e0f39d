#include "framework/ui/di_browsers.h"

#include "framework/ui/b_button.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/sidialog.h"
#include "framework/window/common_dialogs.h"
#include "framework/window/open_save_dialog.h"
#include "framework/window/dialog.h"

namespace {
constexpr uint32_t kFolderFlags = 0x5C000;
constexpr uint32_t kInetFlags = 0x1C000;
constexpr uint32_t kOpenFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
constexpr uint32_t kSaveFlags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
}  // namespace

DIDirBrowser::DIDirBrowser(uint32_t flags, char* boundText, uint32_t browseButtonId, uint32_t id)
    : DIDirBrowser(DI_FOLDER_BROWSER, flags | kFolderFlags, boundText, browseButtonId, id, BROWSE_IMAGE_FOLDER)
{
}

DIDirBrowser::DIDirBrowser(uint32_t kind, uint32_t flags, char* boundText, uint32_t browseButtonId, uint32_t id,
                           uint32_t image)
    : DIComboBox(0, boundText, 260, flags, id), browseId_(browseButtonId), image_(image)
{
    kind_ = kind;
}

void DIDirBrowser::CreateControl()
{
    DIComboBox::CreateControl();
    if (!owner_ || !browseId_) return;
    // A button the dialog already made for this id (its own image) stays.
    if (owner_->FindButton(browseId_)) return;
    auto* button = new BButton(DialogObject(), static_cast<int>(browseId_), image_);
    if (!owner_->AddButton(button)) delete button;
}

BButton* DIDirBrowser::BrowseButton() const { return owner_ ? owner_->FindButton(browseId_) : nullptr; }

DIFileBrowser::DIFileBrowser(uint32_t extraFlags, bool save, const char* title, const char* filter, uint32_t flags,
                             char* boundText, uint32_t browseButtonId, uint32_t id)
    : DIDirBrowser(DI_FILE_BROWSER, flags | kFolderFlags, boundText, browseButtonId, id, BROWSE_IMAGE_FOLDER),
      extraFlags_(extraFlags),
      save_(save),
      title_(title),
      filter_(filter ? filter : "")
{
}

void SplitBrowseStart(const char* text, std::string& folder, std::string& fileName)
{
    std::string t = text ? text : "";
    for (char& c : t)
        if (c == '"') c = ' ';
    size_t b = t.find_first_not_of(' ');
    size_t e = t.find_last_not_of(' ');
    t = b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
    folder.clear();
    fileName.clear();
    if (t.empty()) return;
    const bool wild = t.find_first_of("?*") != std::string::npos;
    DWORD attributes = wild ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(t.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        folder = t;
    } else {
        size_t slash = t.find_last_of('\\');
        if (slash == std::string::npos) {
            fileName = t;
            return;
        }
        folder = t.substr(0, slash + 1);
        fileName = t.substr(slash + 1);
    }
    const bool keep = folder == "\\" || (folder.size() >= 2 && folder[folder.size() - 2] == ':');
    if (!keep && folder.size() > 1 && folder.back() == '\\') folder.pop_back();
}

bool DIFileBrowser::Browse()
{
    OpenSaveData data;
    data.title = GetMLText(title_ ? title_ : "");
    // No default extension: "*" would turn a typed name into "name.*".
    SplitBrowseStart(GetText().c_str(), data.initialFolder, data.fileName);
    HWND owner = DialogHandle();
    const std::string filter = filter_ + "|All files (*.*)|*.*|";
    POpenSaveDialog dialog(owner, data, filter.c_str(), save_ ? (extraFlags_ | kSaveFlags) : kOpenFlags, save_);
    bool ok;
    {
        TopmostGuard guard(owner ? GetAncestor(owner, GA_ROOT) : nullptr);
        ok = dialog.Execute() == IDOK;
    }
    if (!ok) return false;
    if (ComboBox* combo = Combo()) {
        combo->SetSelIndex(-1);
        combo->SetText(data.fileName.c_str());
    }
    chosen_ = true;
    if (owner_) owner_->AfterBrowse(controlId_);
    return true;
}

DIINetAddrBrowser::DIINetAddrBrowser(uint32_t flags, char* boundText, uint32_t browseButtonId, uint32_t id)
    : DIDirBrowser(DI_INET_ADDR_BROWSER, flags | kInetFlags, boundText, browseButtonId, id, BROWSE_IMAGE_INET)
{
}

TopmostGuard::TopmostGuard(HWND window)
{
    if (window && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        window_ = window;
        SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

TopmostGuard::~TopmostGuard()
{
    if (window_) SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
