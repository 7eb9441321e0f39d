#include "setup/components.h"

#include <vector>

#include "framework/ui/message.h"
#include "setup/archive_handle.h"
#include "setup/setup_messages.h"

std::string ComponentArchivePath(const std::string& programFolder, const std::string& name)
{
    return programFolder + "\\" + name + ".rar";
}

bool ListComponentArchive(Component& component)
{
    component.unpackedSize = 0;
    component.entries.clear();
    std::vector<char> arcName(component.archivePath.c_str(),
                              component.archivePath.c_str() + component.archivePath.size() + 1);
    RAROpenArchiveData openData{};
    openData.ArcName = arcName.data();
    openData.OpenMode = RAR_OM_LIST;
    ArchiveHandle handle(RAROpenArchive(&openData));
    if (!handle.Get() || openData.OpenResult != 0) {
        ShowMessageById(SETUP_MSG_OPEN_ARCHIVE, component.archivePath.c_str());
        return false;
    }
    for (;;) {
        RARHeaderData header{};
        const int read = RARReadHeader(handle.Get(), &header);
        if (read == ERAR_END_ARCHIVE) return true;
        // Any other answer leaves the position in the archive unknown:
        // reading on could loop for ever.
        if (read != 0 || RARProcessFile(handle.Get(), RAR_SKIP, nullptr, nullptr) != 0) {
            ShowMessageById(SETUP_MSG_ARCHIVE_DAMAGED, component.archivePath.c_str());
            return false;
        }
        header.FileName[sizeof header.FileName - 1] = '\0';
        component.unpackedSize += header.UnpSize;
        component.entries.push_back(ArchiveNameFromOem(header.FileName));
    }
}
