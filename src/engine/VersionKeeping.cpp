// Versions of replaced copies. Before a new copy takes the name of an old
// one, the old copy moves (a rename on its own volume, never a copy) into
// "<entry target>\Tresorix-Versionen\<run start>\<path below the entry
// target>"; at the end of a run, run folders older than the days to keep go.
// A damaged or encrypted source is newer too: without its version the next
// run would replace the only good copy.
#include "engine/VersionKeeping.h"

#include "engine/Backup.h"

#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "engine/Mask.h"
#include "engine/Mirror.h"
#include "ui/Prompts.h"

#include <algorithm>
#include <unordered_set>

namespace tresorix {

namespace {

std::string versionsFolderOf(const std::string& entryTarget)
{
    return entryTarget + std::string(kVersionsFolder) + "\\";
}

}  // namespace

void VersionKeeper::prepare(const std::vector<std::string>& targets)
{
    if (days_ <= 0)
        return;
    std::unordered_set<std::string> done;
    std::vector<Stamp> taken;
    int64_t newest = 0;
    for (const std::string& target : targets) {
        if (!IsFullPath(target) || !done.insert(FoldedKey(target)).second)
            continue;
        for (const auto& [stamp, folder] : runFolders(target)) {
            taken.push_back(stamp);
            newest = std::max(newest, StampSeconds(stamp));
        }
    }
    while (std::find(taken.begin(), taken.end(), started_) != taken.end())
        started_ = NextSecond(started_);
    clockSetBack_ = newest > StampSeconds(asked_);
    if (clockSetBack_ && run_.log_)
        run_.log_->mirrorNote("Die Uhr steht vor dem jüngsten Versionsordner: in diesem Lauf werden weder "
                              "Versionen entfernt noch wird gespiegelt.");
}

bool VersionKeeper::versionWanted(const std::string& targetFile) const
{
    return days_ > 0 && !run_.caches_.entryTargets.empty() && !savedHere_.contains(FoldedKey(targetFile));
}

// False when the old copy stays where it is and the new one must not take
// its name: the user answered No (the file is passed over) or Cancel.
bool VersionKeeper::keepVersion(const std::string& targetFile)
{
    const std::optional<std::string> version = VersionPath(run_.caches_.entryTargets.back(), started_, targetFile);
    if (!version)
        return true;
    const std::string folder = version->substr(0, version->rfind('\\') + 1);
    for (;;) {
        uint32_t error = ForceDirectory(run_.fs_, folder);
        if (error == 0)
            error = run_.fs_.renameFile(targetFile, *version, false);
        if (error == 0) {
            if (run_.log_)
                run_.log_->versionKept(targetFile, *version);
            return true;
        }
        const ButtonResult answer = run_.ask(true,
                                    "Konnte die bisherige Zieldatei \"" + targetFile + "\" nicht aufbewahren (nach \"" +
                                        *version + "\").\r\nFehler: " + ErrorText(uint16_t(error)) +
                                        "\r\nOhne sie wird die Datei nicht ersetzt. Erneut versuchen ?",
                                    btnYes | btnNo | btnCancel, {mrNo, targetFile});
        if (run_.state_.cancelled() || answer == mrNo)
            return false;
    }
}

// The run folders below an entry's target, oldest first. Folders of any
// other name are not ours, nor is a link of a run folder's name: what it
// leads to is someone else's.
std::vector<std::pair<Stamp, std::string>> VersionKeeper::runFolders(const std::string& entryTarget)
{
    std::vector<std::pair<Stamp, std::string>> folders;
    const std::string versions = versionsFolderOf(entryTarget);
    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = run_.fs_.list(versions, error);
    FileEntry entry;
    while (listing && listing->next(entry))
        if (entry.isDirectory() && !IsLink(entry))
            if (std::optional<Stamp> stamp = ParseStamp(entry.name))
                folders.emplace_back(*stamp, versions + entry.name + "\\");
    std::sort(folders.begin(), folders.end(),
              [](const auto& a, const auto& b) { return StampSeconds(a.first) < StampSeconds(b.first); });
    return folders;
}

// What removing the directory frees on its own volume: a link inside frees
// nothing there, whatever it leads to.
uint64_t VersionKeeper::treeSize(const std::string& directory)
{
    uint64_t total = 0;
    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = run_.fs_.list(directory, error);
    FileEntry entry;
    while (listing && listing->next(entry)) {
        run_.view_.keepAnswering();
        if (entry.name == "." || entry.name == ".." || IsLink(entry))
            continue;
        uint64_t bytes = 0;
        if (entry.isDirectory())
            bytes = treeSize(directory + entry.name + "\\");
        else if (run_.fs_.allocatedSize(directory + entry.name, bytes) != 0)
            bytes = 0;  // unknown frees nothing we could count on
        total += bytes;
    }
    return total;
}

// A versions folder reached through a mount point lies on another volume:
// emptying it makes no room for the target. Unknown counts as elsewhere.
bool VersionKeeper::onVolumeOf(const std::string& target, const std::string& versions)
{
    FileId targetId, versionsId;
    return run_.fs_.directoryId(target, targetId) == 0 && run_.fs_.directoryId(versions, versionsId) == 0 &&
           targetId.volume == versionsId.volume;
}

// Removes a directory and what it holds; a link inside, at any depth, is
// removed itself, never followed, or stays where the system cannot remove
// it without following it. The first error, or 0.
uint32_t VersionKeeper::removeTree(const std::string& directory)
{
    uint32_t first = 0;
    auto keep = [&first](uint32_t error) {
        if (first == 0)
            first = error;
    };
    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = run_.fs_.list(directory, error);
    keep(error);
    FileEntry entry;
    while (listing && listing->next(entry)) {
        // A run folder may hold thousands of files: the windows keep answering.
        run_.view_.keepAnswering();
        if (entry.name == "." || entry.name == "..")
            continue;
        const std::string path = directory + entry.name;
        if (entry.isDirectory())
            keep(IsLink(entry) ? run_.fs_.removeDirectory(path) : removeTree(path + "\\"));
        else
            keep(DeleteFileForced(run_.fs_, path) ? 0u : uint32_t(errAccessDenied));
    }
    keep(run_.fs_.removeDirectory(directory.substr(0, directory.size() - 1)));
    return first;
}

// The medium cannot hold a new copy of `size` bytes with `free` of them
// free. Earlier runs' folders of this entry's target go, oldest first and
// no more than needed, but only when together with the free space they
// hold the copy: deleting versions that still leave it short would lose
// them for nothing. The old copy frees nothing, as it moves into the
// versions. True when any went, so that the space is asked again.
bool VersionKeeper::makeRoomFromVersions(const std::string& target, uint64_t size, uint64_t free)
{
    if (days_ <= 0 || run_.caches_.entryTargets.empty() || clockSetBack_)
        return false;
    const std::string& entryTarget = run_.caches_.entryTargets.back();
    std::vector<std::string> needed;
    uint64_t room = free;
    if (onVolumeOf(target, versionsFolderOf(entryTarget)))
        for (const auto& [stamp, folder] : runFolders(entryTarget)) {
            // The only copies of files the mirroring moved stay their days.
            if (stamp == started_ || (!expired(stamp) && run_.mirror_->holdsMovedFiles(entryTarget, stamp)))
                continue;
            needed.push_back(folder);
            room += treeSize(folder);
            if (room >= size)
                break;
        }
    if (room < size) {
        if (run_.log_ && !needed.empty())
            run_.log_->versionsWouldNotHelp(target);
        return false;
    }
    for (const std::string& folder : needed) {
        const uint32_t error = removeTree(folder);
        if (run_.log_)
            run_.log_->versionFolderRemoved(folder, "Platz für " + target, error);
    }
    return !needed.empty();
}

bool VersionKeeper::mayRemoveOldCopy(const std::string& targetFile)
{
    if (days_ <= 0)
        return true;
    if (run_.log_)
        run_.log_->oldCopyKeptForVersion(targetFile);
    return false;
}

// At the end of every run, once its copies are complete: in the versions
// folder of every entry target the run reached, the run folders older than
// the days to keep. A removal that fails is on record, never asked about.
void VersionKeeper::pruneVersions()
{
    if (days_ <= 0 || clockSetBack_)
        return;
    std::unordered_set<std::string> done;
    for (const std::string& entryTarget : run_.caches_.entryTargets) {
        if (!IsFullPath(entryTarget) || !done.insert(FoldedKey(entryTarget)).second)
            continue;
        for (const auto& [stamp, folder] : runFolders(entryTarget)) {
            if (!expired(stamp))
                break;
            const uint32_t error = removeTree(folder);
            if (run_.log_)
                run_.log_->versionFolderRemoved(folder, "älter als " + std::to_string(days_) + " Tage", error);
        }
    }
    run_.flushLog();
}

void VersionKeeper::noteSaved(const std::string& targetFile)
{
    if (days_ > 0)
        savedHere_.insert(FoldedKey(targetFile));
}

bool VersionKeeper::isVersionsFolder(const std::string& directory) const
{
    const std::vector<std::string>& entryTargets = run_.caches_.entryTargets;
    return std::any_of(entryTargets.begin(), entryTargets.end(), [&](const std::string& entryTarget) {
        return EqualsIgnoreCase(directory, versionsFolderOf(entryTarget));
    });
}

}  // namespace tresorix
