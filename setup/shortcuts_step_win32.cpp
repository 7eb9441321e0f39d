#include "setup/shortcuts_step.h"

#include <windows.h>
#include <objbase.h>

#include <cstdint>

#include "framework/base/dir_finder.h"
#include "framework/base/dir_tree.h"
#include "framework/base/file_utils.h"
#include "framework/config/ini_record.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "setup/install_log.h"
#include "setup/install_seams.h"
#include "setup/setup_messages.h"
#include "setup/shortcuts_folders.h"
#include "setup/shortcuts_link.h"
#include "setup/shortcuts_names.h"

namespace {

constexpr uint32_t kValueSize = 1024;

// One "Product..." section of an .inf file.
struct InfItem {
    std::string exe, name, description, commandLine, iconFile, subFolder;
    std::string copyFromDir, copyFromName, copyToDir, section;
    std::string includeDirs, defLibDirs, binaryDirs;
    uint8_t addIcon = 0, fileMustExist = 0, integrate = 0;
    int32_t displayIcon = 0;
};

std::string Text(INIStream& inf, const char* key, const char* fallback)
{
    char value[kValueSize];
    value[0] = 0;
    inf.ReadValue(sizeof value, value, fallback, key);
    return value;
}

uint8_t Flag(INIStream& inf, const char* key)
{
    uint8_t value = 0;
    inf.Read(INIReadRecord(key, value, uint8_t{0}));
    return value;
}

InfItem ReadItem(INIStream& inf, const char* section, uint8_t language)
{
    inf.SetSection(section);
    InfItem item;
    item.exe = Text(inf, "Exe", "Exe");
    // The bilingual texts follow the system's language.
    item.name = GetMLTextIn(language, Text(inf, "Name", "Name").c_str());
    item.description = GetMLTextIn(language, Text(inf, "Description", "").c_str());
    item.subFolder = GetMLTextIn(language, Text(inf, "SubFolder", "").c_str());
    item.commandLine = Text(inf, "CommandLine", "");
    item.iconFile = Text(inf, "IconFile", "");
    item.copyFromDir = Text(inf, "CopyFromDir", "");
    item.copyFromName = Text(inf, "CopyFromName", "");
    item.copyToDir = Text(inf, "CopyToDir", "");
    item.section = Text(inf, "Section", "");
    item.includeDirs = Text(inf, "IncludeDirs", "");
    item.defLibDirs = Text(inf, "DefLibDirs", "");
    item.binaryDirs = Text(inf, "BinaryDirs", "");
    item.addIcon = Flag(inf, "AddIcon");
    item.fileMustExist = Flag(inf, "FileMustExist");
    item.integrate = Flag(inf, "Integrate");
    uint32_t priority = 0;
    inf.Read(INIReadRecord("DisplayIcon", priority, uint32_t{0}));
    item.displayIcon = static_cast<int32_t>(priority);
    return item;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ShortcutMaker {
public:
    ShortcutMaker(ShortcutJob& job, std::string group)
        : job_(job), group_(std::move(group)), language_(ItemLanguage(job.noRussian))
    {
        link_.log = job.log;
        link_.targetDir = job.targetDir;
        link_.productName = job.productName;
        link_.language = language_;
    }

    void ReadInfFile(const char* path)
    {
        INIStream inf(INI_READ_ONLY, path);
        for (INISectionIterator it("Product", inf); it.Current(); it.Next()) {
            const InfItem item = ReadItem(inf, it.Current(), language_);
            if (item.integrate) ++integrating_;
            MakeItem(item);
            if (!item.section.empty()) WriteInstallIni(item);
        }
    }

    void MakeIntegrationShortcut()
    {
        if (integrating_ <= 1) return;
        LinkRequest request;
        request.folder = group_;
        request.name = job_.productName;
        request.target = job_.targetDir + "\\integrat.exe";
        request.workingDir = job_.targetDir;
        CreateLink(link_, request);
        iconPath_ = request.target;
        const std::string ini = job_.targetDir + "\\integrat.ini";
        Record(ini);
        INIStream stream(0, ini.c_str());
        stream.SelectSection("Options").SetValue(job_.productName.c_str(), "Name");
        stream.Save();
    }

    std::string IconPath() const { return iconPath_; }

private:
    void Refuse(const std::string& reason) { ShowMessageById(SETUP_MSG_SHORTCUT, reason.c_str()); }

    void Record(const std::string& path)
    {
        if (job_.log) job_.log->AddFile(path.c_str());
    }

    // The program file, or empty (refused) for a relative one that leaves
    // TARGETDIR.
    bool ProgramFile(const InfItem& item, std::string& program)
    {
        if (!item.exe.empty() && item.exe[0] == '!') {
            program = item.exe.substr(1);
            return true;
        }
        std::string reason;
        if (!IsSafeRelativePath(item.exe.c_str(), reason)) {
            Refuse(reason);
            return false;
        }
        program = job_.targetDir + "\\" + item.exe;
        return true;
    }

    void CopyBeside(const InfItem& item, const std::string& program)
    {
        const std::string source = job_.setupFolder + "\\" + item.copyFromDir + "\\" + item.copyFromName;
        if (!Exists(source)) return;
        std::string reason;
        if (!IsPlainFileName(item.copyFromName.c_str(), reason)) return Refuse(reason);
        std::string destination = program;
        if (!item.copyToDir.empty()) {
            if (!IsSafeRelativePath(item.copyToDir.c_str(), reason)) return Refuse(reason);
            const std::string folder = job_.targetDir + "\\" + item.copyToDir;
            // Recorded before it is made, so that the log lists it.
            if (!Exists(folder)) Record(folder);
            MakeDirPath(folder.c_str());
            destination = folder + "\\" + item.copyFromName;
        }
        Record(destination);
        // An existing file is kept: the product's own copy wins.
        CopyFileA(source.c_str(), destination.c_str(), TRUE);
    }

    void MakeItem(const InfItem& item)
    {
        std::string program;
        if (!ProgramFile(item, program)) return;
        if (!item.copyFromDir.empty()) CopyBeside(item, program);
        if (item.fileMustExist && !Exists(program)) return;
        if (item.displayIcon > 0 && item.displayIcon > iconPriority_) {
            iconPriority_ = item.displayIcon;
            iconPath_ = program;
        }
        if (!item.addIcon) return;
        std::string reason;
        if (!item.iconFile.empty() && !IsSafeRelativePath(item.iconFile.c_str(), reason)) return Refuse(reason);
        std::string folder = group_;
        if (!item.subFolder.empty()) {
            if (!IsPlainFileName(item.subFolder.c_str(), reason)) return Refuse(reason);
            folder += "\\" + item.subFolder;
            if (!Exists(folder)) Record(folder);
            if (!MakeDirPath(folder.c_str())) {
                ShowMessageById(SETUP_MSG_CREATE_FOLDER, folder.c_str());
                return;
            }
        }
        LinkRequest request;
        request.folder = folder;
        request.name = item.name;
        request.target = program;
        request.workingDir = job_.targetDir;
        request.arguments = item.commandLine;
        request.description = item.description;
        request.iconFile = item.iconFile;
        CreateLink(link_, request);
    }

    void WriteInstallIni(const InfItem& item)
    {
        const std::string ini = job_.targetDir + "\\install.ini";
        Record(ini);
        INIStream stream(0, ini.c_str());
        stream.SelectSection(item.section.c_str());
        if (!item.includeDirs.empty()) stream.SetValue(item.includeDirs.c_str(), "IncludeDirs");
        if (!item.defLibDirs.empty()) stream.SetValue(item.defLibDirs.c_str(), "DefLibDirs");
        if (!item.binaryDirs.empty()) stream.SetValue(item.binaryDirs.c_str(), "BinaryDirs");
        stream.Save();
    }

    ShortcutJob& job_;
    std::string group_;
    uint8_t language_;
    LinkContext link_;
    int integrating_ = 0;
    int32_t iconPriority_ = 0;
    std::string iconPath_;
};

// Initialises COM for the scope; uninitialises only what it initialised.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() { if (ok_) CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

}  // namespace

int CreateShortcuts(ShortcutJob& job)
{
    const std::string programs = ShellFolder(kCsidlCommonPrograms);
    if (programs.empty()) {
        ShowMessageById(SETUP_MSG_NO_PROGRAMS_FOLDER);
        return 2;
    }
    const std::string groupName = job.productName + " " + job.version;
    const std::string group = programs + "\\" + groupName;
    std::string reason;
    if (!IsPlainFileName(groupName.c_str(), reason)) {
        ShowMessageById(SETUP_MSG_CREATE_FOLDER, group.c_str());
        return 2;
    }
    // Recorded before it is made: once it exists the log would skip it, and
    // the uninstaller would leave the group behind.
    if (job.log && !Exists(group)) job.log->AddFile(group.c_str());
    if (!MakeDirPath(group.c_str())) {
        ShowMessageById(SETUP_MSG_CREATE_FOLDER, group.c_str());
        return 2;
    }
    {
        ComScope com;
        ShortcutMaker maker(job, group);
        const std::string mask = job.targetDir + "\\*.inf";
        for (PFileFinder finder(false, mask.c_str()); finder.Found(); finder.Next())
            maker.ReadInfFile(finder.FullPath());
        maker.MakeIntegrationShortcut();
        job.displayIcon = maker.IconPath();
    }
    OpenFolderInShell(group.c_str());
    return 1;
}
