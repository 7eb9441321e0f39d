// Setup.log: what the setup created, for the uninstaller: every extracted
// file with the folders above it that did not exist, the registry keys the
// setup created and the values it wrote (layout: install_log_format.h).
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include <windows.h>

class INIStream;

class InstallLog {
public:
    // Starts empty: an existing file of that name is replaced when the log
    // is saved, so entries of an earlier install never survive.
    explicit InstallLog(const char* path);
    ~InstallLog();
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    // Records a file (or a folder about to be made) and, before it, each
    // folder above it that neither exists nor was recorded. An existing
    // folder records nothing. Paths compare without regard to case, and
    // "/" counts as "\".
    void AddFile(const char* path);
    void AddRegistryKey(bool forced, const char* keyName, const char* parentPath, HKEY root);
    void AddRegistryValue(const char* valueName, const char* keyPath, HKEY root);

    // The log's INI content, for the sections that the installation step
    // writes itself ([Setup], [IDE Features]).
    INIStream& Stream() { return *stream_; }
    const std::string& Path() const { return path_; }

    // Writes the whole log to a temporary file beside it and moves that over
    // the log, so that the log on disk is either the old or the new one,
    // never a short one. False (with the system error kept) when it fails.
    bool Save();
    // Save, and message 2012 with the path when it fails.
    bool SaveOrReport();

private:
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    bool Record(const std::string& path);

    std::string path_;
    std::unique_ptr<INIStream> stream_;
    uint32_t files_ = 0;
    uint32_t keys_ = 0;
    uint32_t values_ = 0;
    std::set<std::string, NoCase> recorded_;
};
