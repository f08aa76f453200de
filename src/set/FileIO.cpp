#include "set/FileIO.h"

#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace tresorix {

namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close()
    {
        bool ok = true;
        if (valid())
            ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

// WriteFile takes at most 4 GiB minus one per call; a set file is far smaller,
// but the loop costs nothing.
uint32_t writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000u ? 0x10000000u : DWORD(bytes.size());
        DWORD put = 0;
        if (!WriteFile(file, bytes.data(), chunk, &put, nullptr))
            return GetLastError();
        // Wine on a full disk reports success with fewer bytes written.
        if (put == 0)
            return ERROR_DISK_FULL;
        bytes.remove_prefix(put);
    }
    return 0;
}

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
    return path + ".~" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
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
        return ERROR_NOT_ENOUGH_MEMORY;
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

uint32_t AppendFileBytes(const std::string& path, std::string_view bytes)
{
    // FILE_APPEND_DATA alone: every write goes to the end, also when two
    // processes log into the same file.
    Handle file(CreateFileW(LongPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return GetLastError();
    uint32_t error = writeAll(file.get(), bytes);
    if (!file.close() && error == 0)
        error = GetLastError();
    return error;
}

std::string ReadFileTail(const std::string& path, size_t count)
{
    Handle file(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size))
        return {};
    const LONGLONG from = std::max<LONGLONG>(0, size.QuadPart - LONGLONG(count));
    LARGE_INTEGER at;
    at.QuadPart = from;
    std::string bytes(size_t(size.QuadPart - from), '\0');
    DWORD got = 0;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr))
        return {};
    bytes.resize(got);
    return bytes;
}

uint64_t FileSize(const std::string& path)
{
    FileEntry entry;
    if (realFileSystem().find(path, entry) != 0 || entry.isDirectory())
        return 0;
    return entry.size;
}

uint32_t MoveFileReplacing(const std::string& from, const std::string& to)
{
    if (!MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_REPLACE_EXISTING))
        return GetLastError();
    return 0;
}

std::string ProgramPath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return {};
        // A full buffer means the path was cut (XP does not even say so).
        if (n < buffer.size()) {
            buffer.resize(n);
            return Narrow(buffer);
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
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
