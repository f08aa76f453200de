// The steps after a copy's last block: on the medium, then named, then
// closed. Complete copies wait in a small batch, each written out by the
// flusher while the next ones are copied, and the batch takes its names
// together once one flush of the device's cache has committed all of it
// (on a fixed local disk; elsewhere each copy has a whole flush of its own).
#include "engine/DirectoryVisit.h"

#include "engine/Backup.h"

#include "engine/FileHelpers.h"
#include "engine/Flusher.h"
#include "engine/Format.h"
#include "engine/Mask.h"
#include "engine/VersionKeeping.h"
#include "ui/Prompts.h"

namespace tresorix {

namespace {

// A batch ends here at the latest: the handles a batch holds, and what a
// power cut could take with it, stay small.
constexpr size_t kBatchFiles = 64;
constexpr uint64_t kBatchBytes = 32ull << 20;

}  // namespace

std::string CopyFailedText(const std::string& sourceFile)
{
    return "Fehler: Konnte Datei \"" + sourceFile + "\" nicht kopieren.";
}

std::string CreateFailedText(const std::string& targetFile, uint32_t error)
{
    return CreateFailedText(targetFile, ErrorText(uint16_t(error)));
}

std::string CreateFailedText(const std::string& targetFile, const std::string& reason)
{
    return "Konnte Zieldatei \"" + targetFile + "\" nicht anlegen." + "\r\nFehler: " + reason +
           "\r\nErneut versuchen ?";
}

std::string TooLargeText(const std::string& fileSystem)
{
    return "Die Datei ist für das Dateisystem des Ziels (" + fileSystem + ") zu groß.";
}

void DirectoryVisit::queueCopy(std::unique_ptr<PendingCopy> copy)
{
    // A full batch ends when the next copy is complete, not at once: its
    // write-out runs beside that copy then, where a large file would
    // otherwise wait for the medium before the next one starts.
    if (pending_.size() >= kBatchFiles || pendingBytes_ >= kBatchBytes)
        finishCopies();
    PendingCopy& queued = *copy;
    pendingBytes_ += copy->copied;
    pending_.push_back(std::move(copy));
    // A share, a removable medium or any other device may keep what one
    // flush did not name in its own cache: there each copy is flushed whole.
    const bool full = !targetOnFixedDisk(queued.targetFile);
    run_.flusher_->submit(*queued.out, queued.flushError, queued.committed, full);
}

void DirectoryVisit::finishCopies()
{
    if (pending_.empty())
        return;
    // Taken out first: a prompt asked while naming them finds no batch.
    std::vector<std::unique_ptr<PendingCopy>> batch = std::move(pending_);
    pending_.clear();
    pendingBytes_ = 0;
    // A cancel seen meanwhile waits for the next look at the queue.
    run_.flusher_->wait([this] { run_.view_.keepAnswering(); });
    PendingCopy* last = nullptr;
    for (auto& copy : batch)
        if (copy->flushError == 0 && !copy->committed)
            last = copy.get();
    // What the device holds in its own cache is committed for all of them.
    if (last)
        if (uint32_t error = last->out->flush())
            for (auto& copy : batch)
                if (!copy->committed)
                    copy->flushError = error;

    // Every copy is named through its open handle where it can, or gone, and
    // closed before any rename that may ask the user: no handle of the
    // batch is held while a box is shown.
    std::vector<std::string> failed;
    std::vector<PendingCopy*> byName;
    for (auto& copy : batch) {
        if (copy->flushError != 0) {
            copy->out->close();
            removeOwnCopy(copy->tempFile);
            failed.push_back(copy->sourceFile);
        } else if (!closeCopy(*copy)) {
            failed.push_back(copy->sourceFile);
        } else if (copy->existing.previous || !copy->named) {
            byName.push_back(copy.get());
        }
    }
    for (PendingCopy* copy : byName)
        renameCopy(*copy);
    run_.state_.failedFiles += failed.size();
    run_.view_.setSaved(run_.state_.savedFiles, run_.state_.savedBytes);
    for (const std::string& sourceFile : failed)
        run_.ask(false, CopyFailedText(sourceFile), btnOK, {mrOk, sourceFile});
}

// A new copy takes its name while still open, which saves opening it again;
// one that replaces an old copy is renamed once it is closed, as that rename
// goes through to the medium. False when the copy failed and nobody was told.
bool DirectoryVisit::closeCopy(PendingCopy& copy)
{
    std::string name;
    OpenDirectory* held = inHeldTargetDir(copy.targetFile, name);
    copy.named = !copy.existing.previous && held && held->nameOpenFile(*copy.out, name) == 0;
    if (copy.out->close() != 0) {
        // Complete only as far as the system could tell: it must not pass
        // for a finished copy under any name.
        removeOwnCopy(copy.named ? copy.targetFile : copy.tempFile);
        return false;
    }
    if (copy.named)
        noteSaved(copy);
    return true;
}

// A closed copy takes its name by path, which may ask the user.
void DirectoryVisit::renameCopy(PendingCopy& copy)
{
    // With versions on, the old copy moves aside first; kept as it is, it
    // keeps its name and the new copy goes.
    VersionKeeper& versions = *run_.versions_;
    const bool kept = copy.existing.replace && versions.versionWanted(copy.targetFile);
    if (kept && !versions.keepVersion(copy.targetFile)) {
        removeOwnCopy(copy.tempFile);
        return;
    }
    CopyResult result = replaceTarget(copy.tempFile, copy.targetFile, copy.existing, copy.secondTry);
    if (result == CopyResult::failed) {
        ++run_.state_.failedFiles;
        if (kept)
            putVersionBack(copy.targetFile);
    }
    // The listing that called the name free is out of date.
    if (result == CopyResult::nameAppeared) {
        collided_.push_back(copy.file);
        hold.listing = {};
    }
    if (result == CopyResult::saved)
        noteSaved(copy);
}

// The new copy was given up after the old one had moved into the run
// folder: the old one takes its name again, or the target would hold
// neither. The rename carries its attributes, the read-only bit too:
// replaceTarget's changes to them only reached the name left empty.
void DirectoryVisit::putVersionBack(const std::string& targetFile)
{
    const std::optional<std::string> version =
        VersionPath(run_.caches_.entryTargets.back(), run_.versions_->runStart(), targetFile);
    if (!version)
        return;
    const uint32_t error = run_.fs_.renameFile(*version, targetFile, false);
    if (run_.log_)
        run_.log_->versionRestored(targetFile, *version, error);
    // Where the old copy now is, the log tells; the exit code sends the
    // reader there.
    if (error != 0)
        run_.state_.passedOverAfterError = true;
}

void DirectoryVisit::noteSaved(const PendingCopy& copy)
{
    noteTarget(copy.targetFile.substr(0, copy.targetFile.size() - copy.file.name.size()), copy.file.name, true);
    run_.versions_->noteSaved(copy.targetFile);
    ++run_.state_.savedFiles;
    run_.state_.savedBytes += copy.copied;
    run_.noteCopied(copy.sourceFile, copy.copied);
}

// A file that took the target's name since the conflict step goes back to
// that step, once.
void DirectoryVisit::retryCollided(const std::string& source, const std::string& target)
{
    while (!collided_.empty() && !run_.state_.cancelled()) {
        std::vector<FileEntry> files = std::move(collided_);
        collided_.clear();
        renameCollided = true;
        for (const FileEntry& file : files)
            if (!run_.state_.cancelled())
                run_.BackupFile(source, target, file, 0, 0);
        finishCopies();
        renameCollided = false;
    }
}

// The one step in which the old target goes and the new copy takes its name.
// A failure is asked about like a failed creation; the old target then keeps
// its bytes and its read-only bit.
CopyResult DirectoryVisit::replaceTarget(const std::string& tempFile, const std::string& targetFile,
                                               const Existing& existing, bool secondTry)
{
    for (;;) {
        const bool readOnly = existing.replace && (existing.attributes & attrReadOnly);
        if (readOnly)
            run_.fs_.setAttributes(targetFile, existing.attributes & ~attrReadOnly);
        std::string from, to;
        OpenDirectory* held = inHeldTargetDir(tempFile, from) ? inHeldTargetDir(targetFile, to) : nullptr;
        uint32_t error = held ? held->renameFile(from, to, existing.replace)
                              : run_.fs_.renameFile(tempFile, targetFile, existing.replace);
        if (error == 0)
            return CopyResult::saved;
        if (readOnly)
            run_.fs_.setAttributes(targetFile, existing.attributes);
        if (NameTaken(error) && !existing.replace && !secondTry) {
            removeOwnCopy(tempFile);
            return CopyResult::nameAppeared;
        }
        const ButtonResult answer =
            run_.ask(true, CreateFailedText(targetFile, error), btnYes | btnNo | btnCancel, {mrNo, targetFile});
        if (run_.state_.cancelled() || answer == mrNo) {
            removeOwnCopy(tempFile);
            return CopyResult::failed;
        }
    }
}

}  // namespace tresorix
