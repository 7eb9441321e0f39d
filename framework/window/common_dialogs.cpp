#include "framework/window/common_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace {

FileDialogCalls g_calls{&GetOpenFileNameA, &GetSaveFileNameA, &CommDlgExtendedError};

bool CommonOpenSave(HWND owner, bool save, OpenSaveData& data)
{
    std::string filter = FilterToMultiString(data.filter);
    std::vector<char> file(MAX_PATH * 4, '\0');
    data.fileName.copy(file.data(), file.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = data.initialFolder.empty() ? nullptr : data.initialFolder.c_str();
    ofn.lpstrTitle = data.title.empty() ? nullptr : data.title.c_str();
    ofn.lpstrDefExt = data.defaultExtension.empty() ? nullptr : data.defaultExtension.c_str();
    ofn.Flags = data.flags | OFN_ENABLESIZING;
    auto run = save ? g_calls.save : g_calls.open;
    BOOL ok = run(&ofn);
    // An initial name the dialog rejects (a combo text such as "a|b") makes
    // it fail at once: it runs once more without the name. Cancel is the
    // user's answer and is never asked again.
    if (!ok && file[0] && g_calls.error() != 0) {
        file.assign(file.size(), '\0');
        ok = run(&ofn);
    }
    if (!ok) return false;
    data.fileName = file.data();
    return true;
}

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM l, LPARAM data)
{
    if (msg == BFFM_INITIALIZED) {
        const char* start = reinterpret_cast<const char*>(data);
        char current[MAX_PATH] = "";
        if (!start || !*start) {
            GetCurrentDirectoryA(sizeof current, current);
            start = current;
        }
        ::SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start));
    } else if (msg == BFFM_SELCHANGED) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(l), path))
            ::SendMessageA(hwnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

bool ShellBrowse(HWND owner, const char* title, const char* startFolder, std::string& chosen)
{
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    // Status text needs BIF_STATUSTEXT; only file-system folders give a path.
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(startFolder);
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item) return false;
    char path[MAX_PATH] = "";
    bool ok = SHGetPathFromIDListA(item, path) != FALSE;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(item);
        allocator->Release();
    }
    if (ok) chosen = path;
    return ok;
}

OpenSaveFunction g_openSave = &CommonOpenSave;
FolderBrowseFunction g_folderBrowse = &ShellBrowse;

}  // namespace

std::string FilterToMultiString(const std::string& filter)
{
    if (filter.empty()) return std::string();
    std::string result = filter;
    for (char& c : result)
        if (c == '|') c = '\0';
    if (result.back() != '\0') result.push_back('\0');
    result.push_back('\0');
    return result;
}

bool RunOpenSaveDialog(HWND owner, bool save, OpenSaveData& data) { return g_openSave(owner, save, data); }

OpenSaveFunction SetOpenSaveFunction(OpenSaveFunction function)
{
    OpenSaveFunction previous = g_openSave;
    g_openSave = function ? function : &CommonOpenSave;
    return previous;
}

bool BrowseForFolder(HWND owner, const char* title, const char* startFolder, std::string& chosen)
{
    return g_folderBrowse(owner, title, startFolder, chosen);
}

FileDialogCalls SetFileDialogCalls(const FileDialogCalls* calls)
{
    FileDialogCalls previous = g_calls;
    g_calls = calls ? *calls : FileDialogCalls{&GetOpenFileNameA, &GetSaveFileNameA, &CommDlgExtendedError};
    return previous;
}

FolderBrowseFunction SetFolderBrowseFunction(FolderBrowseFunction function)
{
    FolderBrowseFunction previous = g_folderBrowse;
    g_folderBrowse = function ? function : &ShellBrowse;
    return previous;
}
