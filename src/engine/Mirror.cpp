// Mirroring into the versions. A mirror that moves the wrong files moves the
// user's only copies, and the pruning deletes them some days later; so every
// rule here leans to moving nothing. The walk records, per entry, which
// target directories had their source directory listed completely and what
// that listing held; at the end of a whole run, a target file of such a
// directory that matches the entry's masks, is excluded by nothing, was
// looked at by no walk of the run and whose source is "not found" when asked
// once more moves (a rename, nothing else) into the run folder. Only where
// an earlier mirroring run left a marker that names this source and the
// same volumes.
#include "engine/Mirror.h"

#include "engine/Backup.h"
#include "engine/FileHelpers.h"
#include "engine/FileList.h"
#include "engine/Mask.h"
#include "engine/VersionKeeping.h"
#include "ui/Prompts.h"

#include <algorithm>

namespace tresorix {

namespace {

// More than this many files, and more than half of what an entry would
// otherwise keep, is asked about first.
constexpr uint64_t kMassMoveFiles = 10;

std::string markerPath(const std::string& target)
{
    return target + std::string(kVersionsFolder) + "\\" + std::string(kMirrorMarkerName);
}

bool isTemporary(const std::string& name)
{
    const size_t at = name.rfind(".~tresorix");
    return at != std::string::npos && name.find_first_not_of("0123456789", at + 10) == std::string::npos;
}

std::string hexVolume(uint64_t volume)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, volume >>= 4)
        text[size_t(i)] = kDigits[volume & 15];
    return text;
}

}  // namespace

void Mirror::startEntry(int number, const std::string& source, const std::string& target,
                        const std::vector<std::string>& masks, const Exclusions& excluded)
{
    Entry entry;
    entry.number = number;
    entry.source = source;
    entry.target = target;
    entry.masks = masks;
    entry.excluded = excluded;
    entries_.push_back(std::move(entry));
}

void Mirror::listed(const std::string& source, const std::string& target, const std::string& mask,
                    const MatchingFileList& list, uint64_t matching, bool belowLink)
{
    Entry& entry = entries_.back();
    entry.matching += matching;
    // What lies below a link is someone else's tree as often as the user's.
    if (belowLink)
        return;
    Listed& seen = entry.directories[FoldedKey(target)];
    seen.source = source;
    seen.masks.push_back(mask);
    for (const FileEntry& file : list.entries())
        seen.names.insert(FoldedKey(file.name));
    for (const FileEntry& directory : list.subdirectories())
        seen.names.insert(FoldedKey(directory.name));
}

void Mirror::lookedUp(const std::string& targetFile)
{
    lookedUp_.insert(FoldedKey(targetFile));
}

void Mirror::targetListed(const std::string& directory, std::vector<FileEntry> entries)
{
    targetListings_.insert_or_assign(FoldedKey(directory), std::move(entries));
}

void Mirror::entryEnded(bool walked)
{
    entries_.back().walked = walked;
}

void Mirror::note(const std::string& text)
{
    if (run_.log_)
        run_.log_->mirrorNote(text);
}

// Nothing moves, and the exit code sends the reader to the log.
void Mirror::refuse(const std::string& text)
{
    note(text);
    run_.state_.passedOverAfterError = true;
}

void Mirror::mirror(bool whole, size_t entryCount)
{
    if (!wanted_)
        return;
    if (!run_.versions_->keepsVersions()) {
        note("Spiegeln: nichts verschoben, denn es werden keine Versionen aufbewahrt; ohne sie gäbe es "
             "keinen Ort, an dem die Dateien sicher liegen.");
        return;
    }
    const bool walked = entries_.size() == entryCount &&
                        std::all_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.walked; });
    if (!whole || !walked) {
        note("Spiegeln: nichts verschoben, denn das Backup wurde nicht vollständig durchlaufen.");
        return;
    }
    if (run_.versions_->clockSetBack()) {
        note("Spiegeln: nichts verschoben, denn die Uhr steht vor dem jüngsten Versionsordner.");
        return;
    }
    run_.letGoBeforePrompt();
    // Entries that share a target are mirrored together, under one marker.
    std::vector<std::pair<std::string, std::vector<Entry*>>> targets;
    for (Entry& entry : entries_) {
        auto same = std::find_if(targets.begin(), targets.end(),
                                 [&](const auto& t) { return EqualsIgnoreCase(t.first, entry.target); });
        if (same == targets.end())
            targets.push_back({entry.target, {&entry}});
        else
            same->second.push_back(&entry);
    }
    for (auto& [target, entries] : targets)
        mirrorTarget(target, entries);
    run_.flushLog();
}

