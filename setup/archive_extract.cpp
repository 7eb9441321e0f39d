#include "setup/archive_extract.h"

#include <vector>

#include "framework/base/dir_tree.h"
#include "framework/base/sstr.h"
#include "framework/base/text_utils.h"
#include "framework/base/timer.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "setup/archive_handle.h"
#include "setup/archive_names.h"
#include "setup/install_log.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

std::vector<char> Buffer(const std::string& text) { return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1); }

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ShowProgress(ExtractProgress& progress, PTickTimer& stopwatch, const char* destination, const std::string& name,
                  uint32_t size)
{
    progress.AddBytes(size);
    const bool due = stopwatch.Expired();
    if (!due && size <= kShowAtOnceSize) return;
    const sstr file = sstr::Format("%s\\%s", destination, name.c_str());
    progress.ShowStatus(file.c_str(), DriveSpaceText(progress.BytesDone()).c_str());
    Sleep(0);
}

}  // namespace

std::string ArchivePathFor(const SetupState& state, const char* archive)
{
    const std::string name(archive ? archive : "");
    const bool drivePath = name.size() >= 2 && name[1] == ':';
    const bool uncPath = name.size() >= 2 && name[0] == '\\' && name[1] == '\\';
    if (drivePath || uncPath) return name;
    return state.programFolder + "\\" + name + ".rar";
}

std::string ArchiveErrorText(uint32_t code)
{
    switch (code) {
    case ERAR_BAD_DATA: return "File CRC error";
    case ERAR_BAD_ARCHIVE: return "Volume is not valid RAR archive";
    case ERAR_UNKNOWN_FORMAT: return "Unknown archive format";
    case ERAR_EOPEN: return "Volume open error";
    case ERAR_ECREATE: return "File create error";
    case ERAR_ECLOSE: return "File close error";
    case ERAR_EREAD: return "Read error";
    case ERAR_EWRITE: return "Write error";
    default: return sstr::Format("Error %u", code).c_str();
    }
}

std::string DriveSpaceText(uint64_t bytesDone)
{
    char digits[40];
    FormatThousands64(digits, bytesDone);
    return sstr::Format(GetMLText("Drive space used: %s Bytes|\310\361\357\356\353\374\347\356\342\340\355\356 "
                                  "\354\345\361\362\340 \355\340 \344\350\361\352\345: %s \301\340\351\362"),
                        digits)
        .c_str();
}

int ExtractArchive(SetupState& state, const char* archive, const char* destination)
{
    const std::string path = ArchivePathFor(state, archive);
    LogPrintf("Opening archive: '%s', dest dir: '%s'\n", path.c_str(), destination);
    if (!MakeDirPath(destination)) {
        ShowMessageById(SETUP_MSG_CREATE_DESTINATION, destination);
        return 0;
    }
    std::vector<char> arcName = Buffer(path);
    RAROpenArchiveData openData{};
    openData.ArcName = arcName.data();
    openData.OpenMode = RAR_OM_EXTRACT;
    ArchiveHandle handle(RAROpenArchive(&openData));
    if (!handle.Get() || openData.OpenResult != 0) {
        ShowMessageById(SETUP_MSG_OPEN_ARCHIVE, path.c_str());
        return 0;
    }
    LogPrintf("Unpacking archive: '%s'\n", path.c_str());
    std::vector<char> oemDestination = Buffer(ToOemCopy(destination).c_str());
    PTickTimer stopwatch(kStatusPeriodMs);
    for (;;) {
        RARHeaderData header{};
        const int read = RARReadHeader(handle.Get(), &header);
        if (read == ERAR_END_ARCHIVE) break;
        if (read != 0) {
            // Any other answer leaves the archive position unknown: reading
            // on could loop, so it is a damaged header.
            ShowMessageById(SETUP_MSG_ARCHIVE_DAMAGED, path.c_str());
            return 0;
        }
        header.FileName[sizeof header.FileName - 1] = '\0';
        const std::string name = ArchiveNameFromOem(header.FileName);
        const std::string target = std::string(destination) + "\\" + name;
        if (!IsSafeEntryName(name.c_str()) || target.size() >= MAX_PATH) {
            ShowMessageById(SETUP_MSG_EXTRACT_FILE, name.c_str(), "unsafe file name");
            return 0;
        }
        if (state.progress) ShowProgress(*state.progress, stopwatch, destination, name, header.UnpSize);
        if (state.installLog) state.installLog->AddFile(target.c_str());
        const int result = RARProcessFile(handle.Get(), RAR_EXTRACT, oemDestination.data(), nullptr);
        if (result != 0) {
            // The component is incomplete: the installation cannot go on.
            ShowMessageById(SETUP_MSG_EXTRACT_FILE, target.c_str(), ArchiveErrorText(result).c_str());
            return 0;
        }
        if (!PathExists(target)) {
            ShowMessageById(SETUP_MSG_EXTRACT_MISSING, target.c_str());
            return 0;
        }
        LogPrintf("  Unpacked: '%s'\n", target.c_str());
    }
    LogPrintf("Unpacking Ok\n");
    return 1;
}
