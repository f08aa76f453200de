// One file's way into the target, step by step: open the source, make sure
// of the target directory, settle the conflict with an existing target, see
// that the target's file system can hold the file, make room, copy under a
// temporary name. A complete copy is queued in the visit's batch, which
// gives it its name (DirectoryVisit).
#pragma once

#include "engine/DirectoryVisit.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tresorix {

class BackupRun;

class FileTransfer {
public:
    explicit FileTransfer(BackupRun& run) : run_(run) {}

    // True when the same file is to be handed over again (a medium was changed).
    bool backUp(const std::string& source, const std::string& target, const FileEntry& file, uint64_t dirDone,
                uint64_t dirCount);

private:
    // How one step ended: on to the next step, the file passed over, or
    // handed over again once the user changed the medium. A cancel is the
    // run state's.
    enum class Step { goOn, skip, changeMedium };

    bool modeSkipsWithoutAsking(const std::string& target, const FileEntry& file);
    Step openSource(const std::string& sourceFile, std::unique_ptr<OpenFile>& in);
    Step ensureTargetDirectory(const std::string& target);
    bool targetDriveGone(const std::string& directory, uint32_t error);
    Step resolveConflict(const std::string& targetFile, const FileEntry& file, Existing& existing);
    Step checkFileSystemLimit(const std::string& target, const std::string& targetFile, uint64_t size);
    Step checkFreeSpace(const std::string& target, const std::string& targetFile, uint64_t size,
                        Existing& existing);
    uint32_t freeSpaceAt(std::string directory, uint64_t& bytes);
    CopyResult copyFile(std::unique_ptr<OpenFile>& in, uint64_t size, const std::string& sourceFile,
                        const std::string& targetFile, const FileEntry& file, const Existing& existing,
                        uint64_t& copied);
    bool stopForQuestion(std::unique_ptr<OpenFile>& in, std::unique_ptr<OpenFile>& out, const std::string& sourceFile,
                         const std::string& tempFile, const FileEntry& file, uint64_t size, uint64_t copied);
    uint32_t createTemporary(const std::string& target, const std::string& targetFile, std::string& tempFile,
                             std::unique_ptr<OpenFile>& out);

    BackupRun& run_;
};

}  // namespace tresorix