void Mirror::mirrorTarget(const std::string& target, std::vector<Entry*>& entries)
{
    FileId targetId;
    if (run_.fs_.directoryId(target, targetId) != 0 || targetId.volume == 0)
        return refuse("Spiegeln: nichts verschoben in " + target + ", denn sein Datenträger ist nicht zu erkennen.");
    MirrorMarker own{targetId.volume, {}, {}};
    for (const Entry* entry : entries) {
        FileId sourceId;
        if (run_.fs_.directoryId(entry->source, sourceId) != 0 || sourceId.volume == 0)
            return refuse("Spiegeln: nichts verschoben in " + target + ", denn der Datenträger der Quelle " +
                          entry->source + " ist nicht zu erkennen.");
        if (std::none_of(own.sources.begin(), own.sources.end(),
                         [&](const MirrorSource& s) { return EqualsIgnoreCase(s.path, entry->source); }))
            own.sources.push_back({entry->source, sourceId.volume});
    }

    bool present = false;
    std::optional<MirrorMarker> marker = readMarker(target, present);
    if (!present) {
        if (!writeMarker(target, own))
            return refuse("Spiegeln: die Markierung " + markerPath(target) + " konnte nicht geschrieben werden.");
        return note("Spiegeln: erster Lauf in " + target + ": nichts verschoben. Die Markierung " +
                    markerPath(target) + " nennt nun Quelle und Datenträger; erst der nächste Lauf verschiebt.");
    }
    if (!marker)
        return refuse("Spiegeln: nichts verschoben in " + target + ", denn die Markierung " + markerPath(target) +
                      " ist nicht lesbar.");
    if (marker->targetVolume != own.targetVolume)
        return refuse("Spiegeln: nichts verschoben in " + target + ", denn die Markierung nennt einen anderen "
                      "Datenträger (Seriennummer " + hexVolume(marker->targetVolume) + ", hier " +
                      hexVolume(own.targetVolume) + "): ein anderer Datenträger unter demselben Laufwerk?");

    std::vector<std::pair<const Entry*, Plan>> planned;
    std::unordered_set<std::string> plannedFiles;
    for (const Entry* entry : entries) {
        const std::string name = "Eintrag " + std::to_string(entry->number) + " (" + entry->source + ")";
        auto mirrored = std::find_if(marker->sources.begin(), marker->sources.end(),
                                     [&](const MirrorSource& s) { return EqualsIgnoreCase(s.path, entry->source); });
        const MirrorSource* mine = nullptr;
        for (const MirrorSource& s : own.sources)
            if (EqualsIgnoreCase(s.path, entry->source))
                mine = &s;
        if (mirrored == marker->sources.end()) {
            refuse("Spiegeln: " + name + ": nichts verschoben, denn die Markierung " + markerPath(target) +
                   " nennt diese Quelle nicht; in dieses Ziel wurde bisher eine andere gespiegelt.");
            continue;
        }
        if (mirrored->volume != mine->volume) {
            refuse("Spiegeln: " + name + ": nichts verschoben, denn die Quelle liegt auf einem anderen "
                   "Datenträger (Seriennummer " + hexVolume(mine->volume) + ", in der Markierung " +
                   hexVolume(mirrored->volume) + ").");
            continue;
        }
        // As if the source were missing: an unplugged sync folder, a volume
        // not mounted, would otherwise empty the whole target.
        if (entry->matching == 0) {
            note("Spiegeln: " + name + ": nichts verschoben, denn die Quelle enthält keine passende Datei.");
            continue;
        }
        auto root = entry->directories.find(FoldedKey(entry->target));
        if (root == entry->directories.end())
            continue;
        Plan plan;
        this->plan(*entry, entry->target, &root->second, entry->source, plan);
        // Two entries sharing a target may find the same file gone.
        std::erase_if(plan.moves, [&](const Move& m) { return !plannedFiles.insert(FoldedKey(m.targetFile)).second; });
        if (plan.moves.empty()) {
            note("Spiegeln: " + name + ": 0 Dateien in die Versionen verschoben.");
            continue;
        }
        if (plan.moves.size() > kMassMoveFiles && plan.moves.size() * 2 > plan.candidates) {
            const ButtonResult answer =
                run_.ask(true,
                         "Spiegeln: " + name + " würde " + std::to_string(plan.moves.size()) + " von " +
                             std::to_string(plan.candidates) +
                             " Dateien aus dem Ziel in die Versionen verschieben, da sie in der Quelle fehlen.\r\n"
                             "Sollen diese " + std::to_string(plan.moves.size()) + " Dateien verschoben werden ?",
                         btnYes | btnNo, {mrNo, name, true});
            if (answer != mrYes) {
                note("Spiegeln: " + name + ": nichts verschoben, da die Frage nach " +
                     std::to_string(plan.moves.size()) + " Dateien mit Nein beantwortet wurde.");
                continue;
            }
        }
        planned.emplace_back(entry, std::move(plan));
    }
    if (planned.empty())
        return;
    // On record before anything moves: the pruning for space must know the
    // run folder holds the only copies.
    const Stamp& stamp = run_.versions_->runStart();
    std::erase_if(marker->movedInto, [&](const Stamp& s) { return run_.versions_->expired(s) || s == stamp; });
    marker->movedInto.push_back(stamp);
    if (!writeMarker(target, *marker))
        return refuse("Spiegeln: nichts verschoben in " + target + ", denn die Markierung " + markerPath(target) +
                      " konnte nicht geschrieben werden.");
    movedInto_[FoldedKey(target)] = {false, marker->movedInto};
    for (const auto& [entry, plan] : planned)
        moveAll(*entry, plan);
}

