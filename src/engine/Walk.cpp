// The directory walk: one directory's matching files, then its
// subdirectories, with the guards that keep a walk from running in circles.
#include "engine/Backup.h"

#include "engine/DirectoryVisit.h"
#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "engine/Mask.h"
#include "engine/VersionKeeping.h"
#include "ui/Prompts.h"

#include <algorithm>

namespace tresorix {

void BackupRun::BackupDirectory(const std::string& source, const std::string& mask, const std::string& target,
                                bool recurse)
{
    finishCopies();
    view_.processMessages();
    if (state_.cancelled())
        return;
    visit_ = std::make_unique<DirectoryVisit>(*this);
    view_.setFile("");
    view_.setSource("");
    view_.setTarget("");
    view_.setFileProgress(0);
    view_.setDirProgress(0);

    // The subdirectories the files' listing saw, while the directory's stamp
    // says that nothing came or went since; otherwise they are listed afresh,
    // so that one made during the visit is walked too.
    std::optional<std::vector<FileEntry>> subdirs;
    std::string upperSource = UpperCaseUmlaut(source);
    if (UpperCaseUmlaut(target) == upperSource) {
        skipDirectory("Fehler: Zielverzeichnis und Quellverzeichnis sind identisch.", source, target,
                      state_.skipSameDirPrompt);
    } else if (state_.made.contains(upperSource)) {
        skipDirectory("Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.", source, target,
                      state_.skipRecursionPrompt);
    } else if (mayBeOwn(source) && ownDirectory(source)) {
        // The backup's own tree under another name: nothing in it is the user's.
        skipDirectory("Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.", source, target,
                      state_.skipRecursionPrompt);
        return;
    } else {
        if (caches_.walkPath.empty() && !entry_.stampsChecked) {
            entry_.stampsChecked = true;
            entry_.stampsHold = fs_.keepsDirectoryTimes(source);
        }
        const std::optional<uint64_t> stamp =
            recurse && entry_.stampsHold ? fs_.directoryStamp(source) : std::nullopt;
        // A list of its own: one kept from an earlier walk of the same
        // directory and mask would not show what changed since.
        MatchingFileList fileList;
        uint32_t error = FillFileList(fs_, fileList, source, mask);
        if (error != 0) {
            sourceFailure(source, error);
            return;
        }
        uint64_t dirCount = fileList.count();
        view_.setDirProgress(0);
        view_.setSource(source + mask);
        uint64_t dirDone = 0;
        for (const FileEntry& entry : fileList.entries()) {
            bool again = false;
            do {
                view_.processMessages();
                if (state_.cancelled())
                    break;
                view_.setTarget(target);
                view_.setStatusText(source + entry.name);
                view_.setFile(entry.name);
                if (!again) {
                    ++state_.checkedFiles;
                    state_.checkedBytes += entry.size;
                    ++dirDone;
                    view_.setChecked(state_.checkedFiles, state_.checkedBytes);
                    view_.setFileProgress(0);
                    view_.bringToFront();
                    view_.processMessages();
                }
                again = BackupFile(source, target, entry, dirDone, dirCount);
            } while (again && !state_.cancelled());
            if (state_.cancelled())
                break;
        }
        // The visit's copies have their names before its target is let go.
        finishCopies();
        visit_->retryCollided(source, target);
        view_.flush();
        // At or below a link or mount point the stamp is the link's own,
        // which nothing below it moves.
        const bool belowLink = !caches_.walkPath.empty() && caches_.walkPath.back().belowLink;
        if (stamp && !belowLink && fs_.directoryStamp(source) == stamp)
            subdirs = fileList.subdirectories();
    }

    if (recurse && !state_.cancelled())
        walkSubdirectories(source, mask, target, subdirs ? &*subdirs : nullptr);
}

// A source directory that cannot be entered or listed ends the run; only a
// link or junction is passed over, and logged, when it refuses its listing
// (Windows keeps such links in every user profile for older programs) or
// leads nowhere: its target gone, its drive or share not there.
void BackupRun::sourceFailure(const std::string& source, uint32_t error)
{
    const bool linkMayCause = error == errAccessDenied || error == errFileNotFound || error == errPathNotFound ||
                              error == errDriveNotReady || error == errBadNetPath || error == errBadNetName;
    // Without the final backslash: with it, the system answers for the
    // link's target.
    uint32_t attributes = 0;
    const std::string link = source.size() > 3 ? source.substr(0, source.size() - 1) : source;
    if (linkMayCause && fs_.getAttributes(link, attributes) == 0 && (attributes & attrReparsePoint)) {
        notePassedOver(source);
        return;
    }
    caches_.sourceFailed = true;
    view_.flush();
    ask(false,
        "Fehler: Konnte nicht in das Quellverzeichnis \"" + source + "\" wechseln.\r\nFehlermeldung: " +
            ErrorText(uint16_t(error)),
        btnOK);
}

// Tells why a directory's files are skipped, unless All silenced that reason.
void BackupRun::skipDirectory(const std::string& reason, const std::string& source, const std::string& target,
                              bool& silenced)
{
    if (silenced)
        return notePassedOver(source);
    if (ask(false,
            reason + "\r\nQuellverzeichnis: " + source + "\r\nZielverzeichnis:    " + target +
                "\r\nDieses Verzeichnis wird übersprungen.",
            btnOK | btnCancel | btnAll, {mrOk, source}) == mrAll)
        silenced = true;
}

// Links and junctions are followed, as users keep data behind them, but one
// that leads back to a directory the walk is in already would never end.
void BackupRun::walkSubdirectories(const std::string& source, const std::string& mask, const std::string& target,
                                   const std::vector<FileEntry>* listed)
{
    std::vector<WalkLevel>& walkPath = caches_.walkPath;
    const bool outermost = walkPath.empty();
    if (outermost)
        walkPath.push_back({source, false, std::nullopt, false});
    uint32_t listError = 0;
    std::unique_ptr<FileListing> subdirs = listed ? nullptr : fs_.list(source, listError);
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
    while (!state_.cancelled() && !caches_.sourceFailed && next(entry)) {
        if (!entry.isDirectory() || entry.name == "." || entry.name == "..")
            continue;
        const std::string sub = source + entry.name + "\\";
        // The versions folder is the program's own, whichever run made it.
        if (EqualsIgnoreCase(entry.name, kVersionsFolder) && versions_->isVersionsFolder(sub))
            continue;
        const bool link = entry.attributes & attrReparsePoint;
        if (walkPath.size() > kMaxWalkDepth) {
            tooDeep(sub);
            continue;
        }
        if (link && onWalkPath(sub)) {
            notePassedOver(sub);
            continue;
        }
        walkPath.push_back({sub, false, std::nullopt, link || walkPath.back().belowLink, entry.index});
        BackupDirectory(sub, mask, target + entry.name + "\\", true);
        walkPath.pop_back();
    }
    if (subdirs && subdirs->error() && !state_.cancelled() && !caches_.sourceFailed)
        sourceFailure(source, subdirs->error());
    if (outermost)
        walkPath.pop_back();
}

// Whether a directory could be one of the run's own, reached under another
// name: at an entry's root and below a link, and anywhere when the entry's
// source shares a volume with a target (a second drive letter, a share of
// the same disk, a short name). Elsewhere no identity is asked.
bool BackupRun::mayBeOwn(const std::string& source)
{
    if (!caches_.walkPath.empty())
        return caches_.walkPath.back().belowLink || entry_.sharesVolume;
    FileId root, target;
    entry_.sharesVolume = false;
    if (fs_.directoryId(source, root) == 0)
        for (const std::string& directory : caches_.entryTargets)
            if (fs_.directoryId(DeepestExistingLevel(fs_, directory), target) == 0 && target.volume == root.volume)
                entry_.sharesVolume = true;
    entry_.volume = root.volume;
    return true;
}

// Whether `directory` is one the walk is in, by volume and file identity; a
// directory whose identity cannot be asked is taken for a new one.
bool BackupRun::onWalkPath(const std::string& directory)
{
    FileId id;
    if (fs_.directoryId(directory, id) != 0 || !id.known())
        return false;
    for (WalkLevel& level : caches_.walkPath) {
        if (!level.identified) {
            level.identified = true;
            FileId own;
            if (fs_.directoryId(level.directory, own) == 0)
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
bool BackupRun::ownDirectory(const std::string& directory)
{
    // Walked to from the root without a link or mount point, it lies on
    // the root's volume.
    const bool onRootVolume = !caches_.walkPath.empty() && !caches_.walkPath.back().belowLink;
    // Its index came with its parent's listing, where the system gives it.
    FileId id{0, onRootVolume ? caches_.walkPath.back().index : 0, 0};
    if (!id.known() && (onRootVolume ? fs_.directoryIndex(directory, id) : fs_.directoryId(directory, id)) != 0)
        return false;
    if (!id.known())
        return false;
    if (onRootVolume)
        id.volume = entry_.volume;
    for (; caches_.entryTargetsIdentified < caches_.entryTargets.size(); ++caches_.entryTargetsIdentified) {
        FileId own;
        if (fs_.directoryId(caches_.entryTargets[caches_.entryTargetsIdentified], own) == 0)
            caches_.entryTargetIds.push_back(own);
    }
    const bool made = state_.made.containsId(fs_, id);
    const std::vector<FileId>& ids = caches_.entryTargetIds;
    return made || std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Said once for each entry: a tree deeper than this is a loop that no guard
// recognised, or a tree no program can open anyway.
void BackupRun::tooDeep(const std::string& directory)
{
    if (entry_.depthTold)
        return notePassedOver(directory);
    entry_.depthTold = true;
    ask(false,
        "Das Verzeichnis \"" + directory + "\" liegt mehr als " + std::to_string(kMaxWalkDepth) +
            " Ebenen tief.\r\nEs wird mit seinen Unterverzeichnissen übersprungen.",
        btnOK, {mrOk, directory});
}

}  // namespace tresorix
