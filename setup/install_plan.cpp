#include "setup/install_plan.h"

#include "framework/base/text_utils.h"

bool InstallPlan::Add(const std::string& name, const std::string& archivePath, uint64_t unpackedSize)
{
    if (Contains(name)) return false;
    components_.push_back({name, archivePath, unpackedSize});
    return true;
}

uint64_t InstallPlan::TotalSize() const
{
    uint64_t total = 0;
    for (const PlannedComponent& c : components_) total += c.unpackedSize;
    return total;
}

bool InstallPlan::Contains(const std::string& name) const
{
    for (const PlannedComponent& c : components_) {
        if (CompareNoCase(c.name.c_str(), name.c_str()) == 0) return true;
    }
    return false;
}
