// The destination folder as the folder page takes it from the user.
#pragma once

#include <string>

// One trailing "\" or "/" removed, unless the character before it is ":"
// (a drive root keeps its backslash).
std::string NormalizeTargetFolder(const std::string& folder);
// A drive with its root ("C:\", "C:/") or a network path ("\\server\x"):
// a folder that means the same whatever the current folder is.
bool IsAbsoluteFolder(const std::string& folder);
// True when the folder exists and holds any file or sub-folder.
bool FolderHasContent(const std::string& folder);

// What the page does with the edit's text on Next.
enum class FolderVerdict {
    Accept,      // the page ends
    Empty,       // message 2006
    NotAbsolute, // refused with its message
    AskReplace,  // the "already exists" question
};
// Normalises `folder` in place and says what is to be done with it.
FolderVerdict CheckTargetFolder(std::string& folder);
