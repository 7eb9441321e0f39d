#include "setup/setup_ini.h"

#include <windows.h>

#include <string>

#include "framework/base/path.h"
#include "framework/config/ini_item.h"
#include "framework/config/ini_record.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "framework/window/gdi_objects.h"
#include "setup/page_seams.h"
#include "setup/setup_state.h"
#include "setup/shortcuts_folders.h"
#include "setup/simple_pages.h"

namespace {

constexpr size_t kTargetDirMax = 519;

const char* const kNoSetupIni =
    "Internal Error: No 'setup.ini' file found, exiting. Please contact your vendor|\302\355\363\362\360\345\355\355\377"
    "\377 \356\370\350\341\352\340: \364\340\351\353 'setup.ini' \355\345 \355\340\351\344\345\355, \342\373\365\356"
    "\344. \316\341\360\340\362\350\362\345\361\374 \352 \357\356\361\362\340\342\371\350\352\363";
const char* const kNotSetupScript =
    "Internal Error: '%s' is not a setup script, exiting. Please contact your vendor|\302\355\363\362\360\345\355\355"
    "\377\377 \356\370\350\341\352\340: '%s' \355\345 \377\342\353\377\345\362\361\377 \361\366\345\355\340\360\350"
    "\345\354 \363\361\362\340\355\356\342\352\350, \342\373\365\356\344. \316\341\360\340\362\350\362\345\361\374 "
    "\352 \357\356\361\362\340\342\371\350\352\363";
const char* const kNo64Bit =
    "%s will not work on 64-bit operating system, installation cancelled.|%s \355\345 \341\363\344\345\362 \360\340"
    "\341\356\362\340\362\374 \342 64-\360\340\347\360\377\344\355\356\351 \356\357\345\360\340\366\350\356\355\355"
    "\356\351 \361\350\361\362\345\354\345, \363\361\362\340\355\356\342\352\340 \356\362\354\345\355\345\355\340.";
const char* const kBadName =
    "Invalid value '%s' of key '%s' in section [Product] of setup.ini: it names folders, registry keys and "
    "shortcuts, so it must not be empty nor hold \\, /, :, .., control characters or characters that file names "
    "cannot hold. Please contact your vendor|\315\345\344\356\357\363\361\362\350\354\356\345 \347\355\340\367\345"
    "\355\350\345 '%s' \352\353\376\367\340 '%s' \342 \360\340\347\344\345\353\345 [Product] \364\340\351\353\340 "
    "setup.ini: \356\355\356 \344\340\270\362 \350\354\345\355\340 \357\340\357\356\352, \352\353\376\367\345\351 "
    "\360\345\345\361\362\360\340 \350 \377\360\353\373\352\356\342, \357\356\375\362\356\354\363 \355\345 \344\356"
    "\353\346\355\356 \341\373\362\374 \357\363\361\362\373\354 \350 \361\356\344\345\360\346\340\362\374 \\, /, :, "
    ".., \363\357\360\340\342\353\377\376\371\350\345 \350 \344\360\363\343\350\345 \355\345\344\356\357\363\361\362"
    "\350\354\373\345 \342 \350\354\345\355\340\365 \364\340\351\353\356\342 \361\350\354\342\356\353\373. \316\341"
    "\360\340\362\350\362\345\361\374 \352 \357\356\361\362\340\342\371\350\352\363";
const char* const kTargetTooLong =
    "The default destination folder '%s' is longer than %u characters, exiting. Please contact your vendor|\317\340"
    "\357\352\340 \363\361\362\340\355\356\342\352\350 \357\356 \363\354\356\353\367\340\355\350\376 '%s' \344\353"
    "\350\355\355\345\345 %u \361\350\354\342\356\353\356\342, \342\373\365\356\344. \316\341\360\340\362\350\362"
    "\345\361\374 \352 \357\356\361\362\340\342\371\350\352\363";
const char* const kCaption = "%s v. %s Installation|\323\361\362\340\355\356\342\352\340 %s v. %s";

// A [Product] value that becomes a folder level, a registry key name and a
// shortcut name: one plain name, nothing that climbs or splits a path.
bool IsPlainName(const std::string& value)
{
    if (value.empty() || value.find("..") != std::string::npos) return false;
    for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7F) return false;
        if (std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    }
    return true;
}

