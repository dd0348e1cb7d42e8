#include "crypt/folder_tally.h"

#include <algorithm>

namespace quenzel {

bool FolderTally::Failed(const std::wstring& path, int kind)
{
    ++failed_;
    if (named_.size() < ReportedNamesLimit)
        named_.push_back(path);
    if (std::find(kindsShown_.begin(), kindsShown_.end(), kind) != kindsShown_.end())
        return false;
    kindsShown_.push_back(kind);
    return true;
}

} // namespace quenzel
