#include "setup/registry_step.h"

#include <cstring>

#include "framework/ui/message.h"
#include "setup/registry_keys.h"
#include "setup/registry_values.h"

namespace {

// The values of the uninstall key written by this step: an [Uninstall Keys]
// entry of the same name would overwrite what the program list and the
// uninstaller read.
constexpr const char* kOwnValues[] = {"UninstallString", "DisplayName",   "DisplayVersion", "InstallLocation",
                                      "Publisher",       "DisplayIcon",   "InstallSource",  "InstallDate",
                                      "EstimatedSize",   "Version",       "VersionMajor",   "VersionMinor"};

bool IsOwnValue(const std::string& name)
{
    for (const char* own : kOwnValues)
        if (_stricmp(own, name.c_str()) == 0) return true;
    return false;
}

}  // namespace

std::string UninstallDisplayName(const RegistryJob& job)
{
    return job.multipleVersions ? job.productName + " " + job.version : job.productName;
}

int WriteRegistryInfo(const RegistryJob& job)
{
    HKEY const hklm = HKEY_LOCAL_MACHINE;
    RegistryWriter reg(job.log, job.productName.c_str());
    const std::string companyKey = "SOFTWARE\\" + job.company;
    std::string productKey = companyKey + "\\" + job.productName;
    if (reg.CreateKey("SOFTWARE", job.company.c_str(), hklm, false) != 1) return 2;
    if (reg.CreateKey(companyKey.c_str(), job.productName.c_str(), hklm, false) != 1) return 2;
    if (job.multipleVersions) {
        if (reg.CreateKey(productKey.c_str(), job.version.c_str(), hklm, true) != 1) return 2;
        productKey += "\\" + job.version;
    }
    if (reg.SetString(productKey.c_str(), "Folder", job.targetDir.c_str(), hklm, false) != 1) return 2;
    if (reg.SetDword(productKey.c_str(), "Info", 0, hklm) != 1) return 2;
    if (!job.multipleVersions && reg.SetString(productKey.c_str(), "Version", job.version.c_str(), hklm, false) != 1)
        return 2;

    const std::string displayName = UninstallDisplayName(job);
    if (reg.CreateKey(kUninstallRoot, displayName.c_str(), hklm, true) != 1) return 2;
    const std::string key = std::string(kUninstallRoot) + "\\" + displayName;
    const char* k = key.c_str();
    const VersionNumbers v = ParseVersionNumbers(job.version.c_str());
    const std::string command = UninstallCommand(job.targetDir.c_str());
    const std::string date = InstallDateText(job.date);
    if (reg.SetString(k, "UninstallString", command.c_str(), hklm, false) != 1) return 2;
    if (reg.SetString(k, "DisplayName", displayName.c_str(), hklm, false) != 1) return 2;
    if (reg.SetString(k, "DisplayVersion", job.version.c_str(), hklm, false) != 1) return 2;
    if (reg.SetString(k, "InstallLocation", job.targetDir.c_str(), hklm, false) != 1) return 2;
    if (reg.SetString(k, "Publisher", job.company.c_str(), hklm, false) != 1) return 2;
    if (!job.displayIcon.empty() && reg.SetString(k, "DisplayIcon", job.displayIcon.c_str(), hklm, false) != 1)
        return 2;
    if (reg.SetString(k, "InstallSource", job.setupFolder.c_str(), hklm, false) != 1) return 2;
    if (reg.SetString(k, "InstallDate", date.c_str(), hklm, false) != 1) return 2;
    if (reg.SetDword(k, "EstimatedSize", EstimatedSizeKiB(job.totalBytes), hklm) != 1) return 2;
    if (reg.SetDword(k, "Version", PackVersion(v), hklm) != 1) return 2;
    if (reg.SetDword(k, "VersionMajor", v.major, hklm) != 1) return 2;
    if (reg.SetDword(k, "VersionMinor", v.minor, hklm) != 1) return 2;
    for (const auto& [name, value] : job.uninstallKeys) {
        if (IsOwnValue(name)) {
            LogPrintf("  [Uninstall Keys] '%s' ignored: the setup writes this value itself\n", name.c_str());
            continue;
        }
        if (reg.SetString(k, name.c_str(), value.c_str(), hklm, false) != 1) return 2;
    }
    return 1;
}
