// One archive extraction into a destination folder, with the install log's
// entries, the progress display and the error messages.
#pragma once

#include <cstdint>
#include <string>

class SetupState;

// The installation step's progress window as the extraction drives it; the
// bytes done run over every archive of the installation.
class ExtractProgress {
public:
    virtual ~ExtractProgress() = default;
    uint64_t BytesDone() const { return bytesDone_; }
    void AddBytes(uint64_t bytes)
    {
        bytesDone_ += bytes;
        SetBytesDone(bytesDone_);
    }
    // Shows the file in control 21100 and the space text in control 2000,
    // then lets the window process its messages.
    virtual void ShowStatus(const char* fileText, const char* spaceText) = 0;

protected:
    // Moves the bar.
    virtual void SetBytesDone(uint64_t bytesDone) = 0;

private:
    uint64_t bytesDone_ = 0;
};

// An entry larger than this shows its name at once, whatever the stopwatch.
constexpr uint32_t kShowAtOnceSize = 102400;
constexpr uint32_t kStatusPeriodMs = 40;

// Extracts `archive` into `destination`: 1 when every entry was extracted,
// 0 when the folder could not be made, the archive could not be read, or an
// entry failed (each failure is shown once). `archive` is a full path (a
// drive or a UNC path), else a name: <program folder>\<name>.rar.
int ExtractArchive(SetupState& state, const char* archive, const char* destination);

// The archive path that ExtractArchive opens for `archive`.
std::string ArchivePathFor(const SetupState& state, const char* archive);
// The text of an archive library result: 12-19 named, others "Error %u".
std::string ArchiveErrorText(uint32_t code);
// The progress texts: "Drive space used: %s Bytes" with thousands
// separators, in the setup's language.
std::string DriveSpaceText(uint64_t bytesDone);
