// What the run knows of the target directory it writes into during one
// directory visit: one listing of it, and the directory held open.
#include "engine/DirectoryVisit.h"

#include "engine/Backup.h"
#include "engine/FileHelpers.h"
#include "engine/Mirror.h"

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
// would scan the directory once for every file. Only "missing" is answered
// from the listing: a file that went since would otherwise pass its source
// over, and a look at a name that is there costs no scan.
uint32_t DirectoryVisit::findTarget(const std::string& target, const std::string& name, FileEntry& found)
{
    // Whatever a walk looked at stays where it is, another entry's copy too.
    if (run_.mirror_->recording())
        run_.mirror_->lookedUp(target + name);
    // A case twin's own copy has exactly its name; one that differs in case
    // is its twin's, which it must neither replace nor be compared with.
    if (!caseTwins.empty() && caseTwins.contains(name))
        return findExactly(target, name, found);
    const TargetListing& listing = hold.listing;
    const std::string key = asciiKey(name);
    if (listing.directory == target && listing.missesKnown && !key.empty() && !listing.names.contains(key))
        return errFileNotFound;
    uint32_t error = run_.fs_.find(target + name, found);
    // A directory that is not there has nothing to list.
    if (error != 0 && error != errPathNotFound && listing.directory != target)
        listTarget(target);
    return error;
}

void DirectoryVisit::listTarget(const std::string& target)
{
    hold.listing = {};
    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = run_.fs_.list(target, error);
    if (!listing)
        return;
    FileEntry entry;
    TargetListing seen{target, {}, true};
    // Kept for the mirroring, which then need not list the directory again.
    const bool keep = run_.mirror_->recording();
    std::vector<FileEntry> entries;
    while (listing->next(entry)) {
        if (keep)
            entries.push_back(entry);
        if (entry.name == "." || entry.name == "..")
            continue;
        std::string key = asciiKey(entry.name);
        // Of the other letters only the dotless i and the long s have an
        // ASCII letter as upper case: a system may find "FıLE" under "file".
        if (key.empty() &&
            (entry.name.find("\xC4\xB1") != std::string::npos || entry.name.find("\xC5\xBF") != std::string::npos))
            seen.missesKnown = false;
        if (!key.empty())
            seen.names.insert(std::move(key));
    }
    // Names a broken listing did not reach would be taken for missing.
    if (listing->error() != 0)
        return;
    hold.listing = std::move(seen);
    if (keep)
        run_.mirror_->targetListed(target, std::move(entries));
}

// The system finds a name without regard to case: only a listing tells
// which one is there.
uint32_t DirectoryVisit::findExactly(const std::string& target, const std::string& name, FileEntry& found)
{
    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = run_.fs_.list(target, error);
    if (!listing)
        return error;
    for (FileEntry entry; listing->next(entry);) {
        if (entry.name == name) {
            found = std::move(entry);
            return 0;
        }
    }
    return listing->error() ? listing->error() : uint32_t(errFileNotFound);
}

// What the run itself did to a name in the listed directory: a complete
// copy under it, or removed.
void DirectoryVisit::noteTarget(const std::string& target, const std::string& name, bool present)
{
    TargetListing& listing = hold.listing;
    std::string key = asciiKey(name);
    if (listing.directory != target || key.empty())
        return;
    if (present)
        listing.names.insert(std::move(key));
    else
        listing.names.erase(key);
}

// The target directory, held open for the rest of the visit: its free space
// and the names of each copy are asked of this one handle, so a directory
// renamed meanwhile never gets half of a copy's names.
OpenDirectory* DirectoryVisit::holdTargetDir(const std::string& directory, uint32_t& error)
{
    error = 0;
    TargetHold& held = hold;
    if (held.dir && held.dirPath == directory)
        return held.dir.get();
    holdTargetDir(directory, run_.fs_.openDirectory(directory, error));
    return held.dir.get();
}

void DirectoryVisit::holdTargetDir(const std::string& directory, std::unique_ptr<OpenDirectory> made)
{
    releaseTargetDir();
    hold.dir = std::move(made);
    if (hold.dir)
        hold.dirPath = directory;
}

// The held target directory when `targetFile` lies in it, with the file's
// name there.
OpenDirectory* DirectoryVisit::inHeldTargetDir(const std::string& targetFile, std::string& name)
{
    const TargetHold& held = hold;
    if (!held.dir || targetFile.size() <= held.dirPath.size() || !targetFile.starts_with(held.dirPath) ||
        targetFile.find('\\', held.dirPath.size()) != std::string::npos)
        return nullptr;
    name = targetFile.substr(held.dirPath.size());
    return held.dir.get();
}

void DirectoryVisit::releaseTargetDir()
{
    hold.dir.reset();
    hold.dirPath.clear();
    hold.fileSystem.reset();
    hold.fixedDisk.reset();
}

// Asked of the held directory, once while it is held: a volume mounted in a
// folder answers for itself, and after a prompt the medium may be another.
std::string DirectoryVisit::targetFileSystem(const std::string& target)
{
    uint32_t error = 0;
    OpenDirectory* held = holdTargetDir(target, error);
    if (!held)
        return {};
    if (!hold.fileSystem) {
        std::string name;
        hold.fileSystem = held->fileSystemName(name) == 0 ? name : std::string();
    }
    return *hold.fileSystem;
}

bool DirectoryVisit::targetOnFixedDisk(const std::string& targetFile)
{
    std::string name;
    OpenDirectory* held = inHeldTargetDir(targetFile, name);
    if (!held)
        return false;
    if (!hold.fixedDisk)
        hold.fixedDisk = held->onFixedDisk();
    return *hold.fixedDisk;
}

// A file this copy wrote: its temporary, or the copy itself when it took its
// real name before its close failed. Through the directory that holds the
// copy's other names while it is held.
void DirectoryVisit::removeOwnCopy(const std::string& file)
{
    std::string name;
    if (OpenDirectory* held = inHeldTargetDir(file, name))
        held->deleteFile(name);
    else
        DeleteFileForced(run_.fs_, file);
}

}  // namespace tresorix
