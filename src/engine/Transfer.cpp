// One file's way into the target: the source, the target directory, the
// conflict step, free space and the copy under a temporary name, which the
// visit's batch renames (Finish.cpp).
#include "engine/FileTransfer.h"

#include "engine/Backup.h"

#include "engine/DirectoryVisit.h"
#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "engine/VersionKeeping.h"
#include "ui/Prompts.h"

#include <algorithm>
#include <memory>

namespace tresorix {

namespace {

constexpr uint32_t kBufferSize = 65536;
constexpr uint32_t kCopiedAttributes = attrReadOnly | attrHidden | attrSystem | attrArchive;
// Temporary names tried for one copy before creating it counts as failed.
constexpr int kTemporaryNames = 10;
// FAT and FAT32 hold files of at most 4 GiB less one byte.
constexpr uint64_t kFatFileLimit = 4ull << 30;
constexpr uint32_t kErrFileTooLarge = 223;

bool isFat(const std::string& fileSystem)
{
    return fileSystem == "FAT" || fileSystem == "FAT32";
}

bool isNetworkPath(const std::string& path)
{
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

// The root whose free space counts: "X:\" or, for a share, "\\server\share\".
std::string volumeRoot(const std::string& target)
{
    if (isNetworkPath(target)) {
        size_t server = target.find('\\', 2);
        size_t share = server == std::string::npos ? server : target.find('\\', server + 1);
        return share == std::string::npos ? AddBackslash(target) : target.substr(0, share + 1);
    }
    return std::string(1, target.empty() ? '?' : target[0]) + ":\\";
}

// How the prompts name the target drive: "D:" or "\\server\share".
std::string volumeName(const std::string& target)
{
    std::string root = volumeRoot(target);
    root.pop_back();
    return root;
}

}  // namespace

bool BackupRun::BackupFile(const std::string& source, const std::string& target, const FileEntry& file,
                           uint64_t dirDone, uint64_t dirCount)
{
    return FileTransfer(*this).backUp(source, target, file, dirDone, dirCount);
}

bool SourceIsNewer(const FileEntry& source, const FileEntry& target)
{
    // Unsigned: packed dates from 2044 on have the top bit set.
    if (source.dosTime != 0 && target.dosTime != 0)
        return uint32_t(source.dosTime) > uint32_t(target.dosTime);
    constexpr uint64_t twoSeconds = 20'000'000;
    return source.lastWrite / twoSeconds > target.lastWrite / twoSeconds;
}

std::string TemporaryName(const std::string& targetFile, int attempt)
{
    const std::string suffix = ".~tresorix" + (attempt ? std::to_string(attempt + 1) : std::string());
    size_t nameStart = targetFile.rfind('\\') + 1;
    std::string name = targetFile.substr(nameStart);
    // A name holds at most 255 characters; a long one gives way to the suffix,
    // cut where no UTF-8 sequence is split.
    size_t room = 255 - suffix.size();
    if (name.size() > room) {
        while (room > 0 && (uint8_t(name[room]) & 0xC0) == 0x80)
            --room;
        name.resize(room);
    }
    return targetFile.substr(0, nameStart) + name + suffix;
}

bool FileTransfer::backUp(const std::string& source, const std::string& target, const FileEntry& file,
                          uint64_t dirDone, uint64_t dirCount)
{
    const std::string sourceFile = source + file.name;
    const std::string targetFile = target + file.name;
    // A case twin's copy must not meet its twin's while both still wait
    // for their names: the system could take one temporary for the other.
    if (run_.visit_->caseTwins.contains(file.name))
        run_.visit_->finishCopies();
    const bool passed = target == run_.visit_->failedTargetDir || modeSkipsWithoutAsking(target, file);
    Step step = Step::skip;
    auto goOn = [&] { return step == Step::goOn && !run_.state_.cancelled(); };

    std::unique_ptr<OpenFile> in;
    if (!passed)
        step = openSource(sourceFile, in);
    Existing existing;
    if (goOn())
        step = ensureTargetDirectory(target);
    if (goOn())
        step = resolveConflict(targetFile, file, existing);
    // The file may have changed since it was listed; the open handle knows.
    uint64_t size = file.size;
    if (goOn()) {
        in->size(size);
        step = checkFileSystemLimit(target, targetFile, size);
    }
    if (goOn())
        step = checkFreeSpace(target, targetFile, size, existing);

    bool interrupted = false;
    if (goOn()) {
        run_.view_.setDirProgress(dirCount ? int(dirDone * 100 / dirCount) : 0);
        // Once the old copy is gone to make room, nothing may come between
        // it and the new one. Otherwise a cancel that came in now must not
        // leave an empty copy behind.
        const bool removedFirst = existing.previous && !existing.replace;
        if (!removedFirst)
            run_.view_.processMessages();
        uint64_t copied = 0;
        if (removedFirst || !run_.state_.cancelled()) {
            CopyResult result = copyFile(in, size, sourceFile, targetFile, file, existing, copied);
            if (result == CopyResult::failed)
                ++run_.state_.failedFiles;
            interrupted = result == CopyResult::interrupted;
        }
    }
    if (in)
        in->close();
    // Unless the question ended the run, the file is handed over again.
    if (interrupted)
        return !run_.state_.cancelled();
    return step == Step::changeMedium;
}

// The source is opened shared, so that nobody is locked out while it is read.
FileTransfer::Step FileTransfer::openSource(const std::string& sourceFile, std::unique_ptr<OpenFile>& in)
{
    while (!run_.state_.cancelled()) {
        if (run_.fs_.openRead(sourceFile, in) == 0)
            return Step::goOn;
        const ButtonResult answer = run_.ask(false,
                                    "Fehler: Zugriff auf Quelldatei \"" + sourceFile + "\" verweigert.\r\n" +
                                        "Schließen Sie die zugehörige Anwendung und klicken Sie auf \"Wiederholen\"" +
                                        "\r\noder klicken Sie auf \"OK\", um diese Datei zu überspringen.",
                                    btnOK | btnCancel | btnRetry, {mrOk, sourceFile});
        if (answer == mrOk || run_.state_.cancelled())
            return Step::skip;
    }
    return Step::goOn;
}

// Whether the conflict step would pass the file over without asking: then
// its source is not opened. Reading it is not needed, and a file that another
// program keeps locked must not stop an unattended run with a question about
// a file that needs no backup.
bool FileTransfer::modeSkipsWithoutAsking(const std::string& target, const FileEntry& file)
{
    if (run_.mode_ == ConflictMode::always || run_.mode_ == ConflictMode::ask)
        return false;
    FileEntry found;
    if (run_.visit_->findTarget(target, file.name, found) != 0 || found.isDirectory())
        return false;
    return run_.mode_ == ConflictMode::skip || !SourceIsNewer(file, found);
}

FileTransfer::Step FileTransfer::ensureTargetDirectory(const std::string& target)
{
    // The directory held open for the visit is there.
    uint32_t code = 0;
    if (run_.visit_->hold.dir && run_.visit_->hold.dirPath == target)
        return Step::goOn;
    if (DirectoryPresent(run_.fs_, target, code))
        return Step::goOn;
    // The levels down to the deepest existing one are there; the walk over
    // the path starts below it, where every level was missing a moment ago.
    const size_t parentEnd = target.rfind('\\', target.size() - 2);
    std::string prefix;
    if (parentEnd != std::string::npos)
        prefix = DeepestExistingLevel(run_.fs_, target.substr(0, parentEnd + 1));
    const size_t known = prefix.size();
    bool retry = false;  // the same level once more, as the user asked
    ButtonResult answer = mrNone;
    while ((prefix != target || retry) && !run_.state_.cancelled() && answer != mrNo) {
        if (!retry) {
            size_t end = target.find('\\', prefix.size());
            prefix = end == std::string::npos ? target : target.substr(0, end + 1);
        }
        bool existed = (known == 0 || retry) && DirectoryPresent(run_.fs_, prefix, code);
        std::unique_ptr<OpenDirectory> made;
        uint32_t result = ForceDirectory(run_.fs_, prefix, prefix == target ? &made : nullptr);
        retry = result != 0;
        // Its copies' names go through the handle it was made with.
        std::optional<FileId> madeIndex;
        if (made) {
            if (FileId index; made->index(index) == 0)
                madeIndex = index;
            run_.visit_->holdTargetDir(target, std::move(made));
        }
        if (result == 0) {
            // A drive or share is never made, whatever the probe said.
            existed = existed || prefix == volumeRoot(prefix);
            if (!existed)
                run_.state_.made.add(UpperCaseUmlaut(prefix), madeIndex);
            // Made just now: nothing in it can conflict with a copy.
            if (!existed && prefix == target)
                run_.visit_->hold.listing = {target, {}, true};
            if (!existed)
                run_.noteMadeDirectory(prefix);
        } else if (targetDriveGone(prefix, result)) {
            // Asked once for the entry, not for each of its directories: No
            // ends the entry's walk, as nothing of it can be saved.
            const std::string root = volumeRoot(prefix);
            answer = run_.ask(true, "Ziellaufwerk " + volumeName(root) + " ist nicht bereit.\r\nErneut versuchen ?",
                              btnYes | btnNo | btnCancel, {mrNo, root});
            run_.caches_.targetDriveGone = answer == mrNo;
        } else {
            answer = run_.ask(true,
                         "Konnte Verzeichnis \"" + prefix + "\" nicht anlegen bzw. überprüfen." +
                             "\r\nFehlermeldung: " + ErrorText(uint16_t(result)) + "\r\nErneut versuchen ?",
                         btnYes | btnNo | btnCancel, {mrNo, prefix});
        }
    }
    // No: the files meant for this directory are passed over.
    if (answer == mrNo) {
        run_.visit_->failedTargetDir = target;
        return Step::skip;
    }
    return Step::goOn;
}

// Whether a directory could not be made because its drive or share is not
// there at all: a stick not plugged in, a letter not mapped, a server out
// of reach. Asked of the root only once a level failed.
bool FileTransfer::targetDriveGone(const std::string& directory, uint32_t error)
{
    if (error != errFileNotFound && error != errPathNotFound && error != errDriveNotReady &&
        error != errBadNetPath && error != errBadNetName)
        return false;
    uint32_t code = 0;
    return !DirectoryPresent(run_.fs_, volumeRoot(directory), code);
}

// Decides whether an existing target is to be replaced. It stays in place
// until its replacement is complete; whether it can go is asked now, so that
// the user hears of a locked or protected target at this point.
FileTransfer::Step FileTransfer::resolveConflict(const std::string& targetFile, const FileEntry& file,
                                                 Existing& existing)
{
    bool removable;
    Step step;
    do {
        removable = true;
        existing = {};
        step = Step::goOn;
        FileEntry found;
        // Only a file is an existing target: a directory in its place is
        // neither compared nor offered for overwrite, and the copy's rename
        // tells the user why it fails.
        const std::string target = targetFile.substr(0, targetFile.size() - file.name.size());
        if (run_.visit_->findTarget(target, file.name, found) != 0 || found.isDirectory())
            break;
        removable = false;
        bool replace = false;
        switch (run_.mode_) {
        case ConflictMode::always:
            replace = true;
            break;
        case ConflictMode::skip:
            break;
        case ConflictMode::ask:
            replace = run_.ask(true,
                          "Zieldatei  " + targetFile + "  überschreiben ?" + "\r\nQuelldatei:  " +
                              FormatDosDateTime(file.dosTime) + "     " + std::to_string(file.size) + " bytes" +
                              "\r\nZieldatei:    " + FormatDosDateTime(found.dosTime) + "     " +
                              std::to_string(found.size) + " bytes",
                          btnYes | btnNo | btnCancel, {mrNo, targetFile, true}) == mrYes;
            break;
        case ConflictMode::newer:
        case ConflictMode::none:
            replace = SourceIsNewer(file, found);
            break;
        }
        if (!replace)
            step = Step::skip;
        if (replace) {
            removable = run_.fs_.probeRemovable(targetFile) == 0;
            existing = {removable, true, found.size, found.attributes};
        }
        if (!removable && step != Step::skip &&
            run_.ask(false,
                "Konnte bereits vorhandene Zieldatei nicht löschen.\r\nDateiname: " + targetFile +
                    "\r\nFehlermeldung: " + ErrorText(errNetworkAccessDenied) + "\r\nLöschversuch wiederholen ?",
                btnYes | btnNo | btnCancel, {mrNo, targetFile}) == mrNo)
            step = Step::skip;
    } while (!removable && !run_.state_.cancelled() && step != Step::skip);
    return step;
}

// A file too large for the target's file system is refused before any
// room is made for it or a byte of it is written. Only a file that large
// makes the volume be asked what it is.
FileTransfer::Step FileTransfer::checkFileSystemLimit(const std::string& target, const std::string& targetFile,
                                                      uint64_t size)
{
    while (size >= kFatFileLimit && !run_.state_.cancelled()) {
        const std::string fileSystem = run_.visit_->targetFileSystem(target);
        if (!isFat(fileSystem))
            return Step::goOn;
        // Yes: asked again, as the user may have put in another medium.
        if (run_.ask(true, CreateFailedText(targetFile, TooLargeText(fileSystem)), btnYes | btnNo | btnCancel,
                {mrNo, targetFile}) == mrNo) {
            ++run_.state_.failedFiles;
            return Step::skip;
        }
    }
    return run_.state_.cancelled() ? Step::skip : Step::goOn;
}

FileTransfer::Step FileTransfer::checkFreeSpace(const std::string& target, const std::string& targetFile, uint64_t size,
                                          Existing& existing)
{
    bool toldNotReady = false;
    bool versionsTried = false;
    for (;;) {
        uint64_t free = 0;
        const uint32_t error = freeSpaceAt(target, free);
        if (error == errDriveNotReady && !toldNotReady) {
            toldNotReady = true;
            run_.ask(true, "Ziellaufwerk " + volumeName(target) + " ist nicht bereit.", btnOK);
            continue;
        }
        // Any other failure leaves the space unknown: the copy itself tells
        // whether it fits, where a prompt about the space could only repeat.
        const bool known = error == 0;
        bool tooSmall = error == errDriveNotReady || (known && size > free);
        // Old versions make room, once per file: the space is asked again
        // after them, and what is still short then is the medium's.
        if (tooSmall && known && !versionsTried) {
            versionsTried = true;
            if (run_.versions_->makeRoomFromVersions(target, size, free))
                continue;
        }
        // The copy is written beside the old target. When only the old one's
        // room makes it fit, the old one goes first, for this file alone;
        // never when it is to be kept as a version.
        if (tooSmall && known && existing.replace && run_.versions_->mayRemoveOldCopy(targetFile)) {
            uint64_t freed = existing.size;
            run_.fs_.allocatedSize(targetFile, freed);
            if (size <= free + freed && DeleteFileForced(run_.fs_, targetFile)) {
                run_.visit_->noteTarget(target, targetFile.substr(target.size()), false);
                existing.replace = false;
                tooSmall = false;
            }
        }
        if (!tooSmall)
            return Step::goOn;
        if (known && DriveReady(run_.fs_, target)) {
            run_.ask(true, "Nicht genug Platz auf Ziellaufwerk " + volumeName(target) + " " + "\r\nBitte wechseln!",
                btnOK | btnCancel);
            return Step::changeMedium;
        }
        const ButtonResult answer = run_.ask(true,
                                    "Konnte freien Platz auf Ziellaufwerk " + volumeName(target) +
                                        " nicht ermitteln." + "\r\nLaufwerk ist nicht bereit." +
                                        "\r\nErneut versuchen ?",
                                    btnYes | btnNo | btnCancel);
        // No: the copy is tried all the same, and tells whether it fits.
        if (answer == mrNo || answer == mrCancel)
            return Step::goOn;
    }
}

// The deepest existing level of the target answers: a volume mounted in a
// folder has its own free space, which the drive's root does not know of.
// The target directory itself is held open for its files.
uint32_t FileTransfer::freeSpaceAt(std::string directory, uint64_t& bytes)
{
    const size_t rootSize = volumeRoot(directory).size();
    uint32_t error = 0;
    if (OpenDirectory* held = run_.visit_->holdTargetDir(directory, error)) {
        error = held->freeSpace(bytes);
        if (error != 0)
            run_.visit_->releaseTargetDir();
    }
    while ((error == errFileNotFound || error == errPathNotFound) && directory.size() > rootSize) {
        directory.resize(directory.rfind('\\', directory.size() - 2) + 1);
        error = run_.fs_.freeSpace(directory, bytes);
    }
    return error;
}

// Writes the copy under a temporary name and gives it the real one only when
// its bytes, time and attributes are complete: until then an existing target
// stays as it was, and an interrupted copy is never taken for a finished one.
CopyResult FileTransfer::copyFile(std::unique_ptr<OpenFile>& in, uint64_t size, const std::string& sourceFile,
                                          const std::string& targetFile, const FileEntry& file,
                                          const Existing& existing, uint64_t& copied)
{
    const std::string target = targetFile.substr(0, targetFile.size() - file.name.size());
    std::string tempFile;
    std::unique_ptr<OpenFile> out;
    for (;;) {
        uint32_t error = createTemporary(target, targetFile, tempFile, out);
        if (error == 0)
            break;
        const ButtonResult answer =
            run_.ask(true, CreateFailedText(targetFile, error), btnYes | btnNo | btnCancel, {mrNo, targetFile});
        if (run_.state_.cancelled() || answer == mrNo)
            return CopyResult::failed;
    }

    // To the end of the file, which may lie beyond the size it had when
    // opened: a copy cut short there would count as complete.
    // One buffer for the run: a fresh one per file would be allocated and
    // cleared for every small file.
    if (!run_.buffer_)
        run_.buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    char* buffer = run_.buffer_.get();
    copied = 0;
    uint32_t shortBy = 0, writeError = 0;
    bool failed = false;
    bool atFatLimit = false;  // the last block was the one to pass 4 GiB less one byte
    for (;;) {
        uint32_t got = 0, put = 0;
        if (in->read(buffer, kBufferSize, got) != 0) {
            failed = true;
            break;
        }
        if (got == 0)
            break;
        atFatLimit = copied < kFatFileLimit && copied + got >= kFatFileLimit;
        copied += got;
        if ((writeError = out->write(buffer, got, put)) != 0) {
            failed = true;
            break;
        }
        shortBy = got - put;
        if (size)
            run_.view_.setFileProgress(int(std::min<uint64_t>(copied * 100 / size, 100)));
        run_.view_.bringToFront();
        // A short read is the end of the file; it saves asking once more.
        if (shortBy != 0 || (got < kBufferSize && copied >= size))
            break;
        // A copy whose old one made room for it is finished all the same, and
        // so is one whose bytes are all there: the question comes after it.
        const bool cancelWaits = run_.view_.keepAnswering();
        if (cancelWaits && copied < size && !(existing.previous && !existing.replace) &&
            !stopForQuestion(in, out, sourceFile, tempFile, file, size, copied)) {
            run_.visit_->removeOwnCopy(tempFile);
            return CopyResult::interrupted;
        }
    }

    // A copy whose time or attributes did not take is not the source's copy.
    if (!failed && shortBy == 0 && out->setTimeAndAttributes(file.lastWrite, file.attributes & kCopiedAttributes))
        failed = true;
    if (!failed && shortBy == 0) {
        // A case twin's name may be its twin's copy's: a taken name is no
        // sign that a copy appeared since the conflict step.
        const bool secondTry = run_.visit_->renameCollided || run_.visit_->caseTwins.contains(file.name);
        run_.visit_->queueCopy(std::make_unique<PendingCopy>(
            PendingCopy{std::move(out), sourceFile, targetFile, tempFile, file, existing, copied, secondTry}));
        return CopyResult::queued;
    }
    out->close();
    // Where the file system could not be told beforehand (a share), the
    // write at the 4 GiB mark tells: refused, or the medium called full.
    const bool tooLarge =
        writeError == kErrFileTooLarge || (atFatLimit && (writeError == errDiskFull || shortBy != 0));
    if (tooLarge) {
        run_.visit_->removeOwnCopy(tempFile);
        // The 4 GiB mark is FAT32's, whatever a share calls its file system.
        const std::string fileSystem = run_.visit_->targetFileSystem(target) == "FAT" ? "FAT" : "FAT32";
        const ButtonResult answer = run_.ask(true, CreateFailedText(targetFile, TooLargeText(fileSystem)),
                                             btnYes | btnNo | btnCancel, {mrNo, targetFile});
        return answer == mrYes ? CopyResult::interrupted : CopyResult::failed;
    }
    if (shortBy != 0) {
        run_.visit_->removeOwnCopy(tempFile);
        run_.ask(false,
            "Fehler: Von der Datei \"" + targetFile + "\" konnten " + std::to_string(shortBy) +
                " bytes nicht geschrieben werden.",
            btnOK, {mrOk, targetFile});
        return CopyResult::failed;
    }
    if (failed) {
        run_.visit_->removeOwnCopy(tempFile);
        run_.ask(false, CopyFailedText(sourceFile), btnOK, {mrOk, sourceFile});
        return CopyResult::failed;
    }
    return CopyResult::failed;
}

// The copy stops for a cancel waiting in the queue: its files are closed,
// the temporary kept, and the target directory let go of before the
// question comes. No goes on where the copy stopped when the source is as
// it was when the copy began (its size and time) and the temporary as it
// was left; false otherwise, and when the answer ended the run.
bool FileTransfer::stopForQuestion(std::unique_ptr<OpenFile>& in, std::unique_ptr<OpenFile>& out,
                                   const std::string& sourceFile, const std::string& tempFile,
                                   const FileEntry& file, uint64_t size, uint64_t copied)
{
    // A close that failed may have lost what was written last.
    const bool closed = out->close() == 0;
    in->close();
    run_.visit_->releaseTargetDir();
    run_.view_.processMessages();
    if (run_.state_.cancelled() || !closed)
        return false;
    FileEntry now;
    uint64_t sourceSize = 0, kept = 0;
    if (run_.fs_.openRead(sourceFile, in) == 0 && in->size(sourceSize) == 0 && sourceSize == size &&
        run_.fs_.find(sourceFile, now) == 0 && now.lastWrite == file.lastWrite && in->seek(copied) == 0 &&
        run_.fs_.openWrite(tempFile, out) == 0 && out->size(kept) == 0 && kept == copied && out->seek(copied) == 0)
        return true;
    // Closed, so that the temporary can go.
    out->close();
    return false;
}

// One name and one create in the usual case: CREATE_NEW itself reports a
// name that is taken, so nothing is looked up beforehand (under Wine every
// new name costs a scan of the whole directory). Every name of the copy is
// made in the target directory held open for it.
uint32_t FileTransfer::createTemporary(const std::string& target, const std::string& targetFile, std::string& tempFile,
                                    std::unique_ptr<OpenFile>& out)
{
    uint32_t error = 0;
    OpenDirectory* directory = run_.visit_->holdTargetDir(target, error);
    if (!directory)
        return error;
    for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
        tempFile = TemporaryName(targetFile, attempt);
        const std::string name = tempFile.substr(target.size());
        error = directory->createWrite(name, out);
        // What an interrupted run left under our name goes; a file that
        // cannot be removed (another run still writing it) is left alone.
        if (NameTaken(error) && directory->deleteFile(name) == 0)
            error = directory->createWrite(name, out);
        if (!NameTaken(error))
            return error;
    }
    return error;
}

}  // namespace tresorix
