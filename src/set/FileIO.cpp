#include "set/FileIO.h"

#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"
#include "platform/Win32Files.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string_view>
#include <thread>

namespace tresorix {

namespace {

uint32_t writeAll(OpenFile& file, std::string_view bytes)
{
    while (!bytes.empty()) {
        uint32_t chunk = bytes.size() > 0x10000000u ? 0x10000000u : uint32_t(bytes.size());
        uint32_t put = 0;
        if (uint32_t error = file.write(bytes.data(), chunk, put))
            return error;
        if (put == 0)
            return errDiskFull;
        bytes.remove_prefix(put);
    }
    return 0;
}

FileSystem& realFileSystem()
{
    static Win32FileSystem fs;
    return fs;
}

// A fresh name beside the target: its own name with a marker, so that a
// left-over from a crash is recognisable as belonging to it.
std::string tempNameFor(const std::string& path, unsigned attempt)
{
    return path + ".~" + std::to_string(CurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

uint32_t ReadFileBytes(const std::string& path, std::string& bytes)
{
    return ReadFileBytes(realFileSystem(), path, bytes);
}

uint32_t ReadFileBytes(FileSystem& fs, const std::string& path, std::string& bytes)
{
    bytes.clear();
    std::unique_ptr<OpenFile> file;
    if (uint32_t error = fs.openRead(path, file))
        return error;
    uint64_t size = 0;
    if (uint32_t error = file->size(size))
        return error;
    if (size >= uint64_t(bytes.max_size()) || size > 0x7fffffff)
        return errNotEnoughMemory;
    bytes.resize(size_t(size));
    size_t done = 0;
    while (done < bytes.size()) {
        uint32_t got = 0;
        if (uint32_t error = file->read(bytes.data() + done, uint32_t(bytes.size() - done), got)) {
            bytes.clear();
            return error;
        }
        if (got == 0)
            break;  // shrank while we read it
        done += got;
    }
    bytes.resize(done);
    return 0;
}

uint32_t ReplaceFileBytes(const std::string& path, const std::string& bytes)
{
    return ReplaceFileBytes(realFileSystem(), path, bytes);
}

uint32_t ReplaceFileBytes(FileSystem& fs, const std::string& path, const std::string& bytes)
{
    uint32_t old = 0;
    const bool existed = fs.getAttributes(path, old) == 0;
    // Windows refuses to replace a read-only file; Wine, where read-only is
    // the Unix write permission, would rename over it regardless.
    if (existed && (old & (attrDirectory | attrReadOnly)))
        return errAccessDenied;

    std::string temp;
    std::unique_ptr<OpenFile> file;
    for (unsigned attempt = 0;; ++attempt) {
        temp = tempNameFor(path, attempt);
        uint32_t error = fs.createWrite(temp, file);
        if (error == 0)
            break;
        if ((error != errFileExists && error != errAlreadyExists) || attempt >= 100)
            return error;
    }

    uint32_t error = writeAll(*file, bytes);
    if (error == 0)
        error = file->flush();
    // Closing may report what the system could only find at the end.
    const uint32_t closed = file->close();
    file.reset();
    if (error == 0)
        error = closed;
    // A hidden or system file stays so; the new file would otherwise come
    // with plain attributes.
    constexpr uint32_t kept = attrHidden | attrSystem;
    if (error == 0 && existed && (old & kept))
        error = fs.setAttributes(temp, old & (kept | attrArchive));
    if (error == 0)
        error = fs.renameFile(temp, path, true);
    // A scanner or indexer reading the file just written holds it for a
    // moment; the settings would otherwise go to the fallback for good.
    for (int retry = 0; error == errSharingViolation && retry < 10; ++retry) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        error = fs.renameFile(temp, path, true);
    }
    if (error != 0) {
        fs.setAttributes(temp, 0);
        fs.deleteFile(temp);
    }
    return error;
}

bool FileExists(const std::string& path)
{
    return FileExists(realFileSystem(), path);
}

bool FileExists(FileSystem& fs, const std::string& path)
{
    uint32_t attributes = 0;
    return fs.getAttributes(path, attributes) == 0 && !(attributes & attrDirectory);
}

uint64_t FileSize(const std::string& path)
{
    FileEntry entry;
    if (realFileSystem().find(path, entry) != 0 || entry.isDirectory())
        return 0;
    return entry.size;
}

std::string UserDataFolder()
{
    return UserDataFolder(realFileSystem());
}

std::string UserDataFolder(FileSystem& fs)
{
    const std::string local = LocalAppDataFolder();
    if (local.empty())
        return {};
    std::string path = local + "\\Tresorix";
    fs.createDirectory(path);
    return path + "\\";
}

}  // namespace tresorix
