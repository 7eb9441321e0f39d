// The program's log: the previous log kept under the "$" name, the header
// and the machine report in the log itself, writes flushed, a folder with
// or without its trailing backslash, and a log that cannot be opened
// dropping writes until it can.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/base/hooks.h"
#include "framework/base/report_log.h"
#include "framework/base/sys_version.h"

namespace {

// The log is a text file: its line ends are read as "\n".
std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

class ReportLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "voq_report_log";
        CreateDirectoryA(dir_.c_str(), nullptr);
        log_ = dir_ + "\\Setup.log";
        backup_ = dir_ + "\\$Setup.log";
        DeleteFileA(log_.c_str());
        DeleteFileA(backup_.c_str());
        SetReportLogName("Setup");
        SetReportLogVersions("1.00", "Setup", "");
    }
    void TearDown() override
    {
        CloseReportLog();
        DeleteFileA(log_.c_str());
        DeleteFileA(backup_.c_str());
        RemoveDirectoryA(dir_.c_str());
        SetReportLogName(nullptr);
    }
    std::string dir_, log_, backup_;
};

TEST_F(ReportLog, OpeningKeepsTheOldLogAndWritesTheReportIntoTheNewOne)
{
    for (const std::string& folder : {dir_, dir_ + "\\"}) {
        CloseReportLog();
        {
            std::ofstream old(log_);
            old << "older run\n";
        }
        SetReportLogFolder(folder.c_str());
        LogWrite("first %d\n", 1);
        ASSERT_TRUE(ReportLogOpen()) << folder;
        EXPECT_EQ(ReadAll(backup_), "older run\n");
        // Flushed: readable while the log stays open.
        const std::string text = ReadAll(log_);
        EXPECT_EQ(text.rfind("Setup Log File    ", 0), 0u) << text;
        for (const char* line : {"       Setup version:   1.00\n", "       Setup version:   \n", "       Setup.EXE date:  ",
                                 "Number of processors:   ", "Counter frequency:      ", "IsUserAnAdmin:          ",
                                 "INTERNET_CONNECTION_:   ", "Command line:           ", "OS:  Windows "})
            EXPECT_NE(text.find(line), std::string::npos) << line;
        EXPECT_NE(text.find("Startup dir:            \"" + folder + "\"\n"), std::string::npos);
        EXPECT_EQ(text.find("\\\\Setup"), std::string::npos);
        EXPECT_NE(text.find("\n\nfirst 1\n"), std::string::npos);
        LogWrite("second\n");
        EXPECT_EQ(ReadAll(log_).substr(ReadAll(log_).size() - 7), "second\n");
    }
}

TEST_F(ReportLog, AFolderThatCannotTakeTheLogDropsWritesUntilItCan)
{
    const std::string missing = dir_ + "\\not here";
    SetReportLogFolder(missing.c_str());
    LogWrite("lost\n");
    EXPECT_FALSE(ReportLogOpen());
    CreateDirectoryA(missing.c_str(), nullptr);
    LogWrite("kept\n");
    EXPECT_TRUE(ReportLogOpen());
    CloseReportLog();
    const std::string text = ReadAll(missing + "\\Setup.log");
    EXPECT_EQ(text.find("lost"), std::string::npos);
    EXPECT_NE(text.find("kept\n"), std::string::npos);
    DeleteFileA((missing + "\\Setup.log").c_str());
    RemoveDirectoryA(missing.c_str());
    // No name or no folder: nothing is opened.
    SetReportLogName("");
    SetReportLogFolder(dir_.c_str());
    LogWrite("x\n");
    EXPECT_FALSE(ReportLogOpen());
    SetReportLogName("Setup");
    SetReportLogFolder("");
    LogWrite("x\n");
    EXPECT_FALSE(ReportLogOpen());
}

TEST(ReportText, WindowsNamesConnectionsAndTheOsLine)
{
    EXPECT_STREQ(WindowsName(0), "NT 3.51");
    EXPECT_STREQ(WindowsName(6), "XP");
    EXPECT_STREQ(WindowsName(8), "7");
    EXPECT_STREQ(WindowsName(9), "?");
    EXPECT_STREQ(WindowsName(-1), "?");
    EXPECT_EQ(ConnectionNames(0), "");
    EXPECT_EQ(ConnectionNames(0x01 | 0x02 | 0x40), "CONFIGURED, LAN, MODEM");
    EXPECT_EQ(ConnectionNames(0x04 | 0x20), "OFFLINE, PROXY");
    const std::string os = OSDescription();
    EXPECT_EQ(os.rfind(WindowsName(GetWindowsVersion()), 0), 0u) << os;
    EXPECT_NE(os.find(" [ver. "), std::string::npos);
    EXPECT_NE(os.find(", build = "), std::string::npos);
    EXPECT_EQ(os.back(), ']');
}

}  // namespace
