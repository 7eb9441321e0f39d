// The common file dialog and the shell's folder browser, each behind a
// replaceable function so that tests answer for the user.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

struct OpenSaveData {
    DWORD flags = 0;
    // "Text files (*.txt)|*.txt|": '|' separates the pairs.
    std::string filter;
    std::string fileName;
    std::string defaultExtension;  // empty: none
    std::string initialFolder;
    std::string title;
};

// Runs GetOpenFileNameA (or GetSaveFileNameA with `save`) owned by `owner`;
// true with data.fileName set when the user chose a file.
using OpenSaveFunction = bool (*)(HWND owner, bool save, OpenSaveData& data);
bool RunOpenSaveDialog(HWND owner, bool save, OpenSaveData& data);
// Installs a replacement (null restores the common dialog); returns the previous one.
OpenSaveFunction SetOpenSaveFunction(OpenSaveFunction function);
// The system calls under the common dialog (open, save, and the extended
// error of the last run); a test replaces them to make a run fail. The
// dialog is resizable (OFN_ENABLESIZING). A run that fails (extended error
// not 0) while an initial name was given runs once more without the name;
// Cancel (extended error 0) ends it. Null restores the system calls.
struct FileDialogCalls {
    BOOL(WINAPI* open)(OPENFILENAMEA*);
    BOOL(WINAPI* save)(OPENFILENAMEA*);
    DWORD(WINAPI* error)();
};
FileDialogCalls SetFileDialogCalls(const FileDialogCalls* calls);
// '|' -> NUL, with the double NUL at the end.
std::string FilterToMultiString(const std::string& filter);

// Runs SHBrowseForFolderA owned by `owner`, titled `title`, starting in
// `startFolder` (the current directory when empty), showing the selected
// path as status text. True with `chosen` set when a folder was chosen.
using FolderBrowseFunction = bool (*)(HWND owner, const char* title, const char* startFolder, std::string& chosen);
bool BrowseForFolder(HWND owner, const char* title, const char* startFolder, std::string& chosen);
FolderBrowseFunction SetFolderBrowseFunction(FolderBrowseFunction function);
