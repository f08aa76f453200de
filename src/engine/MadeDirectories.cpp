#include "engine/MadeDirectories.h"

#include "engine/Mask.h"

#include <algorithm>

namespace tresorix {

void MadeDirectories::add(std::string upper)
{
    if (keys_.insert(FoldedKey(upper)).second)
        list_.push_back(std::move(upper));
}

bool MadeDirectories::contains(const std::string& path) const
{
    return keys_.contains(FoldedKey(path));
}

bool MadeDirectories::containsId(FileSystem& fs, const FileId& id)
{
    for (; identified_ < list_.size(); ++identified_) {
        FileId own;
        if (fs.directoryId(list_[identified_], own) == 0)
            ids_.push_back(own);
    }
    return std::find(ids_.begin(), ids_.end(), id) != ids_.end();
}

}  // namespace tresorix
