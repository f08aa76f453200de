// The file system as the backup sees it. Every call reports the platform's
// error number (0 on success); paths are UTF-8 and may be longer than 260
// characters. Win32FileSystem is the real one; tests wrap it to inject faults.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace tresorix {

// Attribute bits as Windows defines them.
enum : uint32_t {
    attrReadOnly = 0x01,
    attrHidden = 0x02,
    attrSystem = 0x04,
    attrVolumeLabel = 0x08,
    attrDirectory = 0x10,
    attrArchive = 0x20,
    attrReparsePoint = 0x400,  // a junction, a link, a cloud placeholder... (Wine: a symbolic link)
};

// The reparse tags that make a reparse point lead elsewhere.
enum : uint32_t {
    reparseMountPoint = 0xA0000003,  // a junction or a volume mounted in a folder
    reparseSymlink = 0xA000000C,
};

// Error numbers the program itself tests for.
enum : uint32_t {
    errFileNotFound = 2,
    errPathNotFound = 3,
    errAccessDenied = 5,
    errNotEnoughMemory = 8,
    errSharingViolation = 32,
    errDriveNotReady = 21,
    errNotSupported = 50,
    errBadNetPath = 53,
    errNetworkAccessDenied = 65,
    errBadNetName = 67,
    errFileExists = 80,
    errEntryNotPossible = 82,
    errDiskFull = 112,
    errAlreadyExists = 183,
    errDirectoryExists = 250,  // a directory of that name is there already
    errCancelled = 1223,  // a call that waited for its medium was dropped (AnsweringFileSystem)
};

struct FileEntry {
    std::string name;          // without path
    uint64_t size = 0;
    uint64_t lastWrite = 0;    // FILETIME ticks (100 ns since 1601), UTC
    int32_t dosTime = 0;       // packed local time; 0 when outside 1980..2107
    uint32_t attributes = 0;
    // What kind of reparse point it is, with attrReparsePoint; 0 where the
    // system does not say.
    uint32_t reparseTag = 0;
    // Its identity on its volume in the 64-bit form, where the listing tells
    // it; 0 unknown.
    uint64_t index = 0;
    bool isDirectory() const { return (attributes & attrDirectory) != 0; }
};

// Whether the entry leads elsewhere: a junction, a mount point or a symbolic
// link. Cloud placeholders, deduplicated files and the other reparse points
// are the files and directories they look like. A reparse point without a
// tag (Wine's symbolic links) counts as a link: following or deleting
// through one by mistake costs more than passing it.
inline bool IsLink(const FileEntry& entry)
{
    return (entry.attributes & attrReparsePoint) &&
           (entry.reparseTag == 0 || entry.reparseTag == reparseMountPoint || entry.reparseTag == reparseSymlink);
}

// What tells two names of one directory apart: through a junction or link the
// same directory may be reached under another path. It comes in two forms,
// compared only with their own kind: the 128-bit identity (directoryId) and
// the 64-bit index of listings and directoryIndex (indexHigh 0). NTFS and
// FAT give the index as the identity's low part; ReFS gives other numbers.
struct FileId {
    uint64_t volume = 0;
    uint64_t index = 0;
    uint64_t indexHigh = 0;  // file systems with 128-bit identities
    bool operator==(const FileId&) const = default;
    // Zero is what WebDAV, some NAS and user-mode file systems answer, all
    // ones what ReFS answers for an identity that does not fit the form
    // asked for: no identity, equal to no other.
    bool known() const
    {
        constexpr uint64_t kAllOnes = ~uint64_t(0);
        return (index != 0 || indexHigh != 0) && !(index == kAllOnes && (indexHigh == 0 || indexHigh == kAllOnes));
    }
};

class FileListing {
public:
    virtual ~FileListing() = default;
    // False at the end of the listing, and when it broke off: then error()
    // tells why, and the names it did not reach are not known.
    virtual bool next(FileEntry& entry) = 0;
    virtual uint32_t error() const { return 0; }
};

