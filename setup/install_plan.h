// The components that the installation step extracts, in the order of the
// feature walk (the hidden features first), each component once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PlannedComponent {
    std::string name;         // the component's section name
    std::string archivePath;  // as ExtractArchive takes it
    uint64_t unpackedSize = 0;
};

class InstallPlan {
public:
    // Appends a component unless one of the same name (without regard to
    // case) is already planned; true when it was appended.
    bool Add(const std::string& name, const std::string& archivePath, uint64_t unpackedSize);
    const std::vector<PlannedComponent>& Components() const { return components_; }
    // The bytes of all planned components: the progress range and the
    // installed size.
    uint64_t TotalSize() const;
    bool Contains(const std::string& name) const;

private:
    std::vector<PlannedComponent> components_;
};
