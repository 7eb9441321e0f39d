// cc_setup.exe: stands in for the host debugger's board setup program. It
// appends its command line and its current folder to "cc_setup_record.txt"
// beside itself and exits, so a test can tell which copy was started, from
// where and how.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string record = exe;
    record = record.substr(0, record.find_last_of("\\/") + 1) + "cc_setup_record.txt";
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    FILE* f = std::fopen(record.c_str(), "ab");
    if (!f) return 1;
    std::fprintf(f, "command line: %s\r\ncurrent folder: %s\r\n", GetCommandLineA(), folder);
    return std::fclose(f) == 0 ? 0 : 1;
}
