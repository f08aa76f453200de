// What the run knows of the target directory it writes into during one
// directory visit: one listing of it, and the directory held open.
#include "engine/Backup.h"

namespace tresorix {

namespace {

// A name's key in a target listing, or empty when it holds more than ASCII:
// how the system folds the case of other letters is its own affair.
std::string asciiKey(const std::string& name)
{
    std::string key;
    key.reserve(name.size());
    for (char c : name) {
        if (uint8_t(c) >= 0x80)
            return {};
        key += c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    }
    return key;
}

}  // namespace

// The conflict check's look at the target: name by name while they are
// there, from one listing of the directory after the first that is missing.
// Under Wine a missing name is looked for in the whole directory; a full run
// would scan the directory once for every file.
uint32_t BackupRun::findTarget(const std::string& target, const std::string& name, FileEntry& found)
{
    const std::string key = asciiKey(name);
    if (targetListing_.directory == target && !key.empty()) {
        auto it = targetListing_.files.find(key);
        if (it == targetListing_.files.end() && targetListing_.missesKnown)
            return errFileNotFound;
        if (it != targetListing_.files.end() && it->second) {
            found = *it->second;
            return 0;
        }
    }
    uint32_t error = fs_.find(target + name, found);
    // A directory that is not there has nothing to list.
    if (error != 0 && error != errPathNotFound && targetListing_.directory != target)
        listTarget(target);
    return error;
}

void BackupRun::listTarget(const std::string& target)
{
    targetListing_ = {};
    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = fs_.list(target, error);
    if (!listing)
        return;
    FileEntry entry;
    while (listing->next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        std::string key = asciiKey(entry.name);
        if (key.empty()) {
            // Of the other letters only the dotless i and the long s have an
            // ASCII letter as upper case: a system may find "FıLE" under "file".
            if (entry.name.find("\xC4\xB1") != std::string::npos || entry.name.find("\xC5\xBF") != std::string::npos)
                targetListing_.missesKnown = false;
            continue;
        }
        auto [it, added] = targetListing_.files.emplace(std::move(key), entry);
        if (!added)
            it->second.reset();
    }
    targetListing_.directory = target;
}

// What the run itself did to a name in the listed directory: a complete
// copy under it, or removed (no entry).
void BackupRun::noteTarget(const std::string& target, const std::string& name, const FileEntry* entry)
{
    std::string key = asciiKey(name);
    if (targetListing_.directory != target || key.empty())
        return;
    auto it = targetListing_.files.find(key);
    if (it != targetListing_.files.end() && !it->second)
        return;  // which of the two names went is not known
    if (entry)
        targetListing_.files[key] = *entry;
    else
        targetListing_.files.erase(key);
}

// The target directory is held open for the questions of its files.
uint32_t BackupRun::targetFreeSpace(const std::string& directory, uint64_t& bytes)
{
    uint32_t error = 0;
    if (targetDirPath_ != directory) {
        dropTargetDirectory();
        targetDir_ = fs_.openDirectory(directory, error);
        if (!targetDir_)
            return error;
        targetDirPath_ = directory;
    }
    error = targetDir_->freeSpace(bytes);
    if (error != 0)
        dropTargetDirectory();
    return error;
}

// The held target directory when `targetFile` lies in it, with the file's
// name there.
OpenDirectory* BackupRun::heldTarget(const std::string& targetFile, std::string& name)
{
    if (!targetDir_ || targetFile.size() <= targetDirPath_.size() || !targetFile.starts_with(targetDirPath_) ||
        targetFile.find('\\', targetDirPath_.size()) != std::string::npos)
        return nullptr;
    name = targetFile.substr(targetDirPath_.size());
    return targetDir_.get();
}

void BackupRun::dropTargetDirectory()
{
    targetDir_.reset();
    targetDirPath_.clear();
}

}  // namespace tresorix
