// A file system that passes every call through to another one and fails the
// calls it was told to fail: for faults that real files cannot produce here
// (drive not ready, locked files, full or failing media).
//
//   FaultFileSystem fs(real);
//   fs.inject({FaultOp::openRead, "a.txt", errAccessDenied, 0, 2});  // twice
//   fs.inject({FaultOp::shortWrite, "\\target\\", 0, 1000});         // medium full
//   fs.setFreeSpace(5000);
//   fs.driveNotReady("Q:");
//
// The first fault injected for a call and path that is not spent yet wins.
#pragma once

#include "platform/FileSystem.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tresorix::test {

enum class FaultOp {
    // Calls on paths.
    list,
    find,
    getAttributes,
    setAttributes,
    deleteFile,
    renameFile,       // matched against the source path
    createDirectory,
    removeDirectory,
    probeRemovable,
    directoryId,
    openRead,
    createWrite,
    setTimeAndAttributes,
    freeSpace,
    // Calls on open files.
    read,             // on files opened for reading, once `after` bytes have come
    write,            // on files created for writing, once `after` bytes have gone
    shortWrite,       // as write, but reports success with fewer bytes put
    flush,
    writeOut,         // noted on its own; a flush fault fails it too
    close,
    listNext,         // a listing breaks off after `after` entries
    count_
};

struct Fault {
    FaultOp op;
    std::string path;       // part of the path, any case; empty matches every path
    uint32_t error = 0;     // reported error (shortWrite: none)
    uint64_t after = 0;     // read, write, shortWrite: bytes that get through first
    int times = -1;         // calls that fail before the fault is spent; -1 for ever
    bool exact = false;     // `path` must be the whole path (any case), e.g. only "C:\\"
};

class FaultFileSystem : public FileSystem {
public:
    explicit FaultFileSystem(FileSystem& real) : real_(real) {}

    void inject(Fault fault) { faults_.push_back(std::move(fault)); }
    // Every call on a path containing `pathPart` fails with 21, as on a drive
    // without its medium.
    void driveNotReady(const std::string& pathPart);
    // Reported instead of the real free space, whatever the path. With
    // `deletesFree`, every file deleted through here adds the room it took.
    void setFreeSpace(uint64_t bytes, bool deletesFree = false)
    {
        freeSpace_ = bytes;
        deletesFree_ = deletesFree;
    }
    // Listings, find() and getAttributes() give the entry whose path ends in
    // `pathEnd` as a reparse point of `tag` (a cloud placeholder, a
    // junction), whatever it is on disk.
    void reparse(const std::string& pathEnd, uint32_t tag) { reparse_.emplace_back(pathEnd, tag); }
    // directoryId gives 128-bit identities whose low part is not the 64-bit
    // index of listings and directoryIndex, as ReFS does.
    void identitiesAsReFS() { refs_ = true; }
    // What the target's volume says of itself instead of what it is: its
    // file system's name, whether it is a fixed local disk.
    void setFileSystemName(std::string name) { fileSystemName_ = std::move(name); }
    void setFixedDisk(bool fixed) { fixedDisk_ = fixed; }
    void clear();
    // How often each call was made, faulty or not (read and write per block).
    int calls(FaultOp op) const { return calls_[int(op)]; }
    // Every call in order, with its path (one entry for all blocks of a read
    // or write in a row).
    const std::vector<std::pair<FaultOp, std::string>>& journal() const { return journal_; }

    std::unique_ptr<FileListing> list(const std::string& directory, uint32_t& error) override;
    uint32_t find(const std::string& path, FileEntry& entry) override;
    uint32_t getAttributes(const std::string& path, uint32_t& attributes) override;
    uint32_t setAttributes(const std::string& path, uint32_t attributes) override;
    uint32_t deleteFile(const std::string& path) override;
    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override;
    uint32_t createDirectory(const std::string& path) override;
    uint32_t removeDirectory(const std::string& path) override;
    uint32_t probeRemovable(const std::string& path) override;
    uint32_t directoryId(const std::string& path, FileId& id) override;
    uint32_t directoryIndex(const std::string& path, FileId& id) override
    {
        if (uint32_t error = fail(FaultOp::directoryId, path))
            return error;
        return real_.directoryIndex(path, id);
    }
    bool keepsDirectoryTimes(const std::string& directory) override { return real_.keepsDirectoryTimes(directory); }
    uint32_t fileSystemName(const std::string& directory, std::string& name) override
    {
        if (!fileSystemName_)
            return real_.fileSystemName(directory, name);
        name = *fileSystemName_;
        return 0;
    }
    bool onFixedDisk(const std::string& directory) override
    {
        return fixedDisk_ ? *fixedDisk_ : real_.onFixedDisk(directory);
    }
    std::optional<uint64_t> directoryStamp(const std::string& directory) override
    {
        return real_.directoryStamp(directory);
    }
    uint32_t allocatedSize(const std::string& path, uint64_t& bytes) override
    {
        return real_.allocatedSize(path, bytes);
    }
    uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t createWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t openWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override;

private:
    friend class FaultFile;
    friend class FaultListing;
    // The first fault of `op` for `path` that is not spent yet.
    Fault* match(FaultOp op, const std::string& path);
    static void spend(Fault& fault);
    // Counts the call; the error of a matching fault, else 0.
    uint32_t fail(FaultOp op, const std::string& path);

    FileSystem& real_;
    // Copies are flushed on a thread of the run's own.
    std::recursive_mutex mutex_;
    std::vector<Fault> faults_;
    std::optional<uint64_t> freeSpace_;
    std::optional<std::string> fileSystemName_;
    std::optional<bool> fixedDisk_;
    bool deletesFree_ = false;
    int calls_[int(FaultOp::count_)] = {};
    std::vector<std::pair<FaultOp, std::string>> journal_;
    void note(FaultOp op, const std::string& path);
    void markReparse(const std::string& path, FileEntry& entry) const;
    std::vector<std::pair<std::string, uint32_t>> reparse_;
    bool refs_ = false;
};

}  // namespace tresorix::test
