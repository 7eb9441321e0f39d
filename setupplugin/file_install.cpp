#include "setupplugin/file_install.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/base/dir_tree.h"
#include "framework/base/message.h"
#include "framework/base/path.h"
#include "framework/config/ini_stream.h"
#include "setupplugin/plugin_state.h"
#include "setupplugin/plugin_texts.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

struct FileEntry {
    std::string name;
    std::string dest;
    std::string subFolder;
};

// Every entry of the list, or false (with its box shown) at the first
// hostile one: nothing of a list with such an entry is copied.
bool ReadEntries(const char* section, uint32_t version, std::vector<FileEntry>& entries)
{
    INIStream* list = Plugin()->fileList.get();
    INIStream* files = list ? list->GetSubStream(false, section) : nullptr;
    if (!files) return true;  // a missing list copies nothing
    for (const auto& item : files->Sections()) {
        FileEntry entry;
        entry.name = item->Name();
        files->SetSection(entry.name.c_str());
        // Whole values: a cut one could name another folder.
        const char* dest = files->FindValue("Dest");
        const char* subFolder = files->FindValue("SubFolder");
        entry.dest = dest ? dest : "";
        entry.subFolder = subFolder ? subFolder : "";
        if (!IsPlainFileName(entry.name.c_str()) || !IsFolderBelow(entry.dest.c_str()) ||
            !IsFolderBelow(entry.subFolder.c_str())) {
            DoMessage("sf", kTextBadEntry, entry.name.c_str(), section, version);
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

bool CopyEntry(const FileEntry& entry, const char* folder, uint32_t version)
{
    PPath target = JoinPath(folder, entry.dest.c_str());
    if (target.IsTooLong() || !target.IsDirectory()) {
        DoMessage("sf", kTextDestMissing, entry.dest.c_str(), version);
        return false;
    }
    if (!entry.subFolder.empty()) {
        target = JoinPath(target.Text(), entry.subFolder.c_str());
        if (target.IsTooLong() || MakeDirPath(target.Text()) == 0) {
            DoMessage("sf", kTextCannotCreate, target.Text());
            return false;
        }
    }
    std::string source = Plugin()->folder + entry.name;
    PPath file = JoinPath(target.Text(), entry.name.c_str());
    if (file.IsTooLong() || !CopyFileA(source.c_str(), file.Text(), FALSE)) {
        DoMessage("sf", kTextCannotCopy, source.c_str(), file.IsTooLong() ? target.Text() : file.Text());
        return false;
    }
    return true;
}

}  // namespace

bool IsPlainFileName(const char* name)
{
    if (!name || !*name) return false;
    if (strstr(name, "..")) return false;
    return !strpbrk(name, "\\/:");
}

bool IsFolderBelow(const char* path)
{
    if (!path) return false;
    if (IsSeparator(path[0]) || strchr(path, ':')) return false;
    // Each level between separators.
    const char* level = path;
    for (;;) {
        size_t n = strcspn(level, "\\/");
        if (n == 2 && level[0] == '.' && level[1] == '.') return false;
        if (!level[n]) return true;
        level += n + 1;
    }
}

bool InstallFileList(const char* section, const char* folder, uint32_t version)
{
    if (!PPath(folder).IsDirectory()) {
        DoMessage("sf", kTextFolderMissing, version);
        return false;
    }
    std::vector<FileEntry> entries;
    if (!ReadEntries(section, version, entries)) return false;
    for (const FileEntry& entry : entries)
        if (!CopyEntry(entry, folder, version)) return false;
    return true;
}

bool WriteHelpSetting(const char* targetDir)
{
    PluginState& plugin = *Plugin();
    std::string settings = plugin.folder + plugin.debuggerName + ".ini";
    char help[kPathSize];
    if (!JoinPath(help, sizeof help, targetDir ? targetDir : "", (plugin.debuggerName + ".chm").c_str())) return false;
    INIStream stream(0, settings.c_str());
    stream.SelectSection("Options");
    stream.SetValue(help, "HelpFile");
    return stream.Save();
}