class OpenFile {
public:
    virtual ~OpenFile() = default;
    virtual uint32_t read(void* buffer, uint32_t size, uint32_t& got) = 0;
    virtual uint32_t write(const void* buffer, uint32_t size, uint32_t& put) = 0;
    // The size now, which may differ from what a listing said a moment ago.
    virtual uint32_t size(uint64_t& bytes) = 0;
    // The next read or write begins `offset` bytes from the start: a copy
    // stopped for a question goes on there. 50 (not supported) where a file
    // cannot; the copy then starts again.
    virtual uint32_t seek(uint64_t offset) { return errNotSupported; }
    // On the open handle of a file just made, in one step: one open per
    // copied file fewer than by path. `attributes` 0 leaves the file without
    // any.
    virtual uint32_t setTimeAndAttributes(uint64_t lastWrite, uint32_t attributes) = 0;
    // On the medium before it returns: a copy that is to take an existing
    // copy's name must not be garbage there after a power cut.
    virtual uint32_t flush() = 0;
    // Writes the file's bytes and metadata out of the system's cache.
    // `committed` false: they may still sit in the device's own cache, which
    // one flush() of any file on the volume empties for all of them.
    virtual uint32_t writeOut(bool& committed)
    {
        committed = true;
        return flush();
    }
    // Closing reports errors the system could only detect at the end
    // (delayed write failures on network shares).
    virtual uint32_t close() = 0;
};

// A target directory held open while files are written into it: its volume
// is asked for free space, and names are created and renamed inside it,
// without the system resolving the whole path again each time (under Wine
// that is a look at every level of the path for every new name).
class OpenDirectory {
public:
    virtual ~OpenDirectory() = default;
    virtual uint32_t freeSpace(uint64_t& bytes) = 0;
    // As FileSystem::createWrite and renameFile, for names in this directory.
    virtual uint32_t createWrite(const std::string& name, std::unique_ptr<OpenFile>& file) = 0;
    virtual uint32_t renameFile(const std::string& from, const std::string& to, bool replace) = 0;
    // Gives a file made by createWrite here, still open, the name `to` in
    // this directory, unless a file has it: the copy needs no second open for
    // its rename. 50 (not supported) where the file system cannot.
    virtual uint32_t nameOpenFile(OpenFile& file, const std::string& to) { return errNotSupported; }
    // Deletes a file of this directory, read-only or not.
    virtual uint32_t deleteFile(const std::string& name) = 0;
    // As FileSystem::directoryIndex, of this directory, without a second
    // open; 50 (not supported) where the file system has no such handle.
    virtual uint32_t index(FileId& id) { return errNotSupported; }
    // As FileSystem::fileSystemName and onFixedDisk, of this directory.
    virtual uint32_t fileSystemName(std::string& name) { return errNotSupported; }
    virtual bool onFixedDisk() { return false; }
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
    // With `replace`, an existing file `to` is replaced in one step, and the
    // rename is on the medium before the call returns; without, an existing
    // `to` fails the call.
    virtual uint32_t renameFile(const std::string& from, const std::string& to, bool replace) = 0;
    virtual uint32_t createDirectory(const std::string& path) = 0;
    // Removes an empty directory, or a directory link itself, never what it
    // points to: where the system would only reach the link's target, the
    // link stays and the call fails.
    virtual uint32_t removeDirectory(const std::string& path) { return errNotSupported; }
    // 0 when the file could be deleted or replaced now: it is not a directory,
    // we may change its attributes, and no other program holds it open
    // without allowing that. Nothing is changed.
    virtual uint32_t probeRemovable(const std::string& path) = 0;
    // The 128-bit identity and its volume.
    virtual uint32_t directoryId(const std::string& path, FileId& id) = 0;
    // The 64-bit index without its volume (left 0), where that costs less:
    // for a directory known to lie on a volume already. Under Wine the
    // volume's serial is a request to the mount manager for every directory.
    virtual uint32_t directoryIndex(const std::string& path, FileId& id) { return directoryId(path, id); }
    // Whether the volume that holds the directory keeps its times faithfully
    // (not FAT, not a share): asked once per entry, of its source.
    virtual bool keepsDirectoryTimes(const std::string& directory) { return false; }
    // When the directory last gained or lost an entry, where that lies far
    // enough back that a change now gives another one; nothing after a
    // change a moment ago. Equal stamps before a listing and after it mean
    // the listing still holds, where keepsDirectoryTimes says so.
    virtual std::optional<uint64_t> directoryStamp(const std::string& directory) { return std::nullopt; }
    // The name of the file system that holds the existing directory, as the
    // system gives it: "NTFS", "FAT32", "FAT", "exFAT"... A question to the
    // volume of its own, asked only where the answer matters.
    virtual uint32_t fileSystemName(const std::string& directory, std::string& name) { return errNotSupported; }
    // Whether the directory lies on a fixed local disk, where one flush of
    // any file empties the device's cache for every file written out there.
    // A share, a removable medium or any other device promises no such
    // thing: there each file needs a flush of its own.
    virtual bool onFixedDisk(const std::string& directory) { return false; }
    // The room the file takes on its medium, which its deletion frees.
    virtual uint32_t allocatedSize(const std::string& path, uint64_t& bytes)
    {
        FileEntry entry;
        uint32_t error = find(path, entry);
        bytes = entry.size;
        return error;
    }

