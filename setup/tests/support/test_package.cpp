#include "setup/tests/support/test_package.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

#include "framework/base/dir_tree.h"
#include "setup/shortcuts_folders.h"

namespace {

// A 4 x 2 24-bit bitmap file.
std::string Banner()
{
    const uint32_t width = 4, height = 2, row = 12, pixels = row * height;
    std::string bmp(54 + pixels, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, pixels);
    for (uint32_t i = 0; i < pixels; ++i) bmp[54 + i] = static_cast<char>(0x40 + i);
    return bmp;
}

std::string DefaultSetupIni(const TestPackageSpec& spec)
{
    return "[Product]\nName=" + spec.name + "\nName16=VOQFlow\nVersion=" + spec.version + "\nCompany=" + spec.company +
           "\nMultipleVersions=" + (spec.multipleVersions ? "1" : "0") +
           "\nBanner=banner.bmp\nBannerAlign=Right\n" + spec.productExtra +
           "[Components]\n[[Core]]\n[[Shared]]\n"
           "[Features]\n[[Main]]\nDescr=Main files\nComponent=Core\nComponentShared=Shared\n"
           "[[Extras]]\nDescr=Extras\nComponent=Shared\n";
}

const char* kAppInf =
    "[Product Main]\nExe=bin\\flow.exe\nName=Flow Monitor\nAddIcon=1\n"
    "[Product Remove]\nExe=setup.exe\nName=Uninstall\nAddIcon=1\n";

}  // namespace

std::string BuiltFile(const std::string& name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

bool WriteTestPackage(const std::string& folder, const TestPackageSpec& spec, std::string& error)
{
    // The uninstaller stand-in when it is built, so that a later version's
    // setup can run it; else a placeholder.
    std::string unrigger = ReadFileBytes(BuiltFile("unrigger.exe"));
    if (unrigger.empty()) unrigger = "MZ uninstaller placeholder";
    const std::vector<rar4::WriterItem> core = {
        {"bin", "", true},
        {"bin\\flow.exe", "MZ flow " + spec.version, false},
        {"unrigger.exe", unrigger, false},
        {"integrat.exe", "MZ integration", false},
        {"app.inf", kAppInf, false},
        {"readme.txt", "Version " + spec.version, false},
    };
    const std::vector<rar4::WriterItem> shared = {{"shared\\lib.dll", "MZ shared " + spec.version, false}};
    if (!rar4::WriteArchiveFile(folder + "\\Core.rar", core, {}, error)) return false;
    if (!rar4::WriteArchiveFile(folder + "\\Shared.rar", shared, {}, error)) return false;
    if (!spec.withSetupFiles) return true;
    std::vector<rar4::WriterItem> support = {
        {"license.txt", "Licence of " + spec.name, false},
        {"licenser.txt", "\313\350\366\345\355\347\350\377", false},
        {"banner.bmp", Banner(), false},
    };
    if (spec.withSetupIni)
        support.push_back({"setup.ini", spec.setupIni.empty() ? DefaultSetupIni(spec) : spec.setupIni, false});
    if (spec.withPlugIns) {
        for (const char* name : {"PlugInA.dll", "PlugInB.dll"}) {
            const std::string bytes = ReadFileBytes(BuiltFile(name));
            if (bytes.empty()) {
                error = std::string("not built: ") + name;
                return false;
            }
            support.push_back({name, bytes, false});
        }
    }
    rar4::WriterOptions options;
    options.rawNames = !spec.extraSupport.empty();
    for (const rar4::WriterItem& item : spec.extraSupport) support.push_back(item);
    return rar4::WriteArchiveFile(folder + "\\SetupFiles.rar", support, options, error);
}

std::string ProductGroup(const TestPackageSpec& spec)
{
    return ShellFolder(kCsidlCommonPrograms) + "\\" + spec.name + " " + spec.version;
}

void RemoveProductTraces(const TestPackageSpec& spec)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\" + spec.company).c_str());
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + spec.name;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstall.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (uninstall + " " + spec.version).c_str());
    const std::string programs = ShellFolder(kCsidlCommonPrograms) + "\\" + spec.name;
    DeleteDirTree(programs.c_str());
    DeleteDirTree((programs + " " + spec.version).c_str());
}

std::string TextOf(const std::string& bytes)
{
    std::string text;
    for (char c : bytes)
        if (c != '\r') text += c;
    return text;
}

bool HasLinesInOrder(const std::string& text, const std::vector<std::string>& expected, std::string& missing)
{
    std::istringstream in(text);
    size_t next = 0;
    for (std::string line; next < expected.size() && std::getline(in, line);)
        if (line == expected[next]) ++next;
    if (next == expected.size()) return true;
    missing = expected[next];
    return false;
}
