#include "setup/do_install_sections.h"

#include <cstring>
#include <string>

#include "framework/config/ini_record.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/message.h"
#include "setup/setup_state.h"

namespace {

constexpr uint32_t kValueSize = 1024;

// The keys of [Setup] that this step writes itself.
constexpr const char* kOwnKeys[] = {"Product",   "Version", "Folder", "CleanupFiles", "ShortName",
                                    "Register",  "Id",      "ProductsINIAddr", "ARFTPAddr", "Company",
                                    "Date",      "WEBSite", "RVCFolder", "Language"};

bool IsOwnKey(const std::string& name)
{
    for (const char* own : kOwnKeys)
        if (_stricmp(own, name.c_str()) == 0) return true;
    return false;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

void CopyItems(const SetupState& state, INIStream& log)
{
    const std::string& list = state.product.itemsToCopy;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find_first_of(";,", start);
        const std::string name = Trimmed(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? list.size() + 1 : end + 1;
        if (name.empty()) continue;
        if (IsOwnKey(name)) {
            LogPrintf("  ItemsToCopy: '%s' ignored: [Setup] holds it already\n", name.c_str());
            continue;
        }
        if (!state.setupIni) continue;
        char value[kValueSize] = {};
        state.setupIni->SetSection("Product");
        if (!state.setupIni->ReadValue(sizeof value, value, "", name.c_str()) || !value[0]) continue;
        log.SetValue(value, name.c_str());
    }
}

}  // namespace

void WriteSetupSection(const SetupState& state, INIStream& log)
{
    const ProductSettings& p = state.product;
    log.SelectSection("Setup");
    log.SetValue(p.name.c_str(), "Product");
    log.SetValue(p.version.c_str(), "Version");
    log.SetValue(state.targetDir.c_str(), "Folder");
    log.SetValue(p.cleanupFiles.c_str(), "CleanupFiles");
    log.SetValue(p.name16.c_str(), "ShortName");
    log.SetValue(p.registerFlag ? "1" : "0", "Register");
    log.SetValue(std::to_string(p.id).c_str(), "Id");
    log.SetValue(p.productsIniAddr.c_str(), "ProductsINIAddr");
    log.SetValue(p.arFtpAddr.c_str(), "ARFTPAddr");
    log.SetValue(p.company.c_str(), "Company");
    CopyItems(state, log);
    if (p.hasDate) log.SetValue(p.date.c_str(), "Date");
    if (!p.webSite.empty()) log.SetValue(p.webSite.c_str(), "WEBSite");
    if (!p.rvcFolder.empty()) log.SetValue(p.rvcFolder.c_str(), "RVCFolder");
    if (state.IsRussian()) log.SetValue("1", "Language");
}

void WriteIdeFeatures(const SetupState& state, INIStream& log)
{
    if (!state.setupIni) return;
    SectionItem* block = state.setupIni->FindSection("IDE Features");
    INIStream* features = block ? block->Nested() : nullptr;
    if (!features) return;
    INIStream* target = log.GetSubStream(true, "IDE Features");
    if (!target) return;
    for (const auto& section : features->Sections()) {
        uint32_t id = static_cast<uint32_t>(-1);
        features->SetSection(section->Name().c_str()).Read(INIReadRecord("Id", id, static_cast<uint32_t>(-1)));
        target->SelectSection(section->Name().c_str());
        target->SetValue(std::to_string(static_cast<int32_t>(id)).c_str(), "Id");
    }
}