    // Shared for reading and writing by others, as a backup must not lock
    // the user's files.
    virtual uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) = 0;
    // Creates a new file; a name that is taken fails with 80 (file exists),
    // so nothing that is there already is ever truncated.
    virtual uint32_t createWrite(const std::string& path, std::unique_ptr<OpenFile>& file) = 0;
    // Opens an existing file for writing, as createWrite made it, without
    // changing a byte: a copy stopped for a question goes on in its
    // temporary. Never makes a file. 50 (not supported) where a file system
    // cannot; the copy then starts again.
    virtual uint32_t openWrite(const std::string& path, std::unique_ptr<OpenFile>& file) { return errNotSupported; }

    // Free bytes available to the caller on the volume holding the existing
    // directory `path`; a volume mounted in a folder answers for itself.
    virtual uint32_t freeSpace(const std::string& path, uint64_t& bytes) = 0;
    // Opens an existing directory (its path ending in a backslash) until the
    // result is dropped; what another program does meanwhile is seen, but a
    // changed medium is not, so it is dropped before the user is asked
    // anything. Unless a file system has a cheaper way, it works by name.
    virtual std::unique_ptr<OpenDirectory> openDirectory(const std::string& directory, uint32_t& error)
    {
        struct ByName : OpenDirectory {
            ByName(FileSystem& fs, std::string directory) : fs(fs), directory(std::move(directory)) {}
            uint32_t freeSpace(uint64_t& bytes) override { return fs.freeSpace(directory, bytes); }
            uint32_t createWrite(const std::string& name, std::unique_ptr<OpenFile>& file) override
            {
                return fs.createWrite(directory + name, file);
            }
            uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override
            {
                return fs.renameFile(directory + from, directory + to, replace);
            }
            uint32_t fileSystemName(std::string& name) override { return fs.fileSystemName(directory, name); }
            bool onFixedDisk() override { return fs.onFixedDisk(directory); }
            uint32_t deleteFile(const std::string& name) override
            {
                uint32_t attributes = 0;
                if (uint32_t error = fs.getAttributes(directory + name, attributes))
                    return error;
                if (attributes & attrReadOnly)
                    fs.setAttributes(directory + name, attributes & ~attrReadOnly);
                return fs.deleteFile(directory + name);
            }
            FileSystem& fs;
            std::string directory;
        };
        error = 0;
        return std::make_unique<ByName>(*this, directory);
    }
    // Creates the directory (its path ending in a backslash) and holds it
    // open as openDirectory does, unless the file system has no cheaper
    // way than the two calls: then the result may be empty. `error` is the
    // creation's, as createDirectory reports it.
    virtual std::unique_ptr<OpenDirectory> makeDirectory(const std::string& directory, uint32_t& error)
    {
        error = createDirectory(directory.substr(0, directory.size() - 1));
        return nullptr;
    }
};

}  // namespace tresorix