// The directory's files that go, then its subdirectories: those the walk
// listed, and those whose source is gone.
void Mirror::plan(const Entry& entry, const std::string& targetDir, const Listed* listed,
                  const std::string& sourceDir, Plan& plan)
{
    const std::vector<FileEntry>* listing = targetListing(targetDir);
    if (!listing)
        return;
    const bool root = EqualsIgnoreCase(targetDir, entry.target);
    // Another backup's tree with versions of its own.
    if (!root && std::any_of(listing->begin(), listing->end(), [](const FileEntry& e) {
            return e.isDirectory() && EqualsIgnoreCase(e.name, kVersionsFolder);
        }))
        return;
    const std::vector<std::string>& masks = listed ? listed->masks : entry.masks;
    std::vector<const FileEntry*> subdirectories;
    for (const FileEntry& file : *listing) {
        if (file.name == "." || file.name == ".." || IsLink(file))
            continue;
        if (file.isDirectory()) {
            subdirectories.push_back(&file);
            continue;
        }
        // A copy's temporary name is the run's own, never the user's file.
        if ((file.attributes & attrVolumeLabel) || !MatchesAnyMask(file.name, masks) ||
            MatchesAnyMask(file.name, entry.excluded.files) || isTemporary(file.name))
            continue;
        ++plan.candidates;
        if ((listed && listed->names.contains(FoldedKey(file.name))) ||
            lookedUp_.contains(FoldedKey(targetDir + file.name)))
            continue;
        plan.moves.push_back({targetDir + file.name, sourceDir + file.name});
    }
    for (const FileEntry* directory : subdirectories) {
        const std::string sub = targetDir + directory->name + "\\";
        if (EqualsIgnoreCase(directory->name, kVersionsFolder) ||
            MatchesAnyMask(directory->name, entry.excluded.directories) || otherTargetInside(entry, sub))
            continue;
        auto walked = entry.directories.find(FoldedKey(sub));
        if (walked != entry.directories.end()) {
            this->plan(entry, sub, &walked->second, walked->second.source, plan);
        } else if (!listed || (!listed->names.contains(FoldedKey(directory->name)) &&
                               sourceGone(sourceDir + directory->name))) {
            plan.goneDirectories.push_back(sub);
            this->plan(entry, sub, nullptr, sourceDir + directory->name + "\\", plan);
        }
    }
}

// Another entry's target below this entry's: its files are that entry's.
bool Mirror::otherTargetInside(const Entry& entry, const std::string& directory) const
{
    const std::vector<std::string>& targets = run_.caches_.entryTargets;
    return std::any_of(targets.begin(), targets.end(), [&](const std::string& other) {
        return !EqualsIgnoreCase(other, entry.target) && EqualsIgnoreCase(other, directory);
    });
}

// Each target directory is listed at most once in a run: the walk's listing
// serves where it took one.
const std::vector<FileEntry>* Mirror::targetListing(const std::string& directory)
{
    auto [at, fresh] = targetListings_.try_emplace(FoldedKey(directory));
    if (fresh) {
        uint32_t error = 0;
        std::unique_ptr<FileListing> listing = run_.fs_.list(directory, error);
        std::vector<FileEntry> entries;
        FileEntry entry;
        while (listing && listing->next(entry)) {
            run_.view_.keepAnswering();
            entries.push_back(entry);
        }
        // A listing cut short would leave names out that are there.
        if (listing && listing->error() == 0)
            at->second = std::move(entries);
    }
    return at->second ? &*at->second : nullptr;
}

