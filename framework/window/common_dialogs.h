// The common file dialog and the shell's folder browser, each behind a
// replaceable function so that tests answer for the user.
#pragma once

#include <windows.h>

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
// '|' -> NUL, with the double NUL at the end.
std::string FilterToMultiString(const std::string& filter);

// Runs SHBrowseForFolderA owned by `owner`, titled `title`, starting in
// `startFolder` (the current directory when empty), showing the selected
// path as status text. True with `chosen` set when a folder was chosen.
using FolderBrowseFunction = bool (*)(HWND owner, const char* title, const char* startFolder, std::string& chosen);
bool BrowseForFolder(HWND owner, const char* title, const char* startFolder, std::string& chosen);
FolderBrowseFunction SetFolderBrowseFunction(FolderBrowseFunction function);
