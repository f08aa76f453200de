// The real file system on the Win32 wide-character functions. Paths are made
// absolute and given the \\?\ prefix, so names outside code page 1252, names
// ending in dots or blanks and paths longer than 260 characters work like
// any other.
#pragma once

#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace tresorix {

class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<FileListing> list(const std::string& directory, uint32_t& error) override;
    // The entry's name is the last component of `path` as given.
    uint32_t find(const std::string& path, FileEntry& entry) override;
    uint32_t getAttributes(const std::string& path, uint32_t& attributes) override;
    uint32_t setAttributes(const std::string& path, uint32_t attributes) override;
    uint32_t deleteFile(const std::string& path) override;
    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override;
    uint32_t createDirectory(const std::string& path) override;
    uint32_t removeDirectory(const std::string& path) override;
    uint32_t probeRemovable(const std::string& path) override;
    uint32_t directoryId(const std::string& path, FileId& id) override;
    uint32_t directoryIndex(const std::string& path, FileId& id) override;
    uint32_t allocatedSize(const std::string& path, uint64_t& bytes) override;
    bool keepsDirectoryTimes(const std::string& directory) override;
    uint32_t fileSystemName(const std::string& directory, std::string& name) override;
    bool onFixedDisk(const std::string& directory) override;
    std::optional<uint64_t> directoryStamp(const std::string& directory) override;
    uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t createWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t openWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override;
    std::unique_ptr<OpenDirectory> openDirectory(const std::string& directory, uint32_t& error) override;
    std::unique_ptr<OpenDirectory> makeDirectory(const std::string& directory, uint32_t& error) override;

private:
    // By drive letter: whether its volume keeps directory times faithfully.
};

// The form in which the W functions take `path`: made absolute against the
// working directory and prefixed with \\?\ (\\?\UNC\ for a share). Every
// name keeps every character, trailing dots and blanks too, and no name is
// a device: "nul.txt" and "CON" are files. Only a path already in the
// \\.\ form reaches a device.
std::wstring LongPath(const std::string& path);
// The same absolute path as the user reads it, without the prefix.
std::string AbsolutePath(const std::string& path);
// The process's working directory, however long.
std::string WorkingDirectory();

// An absolute path ("C:\..." or "\\server\share\...", either slash) in the
// \\?\ form, with "." and ".." resolved (never above the drive or share) and
// one backslash between names; a trailing separator stays. Paths already in
// the \\?\ or \\.\ form are returned as they are, relative ones as "".
std::wstring PrefixedPath(std::wstring_view path);

}  // namespace tresorix