// Only "not found" counts as gone: a drive that is not ready or a refusal
// says nothing about the file.
bool Mirror::sourceGone(const std::string& path)
{
    FileEntry entry;
    const uint32_t error = run_.fs_.find(path, entry);
    return error == errFileNotFound || error == errPathNotFound;
}

bool Mirror::moveAll(const Entry& entry, const Plan& plan)
{
    const Stamp& stamp = run_.versions_->runStart();
    uint64_t moved = 0, failed = 0;
    std::string firstFailed;
    for (const Move& move : plan.moves) {
        run_.view_.keepAnswering();
        if (!sourceGone(move.sourceFile))
            continue;
        const std::optional<std::string> version = VersionPath(entry.target, stamp, move.targetFile);
        if (!version)
            continue;
        uint32_t error = ForceDirectory(run_.fs_, version->substr(0, version->rfind('\\') + 1));
        if (error == 0)
            error = run_.fs_.renameFile(move.targetFile, *version, false);
        // Gone from the target too since it was listed: nothing to keep.
        if (error == errFileNotFound)
            continue;
        if (run_.log_)
            run_.log_->mirrorMoved(move.targetFile, *version, error);
        if (error == 0) {
            ++moved;
        } else if (failed++ == 0) {
            firstFailed = move.targetFile;
        }
    }
    // Deepest first; a directory that still holds anything stays.
    for (auto directory = plan.goneDirectories.rbegin(); directory != plan.goneDirectories.rend(); ++directory)
        if (run_.fs_.removeDirectory(directory->substr(0, directory->size() - 1)) == 0 && run_.log_)
            run_.log_->mirrorNote("  Verzeichnis entfernt (leer nach dem Spiegeln): " + *directory);
    note("Spiegeln: Eintrag " + std::to_string(entry.number) + " (" + entry.source + "): " + std::to_string(moved) +
         " Dateien in die Versionen verschoben.");
    if (failed == 0)
        return true;
    run_.state_.passedOverAfterError = true;
    run_.ask(false,
             "Spiegeln, Eintrag " + std::to_string(entry.number) + " (" + entry.source + "):\r\n" +
                 std::to_string(failed) + " Dateien konnten nicht in die Versionen verschoben werden und bleiben im "
                 "Ziel, zuerst \"" + firstFailed + "\".",
             btnOK, {mrOk, firstFailed});
    return false;
}

std::optional<MirrorMarker> Mirror::readMarker(const std::string& target, bool& present)
{
    present = true;
    std::unique_ptr<OpenFile> file;
    const uint32_t error = run_.fs_.openRead(markerPath(target), file);
    if (error == errFileNotFound || error == errPathNotFound) {
        present = false;
        return std::nullopt;
    }
    if (error != 0)
        return std::nullopt;
    // Ours is a few lines; anything far larger is not ours.
    std::string text(64 * 1024, '\0');
    uint32_t got = 0, total = 0;
    while (total < text.size() && file->read(text.data() + total, uint32_t(text.size() - total), got) == 0 && got)
        total += got;
    if (total == text.size())
        return std::nullopt;
    text.resize(total);
    return ParseMirrorMarker(text);
}

// Complete under another name first, as a marker cut short matches nothing
// and so stops every later mirroring.
bool Mirror::writeMarker(const std::string& target, const MirrorMarker& marker)
{
    const std::string path = markerPath(target);
    const std::string temporary = path + ".neu";
    if (ForceDirectory(run_.fs_, target + std::string(kVersionsFolder) + "\\") != 0)
        return false;
    DeleteFileForced(run_.fs_, temporary);
    std::unique_ptr<OpenFile> file;
    if (run_.fs_.createWrite(temporary, file) != 0)
        return false;
    const std::string text = MirrorMarkerText(marker);
    uint32_t put = 0;
    bool written = file->write(text.data(), uint32_t(text.size()), put) == 0 && put == text.size() &&
                   file->flush() == 0;
    written = file->close() == 0 && written;
    if (written && run_.fs_.renameFile(temporary, path, true) == 0)
        return true;
    DeleteFileForced(run_.fs_, temporary);
    return false;
}

bool Mirror::holdsMovedFiles(const std::string& entryTarget, const Stamp& folder)
{
    auto [at, fresh] = movedInto_.try_emplace(FoldedKey(entryTarget));
    if (fresh) {
        bool present = false;
        std::optional<MirrorMarker> marker = readMarker(entryTarget, present);
        at->second = {present && !marker, marker ? marker->movedInto : std::vector<Stamp>{}};
    }
    const Moved& moved = at->second;
    return moved.all || std::find(moved.stamps.begin(), moved.stamps.end(), folder) != moved.stamps.end();
}

}  // namespace tresorix
