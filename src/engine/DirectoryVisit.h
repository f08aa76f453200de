// What one directory visit of the run holds: its look at the target
// directory, the directory held open, and the batch of complete copies that
// wait for their names. Made when a visit starts and let go of with it; the
// thread that writes the batch out belongs to the run.
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tresorix {

class BackupRun;

// What a failed copy and a failed creation of its names ask, wherever they
// fail.
std::string CopyFailedText(const std::string& sourceFile);
std::string CreateFailedText(const std::string& targetFile, uint32_t error);
// The same with a reason of the program's own in place of an error number's.
std::string CreateFailedText(const std::string& targetFile, const std::string& reason);
// Why a file of 4 GiB or more has no place on the target.
std::string TooLargeText(const std::string& fileSystem);

inline bool NameTaken(uint32_t error)
{
    return error == errFileExists || error == errAlreadyExists;
}

// What the conflict step decided about an existing target.
struct Existing {
    bool replace = false;   // the copy replaces it by a rename
    bool previous = false;  // there was a copy, replaced or removed first
    uint64_t size = 0;
    uint32_t attributes = 0;
};

// How a copy ended; a name that appeared sends the file back to the
// conflict step. `queued`: complete, waiting in the batch for its name.
// `interrupted`: stopped, its copy gone: the answer to a cancel waiting in
// the queue ended the run, the copy could not go on where it stopped, or the
// user asked to try it again; unless the run ended, the file is handed over
// again from its start.
enum class CopyResult { saved, failed, nameAppeared, queued, interrupted };

// A complete copy, still open under its temporary name until the batch it
// belongs to is on the medium.
struct PendingCopy {
    std::unique_ptr<OpenFile> out;
    std::string sourceFile, targetFile, tempFile;
    FileEntry file;
    Existing existing;
    uint64_t copied = 0;
    bool secondTry = false;  // its name was found taken once already
    bool named = false;      // took its name through its open handle
    uint32_t flushError = 0;
    bool committed = true;
};

// The target directory as one listing saw it, kept up to date with what the
// run writes there.
struct TargetListing {
    std::string directory;  // empty: none
    // Upper-case ASCII names. A name it holds may have gone since, so only
    // its answer "missing" is taken on trust.
    std::unordered_set<std::string> names;
    bool missesKnown = true;  // a name it does not hold is not there
};

// What the visit holds of the target: its listing and the directory held
// open for the free-space question and for the copies written into it.
// Let go of before every prompt, as the user may change the medium then.
struct TargetHold {
    TargetListing listing;
    std::unique_ptr<OpenDirectory> dir;
    std::string dirPath;
    // What the held directory's volume said of itself, once asked.
    std::optional<std::string> fileSystem;
    std::optional<bool> fixedDisk;
};

class DirectoryVisit {
public:
    explicit DirectoryVisit(BackupRun& run) : run_(run) {}
    DirectoryVisit(const DirectoryVisit&) = delete;
    DirectoryVisit& operator=(const DirectoryVisit&) = delete;

    // The target directory (TargetDirectory.cpp).
    uint32_t findTarget(const std::string& target, const std::string& name, FileEntry& found);
    void noteTarget(const std::string& target, const std::string& name, bool present);
    OpenDirectory* holdTargetDir(const std::string& directory, uint32_t& error);
    void holdTargetDir(const std::string& directory, std::unique_ptr<OpenDirectory> made);
    OpenDirectory* inHeldTargetDir(const std::string& targetFile, std::string& name);
    void releaseTargetDir();
    void removeOwnCopy(const std::string& file);
    // The file system of the target directory's volume, empty where it
    // cannot be told; whether that volume is a fixed local disk.
    std::string targetFileSystem(const std::string& target);
    bool targetOnFixedDisk(const std::string& targetFile);

    // The batch of complete copies (Finish.cpp).
    void queueCopy(std::unique_ptr<PendingCopy> copy);
    // Gives every copy of the batch its real name once it is on the medium.
    void finishCopies();
    CopyResult replaceTarget(const std::string& tempFile, const std::string& targetFile, const Existing& existing,
                             bool secondTry);
    void retryCollided(const std::string& source, const std::string& target);

    TargetHold hold;
    std::string failedTargetDir;  // its files are passed over: No when it could not be made
    bool renameCollided = false;  // this file's copy found its name taken once
    // Names of the source directory that another one's equals but for case:
    // on a target that does not tell case apart they share one name.
    std::unordered_set<std::string> caseTwins;

private:
    void listTarget(const std::string& target);
    uint32_t findExactly(const std::string& target, const std::string& name, FileEntry& found);
    bool closeCopy(PendingCopy& copy);
    void renameCopy(PendingCopy& copy);
    void putVersionBack(const std::string& targetFile);
    void noteSaved(const PendingCopy& copy);

    BackupRun& run_;
    std::vector<FileEntry> collided_;  // their names were taken when the batch was named
    // Copies of this visit that wait for their names.
    std::vector<std::unique_ptr<PendingCopy>> pending_;
    uint64_t pendingBytes_ = 0;
};

}  // namespace tresorix
