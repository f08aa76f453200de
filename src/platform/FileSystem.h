// The file system as the backup sees it. Every call reports the platform's
// error number (0 on success); paths are UTF-8 and may be longer than 260
// characters. Win32FileSystem is the real one; tests wrap it to inject faults.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tresorix {

// Attribute bits as Windows defines them.
enum : uint32_t {
    attrReadOnly = 0x01,
    attrHidden = 0x02,
    attrSystem = 0x04,
    attrVolumeLabel = 0x08,
    attrDirectory = 0x10,
    attrArchive = 0x20,
};

// Error numbers the program itself tests for.
enum : uint32_t {
    errFileNotFound = 2,
    errPathNotFound = 3,
    errAccessDenied = 5,
    errDriveNotReady = 21,
    errEntryNotPossible = 82,
    errDiskFull = 112,
    errAlreadyExists = 183,
};

struct FileEntry {
    std::string name;          // without path
    uint64_t size = 0;
    uint64_t lastWrite = 0;    // FILETIME ticks (100 ns since 1601), UTC
    int32_t dosTime = 0;       // packed local time; 0 when outside 1980..2107
    uint32_t attributes = 0;
    bool isDirectory() const { return (attributes & attrDirectory) != 0; }
};

class FileListing {
public:
    virtual ~FileListing() = default;
    // False at the end of the listing.
    virtual bool next(FileEntry& entry) = 0;
};

class OpenFile {
public:
    virtual ~OpenFile() = default;
    virtual uint32_t read(void* buffer, uint32_t size, uint32_t& got) = 0;
    virtual uint32_t write(const void* buffer, uint32_t size, uint32_t& put) = 0;
    // On the open handle: one open per copied file fewer than by path.
    virtual uint32_t setLastWriteTime(uint64_t lastWrite) = 0;
    // Closing reports errors the system could only detect at the end
    // (delayed write failures on network shares).
    virtual uint32_t close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Lists every entry of the directory (pattern "*"), "." and ".." included.
    // The error of an empty listing is 18 (no more files) or 2.
    virtual std::unique_ptr<FileListing> list(const std::string& directory, uint32_t& error) = 0;
    // Looks up one entry by its full name (no wildcards).
    virtual uint32_t find(const std::string& path, FileEntry& entry) = 0;

    virtual uint32_t getAttributes(const std::string& path, uint32_t& attributes) = 0;
    virtual uint32_t setAttributes(const std::string& path, uint32_t attributes) = 0;
    virtual uint32_t deleteFile(const std::string& path) = 0;
    virtual uint32_t renameFile(const std::string& from, const std::string& to) = 0;
    virtual uint32_t createDirectory(const std::string& path) = 0;

    // Shared for reading and writing by others, as a backup must not lock
    // the user's files.
    virtual uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) = 0;
    // Creates or truncates.
    virtual uint32_t createWrite(const std::string& path, std::unique_ptr<OpenFile>& file) = 0;

    // Free bytes available to the caller on the volume holding `path`
    // (a drive root "X:\" or a share "\\server\share\").
    virtual uint32_t freeSpace(const std::string& path, uint64_t& bytes) = 0;
};

}  // namespace tresorix
