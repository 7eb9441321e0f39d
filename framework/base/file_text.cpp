#include "framework/base/file_text.h"

#include <windows.h>

#include <cerrno>
#include <new>
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/base/sys_error.h"
#include "framework/base/text_utils.h"
#include "framework/base/message.h"
#include "framework/base/ml_text.h"

namespace {

unsigned SystemDriveType(const char* root) { return GetDriveTypeA(root); }
PTextFile::DriveTypeSource g_driveType = SystemDriveType;

bool ModeReads(const char* mode)
{
    const char* r = strchr(mode, 'r');
    return r && r[1] != '+';
}

bool OnNetworkDrive(const char* name)
{
    char root[4] = {0, ':', '\\', 0};
    if (name[0] && name[1] == ':') {
        root[0] = name[0];
    } else {
        char current[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
        if (n < 2 || n >= MAX_PATH || current[1] != ':') return false;
        root[0] = current[0];
    }
    return g_driveType(root) == DRIVE_REMOTE;
}

// Modes that need the file's old contents: reading, appending, "r+".
bool ModeNeedsContents(const char* mode) { return strchr(mode, 'r') || strchr(mode, 'a'); }
bool ModeWrites(const char* mode) { return strchr(mode, 'w') || strchr(mode, 'a') || strchr(mode, '+'); }

}  // namespace

PTextFile::PTextFile(bool tempCopy, const char* extra, bool quiet, const char* mode, const char* name)
    : name_(name ? name : ""), mode_(mode ? mode : "r"), extra_(extra ? extra : ""), quiet_(quiet)
{
    if (name_.empty()) {
        errno = ENOENT;
        ReportFailure(ModeReads(mode_.c_str()));
        return;
    }
    if (tempCopy && OnNetworkDrive(name_.c_str())) {
        temp_ = new (std::nothrow) TempFile(true);
        bool ready = temp_ && !temp_->Path().IsEmpty();
        // The working copy starts as the named file, so reading and
        // appending see what is there; a missing file starts empty.
        if (ready && ModeNeedsContents(mode_.c_str())) {
            if (GetFileAttributesA(name_.c_str()) != INVALID_FILE_ATTRIBUTES)
                ready = CopyFileA(name_.c_str(), temp_->Text(), FALSE) != 0;
            else if (strchr(mode_.c_str(), 'r'))
                ready = false;  // nothing to read: the named file's own open fails and says so
        }
        if (ready) stream_ = fopen(temp_->Text(), mode_.c_str());
        if (!stream_) {
            delete temp_;
            temp_ = nullptr;
        } else {
            writesBack_ = ModeWrites(mode_.c_str());
        }
    }
    if (!stream_) stream_ = fopen(name_.c_str(), mode_.c_str());
    if (!stream_) ReportFailure(ModeReads(mode_.c_str()));
}

void PTextFile::SetDriveTypeSource(DriveTypeSource source) { g_driveType = source ? source : SystemDriveType; }

PTextFile::~PTextFile() { Close(); }

void PTextFile::ReportFailure(bool reading, const char* kept)
{
    if (quiet_) return;
#if !defined(FW_FLAVOUR_OUTRIG)
    const char* why = strerror(errno);  // before anything below can change errno
#endif
    sstr message = sstr::Format(g_fwHooks.fileErrorText(reading), name_.c_str());
#if defined(FW_FLAVOUR_OUTRIG)
    message.Append(": ");
    message.Append(GetLastErrorString());
#else
    message.Append(": ");
    message.Append(why && *why ? why : "Unknown error");
#endif
    char* text = message.Buffer();
    size_t n = text ? strlen(text) : 0;
    if (n > 0 && text[n - 1] == '\n') text[n - 1] = 0;
    if (!extra_.empty()) {
        message.Append("\n");
        message.Append(extra_.c_str());
    }
    if (kept) {
        // Name the copy that still holds what the caller wrote.
        message.Append("\n");
        message.Append(sstr::Format(GetMLText("Working copy kept: '%s'|\xD0\xE0\xE1\xEE\xF7\xE0\xFF \xEA\xEE\xEF\xE8\xFF "
                                              "\xF1\xEE\xF5\xF0\xE0\xED\xE5\xED\xE0: '%s'"),
                                    kept));
    }
    // The composed text holds a file name: it is an argument, never a format.
    DoMessage("sf", "%s", message.c_str());
}

bool PTextFile::ReadLine(uint32_t size, char* buffer)
{
    if (!stream_ || !buffer || size == 0) return false;
    if (!fgets(buffer, static_cast<int>(size), stream_)) return false;
    char* lf = strchr(buffer, '\n');
    if (lf) *lf = 0;
    ++lines_;
    return true;
}

bool PTextFile::Close()
{
    if (!stream_) return true;
    fclose(stream_);
    stream_ = nullptr;
    if (!temp_) return true;
    bool ok = true;
    if (writesBack_) {
        ok = CopyFileA(temp_->Text(), name_.c_str(), FALSE) != 0;
        if (!ok) {
            // Keep the working copy: it holds what the caller wrote.
            temp_->SetDelete(false);
            errno = EIO;
            ReportFailure(false, temp_->Text());
        }
    }
    delete temp_;
    temp_ = nullptr;
    return ok;
}

PTextFileLines::PTextFileLines(bool keepBlank, const char* name)
{
    PTextFile file(false, nullptr, true, "rt", name);
    if (!file.IsOpen()) return;
    open_ = true;
    std::vector<char> buffer(32761);
    while (file.ReadLine(static_cast<uint32_t>(buffer.size()), buffer.data())) {
        const char* p = SkipBlanks(buffer.data());
        if (*p || keepBlank) lines_.push_back({buffer.data(), file.LinesRead() - 1});
    }
    linesRead_ = file.LinesRead();
}
