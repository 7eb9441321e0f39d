#include "setup/install_log.h"

#include <cstdio>

#include "framework/base/text_utils.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/message.h"
#include "setup/install_log_format.h"
#include "setup/setup_messages.h"

namespace {

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where the folder levels of a path start: after "X:\" for a drive, after
// "\\server\share\" for a UNC path (server and share are never made).
size_t FirstLevel(const std::string& path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t at = 2;
        for (int part = 0; part < 2; ++part) {
            while (at < path.size() && !IsSeparator(path[at])) ++at;
            while (at < path.size() && IsSeparator(path[at])) ++at;
        }
        return at;
    }
    size_t at = (path.size() >= 2 && path[1] == ':') ? 2 : 0;
    while (at < path.size() && IsSeparator(path[at])) ++at;
    return at;
}

}  // namespace

bool InstallLog::NoCase::operator()(const std::string& a, const std::string& b) const
{
    return CompareNoCase(a.c_str(), b.c_str()) < 0;
}

InstallLog::InstallLog(const char* path) : path_(path ? path : ""), stream_(std::make_unique<INIStream>()) {}

InstallLog::~InstallLog() = default;

bool InstallLog::Record(const std::string& path)
{
    if (!recorded_.insert(path).second) return false;
    char key[16];
    std::snprintf(key, sizeof key, "%s%u", kLogFilePrefix, files_++);
    stream_->SelectSection(kLogFilesSection).SetValue(path.c_str(), key);
    return true;
}

void InstallLog::AddFile(const char* path)
{
    if (!path || !*path) return;
    std::string full(path);
    for (char& c : full) {
        if (c == '/') c = '\\';
    }
    while (full.size() > 1 && full.back() == '\\') full.pop_back();
    if (IsFolder(full)) return;
    for (size_t at = FirstLevel(full); at < full.size(); ++at) {
        if (full[at] != '\\' || full[at - 1] == '\\') continue;
        const std::string folder = full.substr(0, at);
        if (recorded_.count(folder) || IsFolder(folder)) continue;
        Record(folder);
    }
    Record(full);
}

void InstallLog::AddRegistryKey(bool forced, const char* keyName, const char* parentPath, HKEY root)
{
    char key[16];
    std::snprintf(key, sizeof key, "%s%u", forced ? kLogForcedKeyPrefix : kLogKeyPrefix, keys_++);
    stream_->SelectSection(kLogKeysSection).SetValue(FormatLogKeyEntry(root, parentPath, keyName).c_str(), key);
}

void InstallLog::AddRegistryValue(const char* valueName, const char* keyPath, HKEY root)
{
    char key[16];
    std::snprintf(key, sizeof key, "%s%u", kLogValuePrefix, values_++);
    stream_->SelectSection(kLogValuesSection).SetValue(FormatLogValueEntry(root, keyPath, valueName).c_str(), key);
}

bool InstallLog::Save()
{
    if (path_.empty() || !stream_->SaveToMemory(4096)) return false;
    const MemoryArray& memory = stream_->Memory();
    const std::string temporary = path_ + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < memory.used) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(memory.used - done, 1u << 20));
        ok = WriteFile(file, memory.bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    ok = ok && FlushFileBuffers(file);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (ok && MoveFileExA(temporary.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    const DWORD moveError = ok ? GetLastError() : error;
    DeleteFileA(temporary.c_str());
    SetLastError(moveError);
    return false;
}

bool InstallLog::SaveOrReport()
{
    if (Save()) return true;
    DoMessage("em", SETUP_MSG_LOG_NOT_WRITTEN, path_.c_str());
    return false;
}
