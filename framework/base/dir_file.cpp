#include "framework/base/dir_file.h"

#include <algorithm>

#include "framework/base/text_utils.h"

bool PDirFile::IsEqual(const PDirFile& other) const
{
    return isDir == other.isDir && CompareNoCase(name.c_str(), other.name.c_str()) == 0;
}

bool PDirFile::IsGreater(const PDirFile& other) const
{
    if (isDir != other.isDir) return other.isDir;  // directories first
    return CompareNoCase(name.c_str(), other.name.c_str()) > 0;
}

void PDirFileList::Sort()
{
    std::stable_sort(items_.begin(), items_.end(),
                     [](const PDirFile& a, const PDirFile& b) { return b.IsGreater(a); });
}
