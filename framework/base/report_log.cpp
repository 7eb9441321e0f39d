#include "framework/base/report_log.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/base/datetime.h"
#include "framework/base/hooks.h"
#include "framework/base/rt_proc.h"
#include "framework/base/sys_trace.h"
#include "framework/base/sys_version.h"
#include "framework/base/text_utils.h"

namespace {

FILE* g_log = nullptr;
char g_folder[MAX_PATH] = "";
bool g_folderSet = false;
std::string g_name;
std::string g_programVersion;
std::string g_productName;
std::string g_productVersion;

struct Connection {
    unsigned flag;
    const char* name;
};
constexpr Connection kConnections[] = {
    {0x40, "CONFIGURED"}, {0x02, "LAN"}, {0x01, "MODEM"}, {0x20, "OFFLINE"}, {0x04, "PROXY"},
};

RT_PROC<BOOL> g_internetConnectedState(2, "InternetGetConnectedState", "wininet.dll");

const char* LogFolder()
{
    if (!g_folderSet) {
        GetCurrentDirectoryA(sizeof g_folder, g_folder);
        g_folderSet = true;
    }
    return g_folder;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

std::string DateText(const PDateTime& time)
{
    const sstr text = time.LocalText(DT_STORED_FORM);
    return text.c_str() ? text.c_str() : "";
}

void Open()
{
    if (g_log || g_name.empty() || !LogFolder()[0]) return;
    std::string path = LogFolder();
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    const std::string log = path + g_name + ".log";
    const std::string backup = path + "$" + g_name + ".log";
    if (GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES)
        MoveFileExA(log.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
    g_log = fopen(log.c_str(), "wt");
    if (!g_log) return;
    fprintf(g_log, "%s %s    %s\n\n", g_name.c_str(), "Log File", DateText(PDateTime()).c_str());
    // The report goes into the log (the trace sink does nothing in most
    // programs) and to the trace sink as well.
    const std::string report = SystemReport();
    fputs(report.c_str(), g_log);
    fflush(g_log);
    TracePrintf("%s", report.c_str());
}

}  // namespace

void SetReportLogName(const char* name) { g_name = name ? name : ""; }

void SetReportLogFolder(const char* folder)
{
    snprintf(g_folder, sizeof g_folder, "%s", folder ? folder : "");
    g_folderSet = true;
}

void SetReportLogVersions(const char* programVersion, const char* productName, const char* productVersion)
{
    g_programVersion = programVersion ? programVersion : "";
    g_productName = productName ? productName : "";
    g_productVersion = productVersion ? productVersion : "";
}

void LogVWrite(const char* format, va_list args)
{
    Open();
    if (!g_log || !format) return;
    vfprintf(g_log, format, args);
    fflush(g_log);
}

void LogWrite(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogVWrite(format, args);
    va_end(args);
}

bool ReportLogOpen() { return g_log != nullptr; }

void CloseReportLog()
{
    if (g_log) fclose(g_log);
    g_log = nullptr;
}

const char* WindowsName(int versionCode)
{
    static const char* const kNames[] = {"NT 3.51", "95", "98", "ME", "NT 4.0", "2000", "XP", "Vista", "7"};
    return versionCode >= 0 && versionCode < 9 ? kNames[versionCode] : "?";
}

std::string ConnectionNames(unsigned flags)
{
    std::string names;
    for (const Connection& c : kConnections) {
        if (!(flags & c.flag)) continue;
        if (!names.empty()) names += ", ";
        names += c.name;
    }
    return names;
}

std::string OSDescription()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    return Format("%s%s [ver. %u.%u, build = %u, Additional info: '%s']", WindowsName(GetWindowsVersion()),
                  IsWow64() ? " x64" : "", static_cast<unsigned>(info.dwMajorVersion),
                  static_cast<unsigned>(info.dwMinorVersion), static_cast<unsigned>(info.dwBuildNumber), info.szCSDVersion);
}

std::string SystemReport()
{
    const char* caption = g_name.c_str();
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    char codePage[16] = "";
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_USE_CP_ACP, codePage, sizeof codePage);
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);
    char total[32], avail[32];
    FormatThousands64(total, memory.ullTotalPhys / 0x100000);
    FormatThousands64(avail, memory.ullAvailPhys / 0x100000);
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    char user[81] = "";
    DWORD userSize = sizeof user;
    if (!GetUserNameA(user, &userSize)) user[0] = 0;
    DWORD connection = 0;
    const std::string connections =
        g_internetConnectedState(reinterpret_cast<uintptr_t>(&connection), 0) ? ConnectionNames(connection) : "";
    std::string arguments;
    for (int i = 1; i < __argc; ++i) arguments += Format(" \"%s\"", __argv[i] ? __argv[i] : "");

    std::string report;
    report += Format("%12s version:   %s\n", caption, g_programVersion.c_str());
    report += Format("%12s version:   %s\n", g_productName.c_str(), g_productVersion.c_str());
    report += Format("%12s.EXE date:  %s\n", caption, DateText(PDateTime(module)).c_str());
    report += Format("Screen:                 %ux%u\n", static_cast<unsigned>(GetSystemMetrics(SM_CXFULLSCREEN)),
                     static_cast<unsigned>(GetSystemMetrics(SM_CYFULLSCREEN)));
    report += Format("System Language Id:     %u\n", static_cast<unsigned>(GetSystemDefaultLangID()));
    report += Format("User Language Id:       %u\n", static_cast<unsigned>(GetUserDefaultLangID()));
    report += Format("System Default CP:      %s\n", codePage);
    report += Format("OS:  Windows %s\n", OSDescription().c_str());
    report += Format("RAM Total/Free:         %s/%s MB\n", total, avail);
    // What the system reports is the performance counter's frequency, not
    // the processor's clock: it is named for what it is.
    report += Format("Counter frequency:      %.2f MHz\n", static_cast<double>(frequency.QuadPart) * 1e-6);
    report += Format("Number of processors:   %u\n", static_cast<unsigned>(system.dwNumberOfProcessors));
    report += Format("User:                   %s\n", user);
    report += Format("IsUserAnAdmin:          %s\n", IsUserAnAdmin() ? "Yes" : "No");
    report += Format("INTERNET_CONNECTION_:   %s\n", connections.c_str());
    report += Format("Startup dir:            \"%s\"\n", LogFolder());
    report += Format("Command line:           %s\n\n", arguments.c_str());
    return report;
}
