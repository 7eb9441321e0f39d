// The stand-in archive library's four exports over the portable reader.
// Names go out as stored (OEM); the destination folder comes in OEM and is
// turned to ANSI for the file calls. Entries with unsafe names are never
// written. No exception leaves an export.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "setup/archive_api.h"
#include "sim/setup/unrar/rar4_reader.h"

namespace {

struct Archive {
    rar4::Reader reader;
    rar4::Entry current;
    bool haveCurrent = false;
    bool currentCut = false;  // the name did not fit the header record
    std::string arcName;
};

std::string FromOem(const char* text)
{
    std::string out(text ? text : "");
    if (!out.empty()) OemToCharA(out.c_str(), out.data());
    return out;
}

void CopyText(char* to, size_t size, const std::string& text, bool& cut)
{
    const size_t n = text.size() < size ? text.size() : size - 1;
    cut = n < text.size();
    text.copy(to, n);
    to[n] = '\0';
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Makes every missing folder of `path` (which is itself a folder).
bool MakeFolders(const std::string& path)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && !IsSeparator(path[at])) continue;
        const std::string level = path.substr(0, at);
        if (level.size() == 2 && level[1] == ':') continue;
        const DWORD attributes = GetFileAttributesA(level.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
            continue;
        }
        if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

int WriteEntry(const std::string& target, const uint8_t* data, size_t size)
{
    const size_t slash = target.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && !MakeFolders(target.substr(0, slash))) return rar4::kCreateError;
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesA(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return rar4::kCreateError;
    size_t done = 0;
    bool ok = true;
    while (ok && done < size) {
        const DWORD chunk = static_cast<DWORD>(size - done < (1u << 20) ? size - done : (1u << 20));
        DWORD written = 0;
        ok = WriteFile(file, data + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    const bool closed = CloseHandle(file);
    if (!ok) {
        // A short file is worse than none.
        DeleteFileA(target.c_str());
        return rar4::kWriteError;
    }
    return closed ? rar4::kOk : rar4::kCloseError;
}

int Process(Archive& archive, int operation, const char* destPath, const char* destName)
{
    if (!archive.haveCurrent) return rar4::kBadArchive;
    archive.haveCurrent = false;
    const rar4::Entry& entry = archive.current;
    if (operation == RAR_SKIP) return rar4::kOk;
    if (operation != RAR_TEST && operation != RAR_EXTRACT) return rar4::kUnknownFormat;
    if (operation == RAR_EXTRACT && (archive.currentCut || !entry.HasSafeName())) return rar4::kCreateError;
    if (entry.IsDirectory()) {
        if (operation == RAR_TEST) return rar4::kOk;
        std::string target = destName ? FromOem(destName) : FromOem(destPath);
        if (!destName) target += (target.empty() ? "" : "\\") + FromOem(entry.name.c_str());
        return MakeFolders(target) ? rar4::kOk : rar4::kCreateError;
    }
    const uint8_t* data = nullptr;
    size_t size = 0;
    const int checked = archive.reader.Data(entry, data, size);
    if (checked != rar4::kOk || operation == RAR_TEST) return checked;
    std::string target = destName ? FromOem(destName) : FromOem(destPath);
    if (!destName) target += (target.empty() || IsSeparator(target.back()) ? "" : "\\") + FromOem(entry.name.c_str());
    return WriteEntry(target, data, size);
}

}  // namespace

extern "C" {

HANDLE WINAPI RAROpenArchive(RAROpenArchiveData* archiveData)
{
    if (!archiveData) return nullptr;
    archiveData->CmtSize = 0;
    archiveData->CmtState = 0;
    if (!archiveData->ArcName) {
        archiveData->OpenResult = rar4::kOpenError;
        return nullptr;
    }
    try {
        std::vector<uint8_t> bytes;
        int result = rar4::ReadWholeFile(archiveData->ArcName, bytes);
        auto* archive = result == rar4::kOk ? new Archive : nullptr;
        if (archive) {
            result = archive->reader.Open(std::move(bytes));
            archive->arcName = archiveData->ArcName;
        }
        if (result != rar4::kOk) {
            delete archive;
            archive = nullptr;
        }
        archiveData->OpenResult = static_cast<UINT>(result);
        return archive;
    } catch (...) {
        archiveData->OpenResult = rar4::kNoMemory;
        return nullptr;
    }
}

int WINAPI RARCloseArchive(HANDLE handle)
{
    if (!handle) return rar4::kCloseError;
    delete static_cast<Archive*>(handle);
    return rar4::kOk;
}

int WINAPI RARReadHeader(HANDLE handle, RARHeaderData* headerData)
{
    if (!handle || !headerData) return rar4::kBadArchive;
    auto& archive = *static_cast<Archive*>(handle);
    archive.haveCurrent = false;
    try {
        rar4::Entry entry;
        const int result = archive.reader.Next(entry);
        if (result != rar4::kOk) return result;
        bool cut = false;
        CopyText(headerData->ArcName, sizeof headerData->ArcName, archive.arcName, cut);
        CopyText(headerData->FileName, sizeof headerData->FileName, entry.name, archive.currentCut);
        headerData->Flags = entry.flags;
        headerData->PackSize = static_cast<UINT>(entry.packSize);
        headerData->UnpSize = static_cast<UINT>(entry.unpackSize);
        headerData->HostOS = entry.hostOS;
        headerData->FileCRC = entry.fileCrc;
        headerData->FileTime = entry.fileTime;
        headerData->UnpVer = entry.unpackVersion;
        headerData->Method = entry.method;
        headerData->FileAttr = entry.attributes;
        headerData->CmtSize = 0;
        headerData->CmtState = 0;
        archive.current = std::move(entry);
        archive.haveCurrent = true;
        return rar4::kOk;
    } catch (...) {
        return rar4::kNoMemory;
    }
}

int WINAPI RARProcessFile(HANDLE handle, int operation, char* destPath, char* destName)
{
    if (!handle) return rar4::kBadArchive;
    try {
        return Process(*static_cast<Archive*>(handle), operation, destPath, destName);
    } catch (...) {
        return rar4::kNoMemory;
    }
}

}  // extern "C"
