#include "engine/MadeDirectories.h"

#include "engine/Mask.h"

namespace tresorix {

void MadeDirectories::add(std::string upper, std::optional<FileId> index)
{
    if (!keys_.insert(FoldedKey(upper)).second)
        return;
    list_.push_back(std::move(upper));
    ids_.push_back({index, std::nullopt});
}

bool MadeDirectories::contains(const std::string& path) const
{
    return keys_.contains(FoldedKey(path));
}

bool MadeDirectories::containsId(FileSystem& fs, const FileId& id, bool indexesAgree)
{
    // A directory that cannot be asked is no match: an identity of zero.
    auto ask = [&fs](const std::string& path, auto question) {
        FileId own;
        return (fs.*question)(path, own) == 0 ? own : FileId{};
    };
    for (size_t i = 0; i < list_.size(); ++i) {
        Identity& own = ids_[i];
        if (indexesAgree && !own.full) {
            if (!own.index)
                own.index = ask(list_[i], &FileSystem::directoryIndex);
            if (!own.index->known() || own.index->index != id.index || id.indexHigh != 0)
                continue;
        }
        if (!own.full)
            own.full = ask(list_[i], &FileSystem::directoryId);
        if (own.full->known() && *own.full == id)
            return true;
    }
    return false;
}

}  // namespace tresorix