std::string StripTrailingSeparator(std::string folder)
{
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

void ReadText(INIStream& ini, const char* name, std::string& value)
{
    if (const char* text = ini.FindValue(name)) value = text;
}

void ReadFlag(INIStream& ini, const char* name, bool& value)
{
    uint8_t flag = value ? 1 : 0;
    ini.Read(INIReadRecord(name, flag, flag));
    value = flag != 0;
}

void ReadNumber(INIStream& ini, const char* name, int32_t& value)
{
    uint32_t number = static_cast<uint32_t>(value);
    ini.Read(INIReadRecord(name, number, number));
    value = static_cast<int32_t>(number);
}

// A colour stays -1 (none) unless the key is there.
void ReadColour(INIStream& ini, const char* name, int32_t& value)
{
    if (!ini.FindValue(name)) return;
    uint32_t colour = 0;
    ini.Read(INIReadRecord::Color(name, colour));
    value = static_cast<int32_t>(colour);
}

void ReadProduct(INIStream& ini, ProductSettings& product)
{
    ini.SetSection("Product");
    if (!ini.CurrentSection()) return;
    ReadText(ini, "Name", product.name);
    ReadText(ini, "Name16", product.name16);
    ReadText(ini, "EmuName", product.emuName);
    ReadText(ini, "SimName", product.simName);
    ReadText(ini, "Version", product.version);
    ReadText(ini, "Company", product.company);
    ReadFlag(ini, "StandardInstallPath", product.standardInstallPath);
    ReadFlag(ini, "Register", product.registerFlag);
    ReadFlag(ini, "WorksOnX64", product.worksOnX64);
    if (const char* date = ini.FindValue("Date")) {
        product.hasDate = true;
        product.date = date;
    }
    ReadFlag(ini, "NoRussian", product.noRussian);
    ReadFlag(ini, "MultipleVersions", product.multipleVersions);
    ReadText(ini, "Banner", product.banner);
    ReadText(ini, "BannerAlign", product.bannerAlign);
    ReadColour(ini, "BannerColorL", product.bannerColorL);
    ReadColour(ini, "BannerColorR", product.bannerColorR);
    ReadColour(ini, "BannerTextColor", product.bannerTextColor);
    ReadNumber(ini, "BannerTextX", product.bannerTextX);
    ReadNumber(ini, "BannerTextY", product.bannerTextY);
    ReadText(ini, "ItemsToCopy", product.itemsToCopy);
    ReadText(ini, "WEBSite", product.webSite);
    ReadText(ini, "RVCFolder", product.rvcFolder);
    ReadText(ini, "ARFTPAddr", product.arFtpAddr);
    ReadText(ini, "ProductsINIAddr", product.productsIniAddr);
    ReadText(ini, "CleanupFiles", product.cleanupFiles);
    ReadNumber(ini, "Id", product.id);
    ReadText(ini, "ConfFiles", product.confFiles);
}

bool CheckNames(const ProductSettings& product)
{
    const struct {
        const char* key;
        const std::string& value;
    } names[] = {{"Name", product.name},       {"Name16", product.name16},
                 {"Company", product.company}, {"Version", product.version},
                 {"InstallFolder", product.installFolder}};
    for (const auto& name : names) {
        if (IsPlainName(name.value)) continue;
        DoMessage("s", kBadName, name.value.c_str(), name.key);
        return false;
    }
    return true;
}

void LoadBanner(SetupState& state, const std::string& folder)
{
    state.bannerBitmap.reset();
    if (state.product.banner.empty()) return;
    const std::string path = folder + "\\" + state.product.banner;
    HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    // A banner that cannot be loaded leaves the pages with their animation.
    if (image) state.bannerBitmap = std::make_unique<Bitmap>(static_cast<HBITMAP>(image));
}

}  // namespace

std::string SetupIniFolder(const SetupState& state)
{
    if (!state.supportDir.empty()) return StripTrailingSeparator(state.supportDir);
    if (!state.programFolder.empty()) return StripTrailingSeparator(state.programFolder);
    return StripTrailingSeparator(PPath::ProgramFolder().Text());
}

void MakeSetupCaption(SetupState& state)
{
    char caption[1024];
    snprintf(caption, sizeof caption, GetMLText(kCaption), state.product.name.c_str(), state.product.version.c_str());
    state.caption = caption;
}

std::string VersionFolder(const std::string& version)
{
    std::string folder = version;
    for (char& c : folder)
        if (c == '.') c = '_';
    return folder;
}

std::string DefaultTargetDir(const SetupState& state)
{
    const ProductSettings& product = state.product;
    const std::string versionFolder = VersionFolder(product.version);
    std::string target;
    if (product.standardInstallPath) {
        // The shell's Program Files, else the machine's ProgramFilesDir.
        const std::string programFiles = StripTrailingSeparator(ShellFolder(kCsidlProgramFiles));
        if (!programFiles.empty()) {
            target = programFiles + "\\" + product.installFolder;
            if (product.multipleVersions) target += "\\" + versionFolder;
        }
    }
    if (target.empty()) target = "C:\\" + product.company + "\\" + product.installFolder + "\\" + versionFolder;
    return target;
}

bool ReadSetupIni(SetupState& state)
{
    const std::string folder = SetupIniFolder(state);
    const std::string path = folder + "\\setup.ini";
    auto ini = std::make_unique<INIStream>(INI_READ_ONLY, path.c_str());
    if (!ini->IsLoaded()) {
        DoMessage("s", kNoSetupIni);
        return false;
    }
    // A nesting error has been reported by the reader; the rest of the file
    // is missing from the stream.
    if (ini->IsIncomplete()) return false;
    if (ini->Sections().empty()) {
        DoMessage("s", kNotSetupScript, path.c_str());
        return false;
    }

    ProductSettings& product = state.product;
    product = ProductSettings();
    ReadProduct(*ini, product);
    if (IsWow64System() && !product.worksOnX64) {
        DoMessage("s", kNo64Bit, product.name.c_str());
        return false;
    }
    product.installFolder = product.name16;
    ini->SetSection("Product");
    if (ini->CurrentSection()) ReadText(*ini, "InstallFolder", product.installFolder);
    if (!CheckNames(product)) return false;
    LoadBanner(state, folder);
    MakeSetupCaption(state);
    state.versionFolder = VersionFolder(product.version);

    if (state.targetDir.empty()) {
        const std::string target = DefaultTargetDir(state);
        if (target.size() > kTargetDirMax) {
            DoMessage("s", kTargetTooLong, target.c_str(), static_cast<unsigned>(kTargetDirMax));
            return false;
        }
        state.targetDir = target;
    }
    ChooseHelpFile(state);
    state.setupIni = std::move(ini);
    LogPrintf("Default TARGETDIR: '%s'\n", state.targetDir.c_str());
    return true;
}
