#include "setup/command_line.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/base/message.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

using OptionHandler = bool (*)(SetupState& state, const char* rest, const char* argument);

bool Unattended(SetupState& state, const char*, const char*)
{
    state.unattended = true;
    return true;
}

bool Logging(SetupState& state, const char*, const char*)
{
    state.logging = true;
    return true;
}

bool TargetFolder(SetupState& state, const char* rest, const char* argument)
{
    std::string folder;
    if (!AbsoluteTargetDir(rest, folder)) {
        DoMessage("s",
                  "The destination folder of '%s' is empty, too long or not a valid path|"
                  "\317\340\357\352\340 \363\361\362\340\355\356\342\352\350 \342 '%s' \355\345 \347\340\344\340\355\340, \361\353\350\370\352\356\354 \344\353\350\355\355\340\377 \350\353\350 \355\345\344\356\357\363\361\362\350\354\340\377",
                  argument);
        return false;
    }
    state.targetDir = folder;
    state.targetDirGiven = true;
    return true;
}

struct Option {
    const char* name;
    OptionHandler handler;
};

constexpr Option kOptions[] = {{"Y", &Unattended}, {"B", &TargetFolder}, {"L", &Logging}};

bool HandleOption(SetupState& state, const char* argument)
{
    const char* text = argument + 1;
    for (const Option& option : kOptions) {
        const size_t length = strlen(option.name);
        if (_strnicmp(text, option.name, length) == 0) return option.handler(state, text + length, argument);
    }
    ShowMessageById(SETUP_MSG_UNKNOWN_OPTION, argument);
    return false;
}

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

// One line without its line end and trailing blanks; false at the end of
// the file. `tooLong` is set for a line over kTargetDirMax characters. What
// is kept of a line is bounded, so a file without line ends cannot take the
// memory.
bool ReadLine(FILE* file, std::string& line, bool& tooLong)
{
    constexpr size_t kKept = 4096;
    line.clear();
    tooLong = false;
    int c = fgetc(file);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = fgetc(file)) {
        if (line.size() >= kKept) {
            tooLong = true;
            continue;
        }
        line.push_back(static_cast<char>(c));
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    tooLong = tooLong || line.size() > kTargetDirMax;
    return true;
}

bool HandleResponseFile(SetupState& state, const char* name, int depth)
{
    if (depth >= kResponseFileDepth) {
        DoMessage("s",
                  "Response file \"%s\" is nested too deep (a file that names itself?)|"
                  "\324\340\351\353 \356\362\342\345\362\356\342 \"%s\" \342\353\356\346\345\355 \361\353\350\370\352\356\354 \343\353\363\341\356\352\356 (\364\340\351\353 \361\361\373\353\340\345\362\361\377 \361\340\354 \355\340 \361\345\341\377?)",
                  name);
        return false;
    }
    std::unique_ptr<FILE, FileCloser> file(fopen(name, "rt"));
    if (!file) {
        DoMessage("s", "Unable to open response file \"%s\"", name);
        return false;
    }
    std::string line;
    bool tooLong = false;
    while (ReadLine(file.get(), line, tooLong)) {
        if (tooLong) {
            DoMessage("s",
                      "A line of response file \"%s\" is too long|"
                      "\321\362\360\356\352\340 \364\340\351\353\340 \356\362\342\345\362\356\342 \"%s\" \361\353\350\370\352\356\354 \344\353\350\355\355\340\377",
                      name);
            return false;
        }
        if (line.empty()) continue;
        if (!HandleArgument(state, line.c_str(), depth + 1)) return false;
    }
    return true;
}

}  // namespace

bool AbsoluteTargetDir(const char* value, std::string& out)
{
    if (!value || !*value || strlen(value) > kTargetDirMax) return false;
    char full[kTargetDirMax + 2];
    const DWORD length = GetFullPathNameA(value, sizeof full, full, nullptr);
    if (length == 0 || length > kTargetDirMax) return false;
    std::string folder(full, length);
    if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') && folder[folder.size() - 2] != ':')
        folder.pop_back();
    out = folder;
    return true;
}

bool HandleArgument(SetupState& state, const char* argument, int depth)
{
    if (argument[0] == '/' || argument[0] == '-') return HandleOption(state, argument);
    if (argument[0] == '@') return HandleResponseFile(state, argument + 1, depth);
    DoMessage("s", "Invalid command line: '%s', slash or dash expected", argument);
    return false;
}

bool HandleArguments(SetupState& state, int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (!HandleArgument(state, argv[i], 0)) return false;
    return true;
}
