// The steps after a copy's last block: on the medium, then named, then
// closed. Complete copies wait in a small batch, each written out by the
// flusher while the next ones are copied, and the batch takes its names
// together once one flush of the device's cache has committed all of it.
#include "engine/Backup.h"

#include "engine/FileHelpers.h"
#include "engine/Flusher.h"
#include "engine/Mask.h"
#include "ui/Prompts.h"

namespace tresorix {

namespace {

// A batch ends here at the latest: the handles a batch holds, and what a
// power cut could take with it, stay small.
constexpr size_t kBatchFiles = 64;
constexpr uint64_t kBatchBytes = 32ull << 20;

}  // namespace

BackupRun::BackupRun(FileSystem& fs, RunView& view, RunState& state)
    : fs_(fs), view_(view), state_(state), flusher_(std::make_unique<Flusher>())
{
}

BackupRun::~BackupRun() = default;

void BackupRun::queueCopy(std::unique_ptr<PendingCopy> copy)
{
    PendingCopy& queued = *copy;
    pendingBytes_ += copy->copied;
    pending_.push_back(std::move(copy));
    flusher_->submit(*queued.out, queued.flushError, queued.committed);
    if (pending_.size() >= kBatchFiles || pendingBytes_ >= kBatchBytes)
        finishCopies();
}

void BackupRun::finishCopies()
{
    if (pending_.empty())
        return;
    // Taken out first: a prompt asked while naming them finds no batch.
    std::vector<std::unique_ptr<PendingCopy>> batch = std::move(pending_);
    pending_.clear();
    pendingBytes_ = 0;
    // A cancel seen meanwhile waits for the next look at the queue.
    flusher_->wait([this] { view_.keepAnswering(); });
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

    std::vector<std::string> failed;
    for (auto& copy : batch) {
        if (copy->flushError == 0 && !nameCopy(*copy))
            continue;
        if (copy->flushError != 0) {
            copy->out->close();
            removeOwnCopy(copy->tempFile);
        }
        failed.push_back(copy->sourceFile);
    }
    state_.failedFiles += failed.size();
    view_.setSaved(state_.savedFiles, state_.savedBytes);
    // Asked once every copy of the batch is named or gone: no handle is
    // held while the user is asked.
    for (const std::string& sourceFile : failed)
        ask(false, "Fehler: Konnte Datei \"" + sourceFile + "\" nicht kopieren.", btnOK, {mrOk, sourceFile});
}

// A new copy takes its name while still open, which saves opening it again;
// one that replaces an old copy is renamed once it is closed, as that rename
// goes through to the medium. True when the copy failed and nobody was told.
bool BackupRun::nameCopy(PendingCopy& copy)
{
    const std::string target = copy.targetFile.substr(0, copy.targetFile.size() - copy.file.name.size());
    std::string name;
    OpenDirectory* held = inHeldTargetDir(copy.targetFile, name);
    const bool named = !copy.existing.previous && held && held->nameOpenFile(*copy.out, name) == 0;
    if (copy.out->close() != 0) {
        // Complete only as far as the system could tell: it must not pass
        // for a finished copy under any name.
        removeOwnCopy(named ? copy.targetFile : copy.tempFile);
        return true;
    }
    // With versions on, the old copy moves aside first; kept as it is, it
    // keeps its name and the new copy goes.
    if (!named && copy.existing.replace && versionWanted(copy.targetFile) && !keepVersion(copy.targetFile)) {
        removeOwnCopy(copy.tempFile);
        return false;
    }
    CopyResult result = named ? CopyResult::saved
                              : replaceTarget(copy.tempFile, copy.targetFile, copy.existing, copy.secondTry);
    // The listing that called the name free is out of date.
    if (result == CopyResult::failed)
        ++state_.failedFiles;
    if (result == CopyResult::nameAppeared) {
        visit_.collided.push_back(copy.file);
        visit_.target.listing = {};
    }
    if (result != CopyResult::saved)
        return false;
    noteTarget(target, copy.file.name, true);
    if (versionDays_ > 0)
        run_.savedHere.insert(FoldedKey(copy.targetFile));
    ++state_.savedFiles;
    state_.savedBytes += copy.copied;
    noteCopied(copy.sourceFile, copy.copied);
    return false;
}

// A file that took the target's name since the conflict step goes back to
// that step, once.
void BackupRun::retryCollided(const std::string& source, const std::string& target)
{
    while (!visit_.collided.empty() && !state_.cancelled()) {
        std::vector<FileEntry> files = std::move(visit_.collided);
        visit_.collided.clear();
        visit_.renameCollided = true;
        for (const FileEntry& file : files)
            if (!state_.cancelled())
                BackupFile(source, target, file, 0, 0);
        finishCopies();
        visit_.renameCollided = false;
    }
}

}  // namespace tresorix
