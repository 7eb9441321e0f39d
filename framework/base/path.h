// The path object: an ANSI code-page path of at most 519 characters with its
// drive, directory, name and extension parts.
//
// A path that does not fit is rejected (the object is left empty and
// IsTooLong() is true), never cut: a cut path could name another file.
#pragma once

#include <cstdint>

constexpr uint32_t kPathSize = 520;

class PPath {
public:
    PPath() = default;
    explicit PPath(const char* text);
    // Absolute form of a relative path (GetFullPathNameA).
    enum FullTag { kFull };
    PPath(FullTag, const char* relative);
    // A shell folder (SHGetFolderPathA, CSIDL value).
    enum FolderTag { kShellFolder };
    PPath(FolderTag, int csidl);

    // Splits the text into its parts, then removes one trailing "\" or "/".
    // False (and an empty path) when the text is too long.
    bool Set(const char* text);

    const char* Text() const { return path_; }
    bool IsEmpty() const { return path_[0] == 0; }
    bool IsTooLong() const { return tooLong_; }
    const char* Drive() const { return drive_; }  // "C:" or ""
    const char* Dir() const { return dir_; }      // "\dir\" or ""
    const char* Name() const { return name_; }
    const char* Ext() const { return ext_; }      // without the dot

    PPath GetDir() const;      // drive and directory
    PPath GetNameExt() const;  // name and extension
    PPath ChangedExt(const char* ext) const;
    void ChangeExt(const char* ext);
    // The same file name in another folder.
    PPath InFolder(const char* folder) const;
    void MoveToFolder(const char* folder);
    // Another name in the same folder, keeping this path's extension.
    PPath WithName(const char* name) const;
    void Rename(const char* name);
    // Appends a name, always putting "\" first.
    PPath& Append(const char* name);

    // Equal regardless of case after one trailing separator is removed from
    // a copy of `text`; a null text is not equal.
    bool Equals(const char* text) const;
    bool Greater(const char* text) const;

    bool Exists() const;       // FileExists with drive roots accepted
    bool IsDirectory() const;  // false for wildcards; "X:" and "X:\" by drive type
    bool IsFile() const;       // exists, not a directory, name not empty
    // Empty or missing: 0; a file: 1 when removed; a directory: its tree.
    int Delete() const;

    bool MakeAbsolute();
    bool MakeShort();  // GetShortPathNameA; unchanged when that fails

    static PPath CurrentDir();
    static PPath ProgramFolder();  // folder of the module this code is in
    static PPath TempFolder();

private:
    friend PPath JoinPath(const char* dir, const char* name);
    void Split();
    void SetTooLong();
    char path_[kPathSize] = {};
    char drive_[3] = {};
    char dir_[kPathSize] = {};
    char name_[kPathSize] = {};
    char ext_[kPathSize] = {};
    bool tooLong_ = false;
};

// dir + "\" + name; one leading "\" or "/" of the name is dropped and no "\"
// is put after an empty folder. False (out empty) when the result does not
// fit in `size`.
bool JoinPath(char* out, uint32_t size, const char* dir, const char* name);
PPath JoinPath(const char* dir, const char* name);
