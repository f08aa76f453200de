// The directory walk: one directory's matching files, then its
// subdirectories, with the guards that keep a walk from running in circles.
#include "engine/EntryWalk.h"

#include "engine/Backup.h"

#include "engine/DirectoryVisit.h"
#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "engine/Mask.h"
#include "engine/Mirror.h"
#include "engine/VersionKeeping.h"
#include "ui/Prompts.h"

#include <algorithm>
#include <unordered_set>

namespace tresorix {

namespace {

constexpr const char* kIntoItself = "Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.";

// Whether `target` is, or lies below, the versions folder of an entry
// target: what is copied there passes for a run folder's content and goes
// when the run folders are pruned.
bool inVersionsFolder(const std::string& target, const std::vector<std::string>& entryTargets)
{
    return std::any_of(entryTargets.begin(), entryTargets.end(), [&](const std::string& entryTarget) {
        const std::string folder = entryTarget + std::string(kVersionsFolder) + "\\";
        return target.size() >= folder.size() &&
               EqualsIgnoreCase(std::string_view(target).substr(0, folder.size()), folder);
    });
}

// The names that another one of the list equals but for case. The list is
// sorted without regard to case, so such names stand side by side.
std::unordered_set<std::string> caseTwins(const std::vector<FileEntry>& files)
{
    std::unordered_set<std::string> twins;
    for (size_t i = 1; i < files.size(); ++i) {
        const std::string &before = files[i - 1].name, &name = files[i].name;
        if (name != before && EqualsIgnoreCase(name, before)) {
            twins.insert(before);
            twins.insert(name);
        }
    }
    return twins;
}

}  // namespace

void EntryWalk::BackupDirectory(const std::string& source, const std::string& mask, const std::string& target,
                                bool recurse)
{
    run_.finishCopies();
    run_.view_.processMessages();
    if (run_.state_.cancelled())
        return;
    // A backup tree put back into the source, or a target inside the source:
    // neither its files nor its subdirectories are copied, as the pruning of
    // the run folders would take them by date.
    if (run_.versions_->keepsVersions() && inVersionsFolder(target, run_.caches_.entryTargets)) {
        run_.notePassedOver(source);
        run_.state_.passedOverAfterError = true;
        return;
    }
    run_.visit_ = std::make_unique<DirectoryVisit>(run_);
    run_.view_.setFile("");
    run_.view_.setSource("");
    run_.view_.setTarget("");
    run_.view_.setFileProgress(0);
    run_.view_.setDirProgress(0);

    // The subdirectories the files' listing saw, while the directory's stamp
    // says that nothing came or went since; otherwise they are listed afresh,
    // so that one made during the visit is walked too.
    std::optional<std::vector<FileEntry>> subdirs;
    std::string upperSource = UpperCaseUmlaut(source);
    if (UpperCaseUmlaut(target) == upperSource) {
        skipDirectory("Fehler: Zielverzeichnis und Quellverzeichnis sind identisch.", source, target,
                      run_.state_.skipSameDirPrompt);
    } else if (run_.state_.made.contains(upperSource)) {
        skipDirectory(kIntoItself, source, target, run_.state_.skipRecursionPrompt);
    } else if (mayBeOwn(source) && ownDirectory(source)) {
        // The backup's own tree under another name: nothing in it is the user's.
        skipDirectory(kIntoItself, source, target, run_.state_.skipRecursionPrompt);
        return;
    } else {
        if (walkPath_.empty() && !stampsChecked_) {
            stampsChecked_ = true;
            stampsHold_ = run_.fs_.keepsDirectoryTimes(source);
        }
        const std::optional<uint64_t> stamp =
            recurse && stampsHold_ ? run_.fs_.directoryStamp(source) : std::nullopt;
        // A list of its own: one kept from an earlier walk of the same
        // directory and mask would not show what changed since.
        MatchingFileList fileList;
        uint32_t error = FillFileList(run_.fs_, fileList, source, mask);
        if (error != 0) {
            sourceFailure(source, error);
            return;
        }
        // Copied only for an entry with exclusions: without, a directory
        // costs what it always did.
        std::vector<FileEntry> kept;
        if (!excluded_.files.empty())
            kept = leaveOutFiles(fileList.entries());
        const std::vector<FileEntry>& files = excluded_.files.empty() ? fileList.entries() : kept;
        run_.visit_->caseTwins = caseTwins(files);
        if (run_.mirror_->recording())
            run_.mirror_->listed(source, target, mask, fileList, files.size(),
                                 !walkPath_.empty() && walkPath_.back().belowLink);
        uint64_t dirCount = files.size();
        run_.view_.setDirProgress(0);
        run_.view_.setSource(source + mask);
        uint64_t dirDone = 0;
        for (const FileEntry& entry : files) {
            bool again = false;
            do {
                run_.view_.processMessages();
                if (run_.state_.cancelled())
                    break;
                run_.view_.setTarget(target);
                run_.view_.setStatusText(source + entry.name);
                run_.view_.setFile(entry.name);
                if (!again) {
                    ++run_.state_.checkedFiles;
                    run_.state_.checkedBytes += entry.size;
                    ++dirDone;
                    run_.view_.setChecked(run_.state_.checkedFiles, run_.state_.checkedBytes);
                    run_.view_.setFileProgress(0);
                    run_.view_.bringToFront();
                    run_.view_.processMessages();
                }
                again = run_.BackupFile(source, target, entry, dirDone, dirCount);
            } while (again && !run_.state_.cancelled());
            if (run_.state_.cancelled() || run_.caches_.targetDriveGone)
                break;
        }
        // The visit's copies have their names before its target is let go.
        run_.finishCopies();
        run_.visit_->retryCollided(source, target);
        run_.view_.flush();
        // At or below a link or mount point the stamp is the link's own,
        // which nothing below it moves.
        const bool belowLink = !walkPath_.empty() && walkPath_.back().belowLink;
        if (stamp && !belowLink && run_.fs_.directoryStamp(source) == stamp)
            subdirs = fileList.subdirectories();
    }

    if (recurse && !run_.state_.cancelled() && !run_.caches_.targetDriveGone)
        walkSubdirectories(source, mask, target, subdirs ? &*subdirs : nullptr);
}

// Excluded files are neither checked nor saved: the counters go on as if
// they were not there.
std::vector<FileEntry> EntryWalk::leaveOutFiles(const std::vector<FileEntry>& listed)
{
    std::vector<FileEntry> kept;
    kept.reserve(listed.size());
    for (const FileEntry& file : listed) {
        if (MatchesAnyMask(file.name, excluded_.files))
            ++leftOutFiles_;
        else
            kept.push_back(file);
    }
    return kept;
}

// Named by its path, as a count alone would not tell the user which of
// many "Cache" directories the backup lacks.
void EntryWalk::leaveOutDirectory(const std::string& directory)
{
    if (leftOutDirectories_.insert(directory).second && run_.log_)
        run_.log_->directoryLeftOut(directory);
}

// A source directory that cannot be entered or listed ends the run. A link
// or junction below the entry's source is passed over, and logged, when it
// leads nowhere (its target gone, its drive or share not there), which the
// exit code and the summary tell; and silently when it refuses its listing,
// as Windows keeps such links in every user profile for older programs. A
// source that itself leads nowhere is a missing source.
void EntryWalk::sourceFailure(const std::string& source, uint32_t error)
{
    const bool root = walkPath_.size() <= 1;
    const bool leadsNowhere = error == errFileNotFound || error == errPathNotFound || error == errDriveNotReady ||
                              error == errBadNetPath || error == errBadNetName;
    if (!root && walkPath_.back().link && leadsNowhere) {
        ++run_.state_.deadLinks;
        run_.state_.passedOverAfterError = true;
        run_.notePassedOver(source);
        return;
    }
    if (error == errAccessDenied && (root ? rootIsLink(source) : walkPath_.back().link)) {
        run_.notePassedOver(source);
        return;
    }
    run_.caches_.sourceFailed = true;
    run_.view_.flush();
    run_.ask(false,
        "Fehler: Konnte nicht in das Quellverzeichnis \"" + source + "\" wechseln.\r\nFehlermeldung: " +
            ErrorText(uint16_t(error)),
        btnOK);
}

// Asked only when the source cannot be listed: its parent's listing, which
// tells every other directory's kind, is not read for it.
bool EntryWalk::rootIsLink(const std::string& source)
{
    // Without the final backslash: with it, the system answers for the
    // link's target.
    FileEntry entry;
    const std::string link = source.size() > 3 ? source.substr(0, source.size() - 1) : source;
    return run_.fs_.find(link, entry) == 0 && IsLink(entry);
}

// Tells why a directory's files are skipped, unless All silenced that reason.
void EntryWalk::skipDirectory(const std::string& reason, const std::string& source, const std::string& target,
                              bool& silenced)
{
    if (silenced)
        return run_.notePassedOver(source);
    if (run_.ask(false,
            reason + "\r\nQuellverzeichnis: " + source + "\r\nZielverzeichnis:    " + target +
                "\r\nDieses Verzeichnis wird übersprungen.",
            btnOK | btnCancel | btnAll, {mrOk, source}) == mrAll)
        silenced = true;
}

// Links and junctions are followed, as users keep data behind them, but one
// that leads back to a directory the walk is in already would never end.
void EntryWalk::walkSubdirectories(const std::string& source, const std::string& mask, const std::string& target,
                                   const std::vector<FileEntry>* listed)
{
    std::vector<WalkLevel>& walkPath = walkPath_;
    const bool outermost = walkPath.empty();
    if (outermost)
        walkPath.push_back({source, false, std::nullopt, false});
    uint32_t listError = 0;
    std::unique_ptr<FileListing> subdirs = listed ? nullptr : run_.fs_.list(source, listError);
    size_t at = 0;
    auto next = [&](FileEntry& entry) {
        if (!listed)
            return subdirs && subdirs->next(entry);
        if (at == listed->size())
            return false;
        entry = (*listed)[at++];
        return true;
    };
    FileEntry entry;
    while (!run_.state_.cancelled() && !run_.caches_.sourceFailed && !run_.caches_.targetDriveGone &&
           next(entry)) {
        if (!entry.isDirectory() || entry.name == "." || entry.name == "..")
            continue;
        const std::string sub = source + entry.name + "\\";
        // The versions folder is the program's own, whichever run made it.
        if (EqualsIgnoreCase(entry.name, kVersionsFolder) && run_.versions_->isVersionsFolder(sub))
            continue;
        if (MatchesAnyMask(entry.name, excluded_.directories)) {
            leaveOutDirectory(sub);
            continue;
        }
        const bool link = IsLink(entry);
        if (walkPath.size() > kMaxWalkDepth) {
            tooDeep(sub);
            continue;
        }
        if (link && onWalkPath(sub)) {
            run_.notePassedOver(sub);
            continue;
        }
        walkPath.push_back({sub, false, std::nullopt, link || walkPath.back().belowLink, entry.index, link});
        BackupDirectory(sub, mask, target + entry.name + "\\", true);
        walkPath.pop_back();
    }
    if (subdirs && subdirs->error() && !run_.state_.cancelled() && !run_.caches_.sourceFailed)
        sourceFailure(source, subdirs->error());
    if (outermost)
        walkPath.pop_back();
}

// Whether a directory could be one of the run's own, reached under another
// name: at an entry's root and below a link, and anywhere when the entry's
// source shares a volume with a target (a second drive letter, a share of
// the same disk, a short name). Elsewhere no identity is asked.
bool EntryWalk::mayBeOwn(const std::string& source)
{
    if (!walkPath_.empty())
        return walkPath_.back().belowLink || sharesVolume_;
    FileId root, target, index;
    sharesVolume_ = false;
    FileSystem& fs = run_.fs_;
    if (fs.directoryId(source, root) == 0)
        for (const std::string& directory : run_.caches_.entryTargets)
            if (fs.directoryId(DeepestExistingLevel(fs, directory), target) == 0 && target.volume == root.volume)
                sharesVolume_ = true;
    volume_ = root.volume;
    // Then its listings' indexes serve as identities; on ReFS they do not.
    indexesAgree_ = root.known() && root.indexHigh == 0 && fs.directoryIndex(source, index) == 0 &&
                    index.index == root.index;
    return true;
}

// Whether `directory` is one the walk is in, by volume and file identity; a
// directory whose identity cannot be asked is taken for a new one.
bool EntryWalk::onWalkPath(const std::string& directory)
{
    FileId id;
    if (run_.fs_.directoryId(directory, id) != 0 || !id.known())
        return false;
    for (WalkLevel& level : walkPath_) {
        if (!level.identified) {
            level.identified = true;
            FileId own;
            if (run_.fs_.directoryId(level.directory, own) == 0)
                level.id = own;
        }
        if (level.id == id)
            return true;
    }
    return false;
}

// The run's own directories are known by identity too, for a link that
// leads into them under a path of its own. Their identities are asked when
// the first such question comes, each once.
bool EntryWalk::ownDirectory(const std::string& directory)
{
    // Walked to from the root without a link or mount point, it lies on
    // the root's volume, whose indexes may serve as its identity: then the
    // one its parent's listing gave costs nothing.
    const bool byIndex = indexesAgree_ && !walkPath_.empty() && !walkPath_.back().belowLink;
    FileId id{0, byIndex ? walkPath_.back().index : 0, 0};
    FileSystem& fs = run_.fs_;
    if (!id.known() && (byIndex ? fs.directoryIndex(directory, id) : fs.directoryId(directory, id)) != 0)
        return false;
    if (!id.known())
        return false;
    if (byIndex)
        id = {volume_, id.index, 0};
    auto& caches = run_.caches_;
    for (; caches.entryTargetsIdentified < caches.entryTargets.size(); ++caches.entryTargetsIdentified) {
        FileId own;
        if (fs.directoryId(caches.entryTargets[caches.entryTargetsIdentified], own) == 0)
            caches.entryTargetIds.push_back(own);
    }
    const bool made = run_.state_.made.containsId(fs, id, indexesAgree_ && id.volume == volume_);
    const std::vector<FileId>& ids = caches.entryTargetIds;
    return made || std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Said once for each entry: a tree deeper than this is a loop that no guard
// recognised, or a tree no program can open anyway.
void EntryWalk::tooDeep(const std::string& directory)
{
    if (depthTold_)
        return run_.notePassedOver(directory);
    depthTold_ = true;
    run_.ask(false,
        "Das Verzeichnis \"" + directory + "\" liegt mehr als " + std::to_string(kMaxWalkDepth) +
            " Ebenen tief.\r\nEs wird mit seinen Unterverzeichnissen übersprungen.",
        btnOK, {mrOk, directory});
}

}  // namespace tresorix
