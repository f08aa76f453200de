#include "platform/Win32FileSystem.h"

#include "platform/TextConv.h"

#include <windows.h>
#include <winternl.h>

extern "C" NTSTATUS NTAPI NtQueryFullAttributesFile(POBJECT_ATTRIBUTES, PFILE_NETWORK_OPEN_INFORMATION);

#include <algorithm>
#include <cwctype>
#include <vector>

namespace tresorix {
namespace {

// Local FILETIME ticks of 1 January 1980 and 1 January 2108, the range the
// packed DOS format can hold.
constexpr uint64_t kDosFirst = 119600064000000000ull;
constexpr uint64_t kDosEnd = 159992928000000000ull;

uint64_t ticks(const FILETIME& ft)
{
    return uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

int32_t packedTime(const FILETIME& utc)
{
    FILETIME local;
    WORD date, time;
    if (!FileTimeToLocalFileTime(&utc, &local) || ticks(local) < kDosFirst || ticks(local) >= kDosEnd ||
        !FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return int32_t(uint32_t(date) << 16 | time);
}

// Most names are ASCII; they need no trip through the code-page functions.
std::string narrowName(const wchar_t* name)
{
    std::string out;
    for (const wchar_t* p = name; *p; ++p) {
        if (*p >= 0x80)
            return Narrow(name);
        out += char(*p);
    }
    return out;
}

void fillEntry(FileEntry& entry, const WIN32_FIND_DATAW& data)
{
    entry.name = narrowName(data.cFileName);
    entry.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    entry.lastWrite = ticks(data.ftLastWriteTime);
    entry.dosTime = packedTime(data.ftLastWriteTime);
    entry.attributes = data.dwFileAttributes;
}

class Listing : public FileListing {
public:
    Listing(HANDLE handle, const WIN32_FIND_DATAW& first) : handle_(handle), data_(first) {}
    ~Listing() override { FindClose(handle_); }

    bool next(FileEntry& entry) override
    {
        if (!havePending_ && !FindNextFileW(handle_, &data_)) {
            DWORD error = GetLastError();
            error_ = error == ERROR_NO_MORE_FILES ? 0 : error;
            return false;
        }
        havePending_ = false;
        fillEntry(entry, data_);
        return true;
    }
    uint32_t error() const override { return error_; }

private:
    HANDLE handle_;
    WIN32_FIND_DATAW data_;
    bool havePending_ = true;
    uint32_t error_ = 0;
};

class File : public OpenFile {
public:
    explicit File(HANDLE handle) : handle_(handle) {}
    ~File() override { close(); }

    uint32_t read(void* buffer, uint32_t size, uint32_t& got) override
    {
        DWORD n = 0;
        BOOL ok = ReadFile(handle_, buffer, size, &n, nullptr);
        got = n;
        return ok ? 0 : GetLastError();
    }

    uint32_t write(const void* buffer, uint32_t size, uint32_t& put) override
    {
        DWORD n = 0;
        BOOL ok = WriteFile(handle_, buffer, size, &n, nullptr);
        put = n;
        return ok ? 0 : GetLastError();
    }

    uint32_t size(uint64_t& bytes) override
    {
        LARGE_INTEGER n;
        if (!GetFileSizeEx(handle_, &n))
            return GetLastError();
        bytes = uint64_t(n.QuadPart);
        return 0;
    }

    uint32_t setTimeAndAttributes(uint64_t lastWrite, uint32_t attributes) override
    {
        // Zero leaves a time, or the attributes, as they are.
        FILE_BASIC_INFO info{};
        info.LastWriteTime.QuadPart = LONGLONG(lastWrite);
        info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
        return SetFileInformationByHandle(handle_, FileBasicInfo, &info, sizeof info) ? 0 : GetLastError();
    }

    uint32_t flush() override { return FlushFileBuffers(handle_) ? 0 : GetLastError(); }

    // Out of the cache without a flush of the device's own cache per file,
    // where the system can (Windows 8 on); elsewhere a whole flush.
    uint32_t writeOut(bool& committed) override
    {
        using FlushEx = NTSTATUS(NTAPI*)(HANDLE, ULONG, void*, ULONG, IO_STATUS_BLOCK*);
        static const auto flushEx = reinterpret_cast<FlushEx>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtFlushBuffersFileEx")));
        constexpr ULONG kFlushNoSync = 4;  // FLUSH_FLAGS_NO_SYNC
        committed = true;
        if (!flushEx)
            return flush();
        IO_STATUS_BLOCK io{};
        NTSTATUS status = flushEx(handle_, kFlushNoSync, nullptr, 0, &io);
        // Not supported by this file system or this system: the whole flush.
        if (status == NTSTATUS(0xC0000002L) || status == NTSTATUS(0xC00000BBL) || status == NTSTATUS(0xC000000DL))
            return flush();
        committed = false;
        return NT_SUCCESS(status) ? 0 : RtlNtStatusToDosError(status);
    }

    uint32_t close() override
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return 0;
        BOOL ok = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok ? 0 : GetLastError();
    }

    HANDLE handle() const { return handle_; }

private:
    HANDLE handle_;
};

uint32_t lastError(BOOL ok)
{
    return ok ? 0 : GetLastError();
}

uint32_t openHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                    HANDLE& handle)
{
    handle = CreateFileW(LongPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    return handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
}

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// GetFullPathNameW for a name of any length; empty when it fails.
std::wstring fullPathName(const std::wstring& name)
{
    DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
    full.resize(n < full.size() ? n : 0);
    return full;
}

std::wstring currentDirectory()
{
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring current(n, L'\0');
    n = GetCurrentDirectoryW(n, current.data());
    current.resize(n < current.size() ? n : 0);
    return current;
}

// A relative path put behind the directory it is relative to; empty when
// that is not known. GetFullPathNameW is asked only about "C:" and "\",
// which hold no name it could rewrite.
std::wstring joinedToItsDirectory(const std::wstring& path)
{
    std::wstring base;
    std::wstring current = currentDirectory();
    if (path.size() >= 2 && path[1] == L':') {
        // On the current directory's drive that directory itself: the
        // system's answer for "C:" drops the dot of a current directory "dir.".
        bool sameDrive =
            current.size() >= 2 && current[1] == L':' && std::towupper(current[0]) == std::towupper(path[0]);
        base = sameDrive ? current : fullPathName(path.substr(0, 2));
        return base.empty() ? base : base + L'\\' + path.substr(2);
    }
    base = isSeparator(path[0]) ? fullPathName(L"\\") : current;
    return base.empty() ? base : base + L'\\' + path;
}

}  // namespace

std::wstring PrefixedPath(std::wstring_view path)
{
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\"))
        return std::wstring(path);
    std::wstring out;
    size_t at = 0;
    if (path.size() >= 3 && path[1] == L':' && isSeparator(path[2])) {
        out = L"\\\\?\\";
        out += path.substr(0, 2);
        at = 3;
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // Server and share are the root of the path.
        out = L"\\\\?\\UNC";
        at = 2;
        for (int part = 0; part < 2 && at <= path.size(); ++part) {
            size_t end = std::min(path.find_first_of(L"\\/", at), path.size());
            out += L'\\';
            out += path.substr(at, end - at);
            at = end + 1;
        }
    } else {
        return {};
    }
    // The system cleans up no path in this form, and takes every name in it
    // as it stands: "data." and "note " are names, only "." and ".." are not.
    const size_t root = out.size();
    while (at < path.size()) {
        size_t end = std::min(path.find_first_of(L"\\/", at), path.size());
        std::wstring_view name = path.substr(at, end - at);
        if (name == L"..") {
            if (out.size() > root)
                out.erase(out.rfind(L'\\'));
        } else if (!name.empty() && name != L".") {
            out += L'\\';
            out += name;
        }
        at = end + 1;
    }
    // "\\?\C:" without the backslash would be the volume, not its root.
    if (out.size() == root || isSeparator(path.back()))
        out += L'\\';
    return out;
}

std::wstring LongPath(const std::string& path)
{
    std::wstring wide = Widen(path);
    if (wide.empty() || wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\"))
        return wide;
    // Only the system knows device names such as CON or NUL (for some
    // systems also "C:\x\nul.txt") and turns them into \\.\NUL; "//?/C:/x"
    // it gives back as \\?\C:\x. Its answer serves for nothing else: it
    // drops trailing dots and blanks from every name, and "data." would be
    // the file "data".
    wchar_t device[MAX_PATH];
    DWORD n = GetFullPathNameW(wide.c_str(), MAX_PATH, device, nullptr);
    if (n > 0 && n < MAX_PATH && (std::wstring_view(device).starts_with(L"\\\\.\\") ||
                                  std::wstring_view(device).starts_with(L"\\\\?\\")))
        return std::wstring(device, n);
    std::wstring full = PrefixedPath(wide);
    if (full.empty())
        full = PrefixedPath(joinedToItsDirectory(wide));
    return full.empty() ? wide : full;
}

std::string WorkingDirectory()
{
    return Narrow(currentDirectory());
}

std::string AbsolutePath(const std::string& path)
{
    std::string full = Narrow(LongPath(path));
    if (full.starts_with("\\\\?\\UNC\\"))
        return "\\\\" + full.substr(8);
    if (full.starts_with("\\\\?\\"))
        return full.substr(4);
    return full;
}

std::unique_ptr<FileListing> Win32FileSystem::list(const std::string& directory, uint32_t& error)
{
    std::string pattern = directory;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':')
        pattern += '\\';
    pattern += '*';
    std::wstring wide = LongPath(pattern);
    WIN32_FIND_DATAW data;
    // Basic information skips the short 8.3 names, and the large fetch asks
    // for many entries per call; both save time on big directories.
    HANDLE handle = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)  // before Windows 7
        handle = FindFirstFileExW(wide.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    error = 0;
    return std::make_unique<Listing>(handle, data);
}

uint32_t Win32FileSystem::find(const std::string& path, FileEntry& entry)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data))
        return GetLastError();
    size_t slash = path.find_last_of("\\/");
    entry.name = slash == std::string::npos ? path : path.substr(slash + 1);
    entry.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    entry.lastWrite = ticks(data.ftLastWriteTime);
    entry.dosTime = packedTime(data.ftLastWriteTime);
    entry.attributes = data.dwFileAttributes;
    return 0;
}

uint32_t Win32FileSystem::getAttributes(const std::string& path, uint32_t& attributes)
{
    DWORD a = GetFileAttributesW(LongPath(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    attributes = a;
    return 0;
}

uint32_t Win32FileSystem::setAttributes(const std::string& path, uint32_t attributes)
{
    // Bits such as directory, compressed or sparse come with a listing but
    // cannot be set this way.
    const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD a = attributes & settable;
    return lastError(SetFileAttributesW(LongPath(path).c_str(), a ? a : FILE_ATTRIBUTE_NORMAL));
}

uint32_t Win32FileSystem::deleteFile(const std::string& path)
{
    return lastError(DeleteFileW(LongPath(path).c_str()));
}

uint32_t Win32FileSystem::renameFile(const std::string& from, const std::string& to, bool replace)
{
    DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH : 0;
    return lastError(MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), flags));
}

uint32_t Win32FileSystem::createDirectory(const std::string& path)
{
    return lastError(CreateDirectoryW(LongPath(path).c_str(), nullptr));
}

uint32_t Win32FileSystem::probeRemovable(const std::string& path)
{
    std::wstring wide = LongPath(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ERROR_ACCESS_DENIED;
    // The access a replacing rename needs; a program that holds the file open
    // without sharing its deletion makes this fail with 32, as it would the rename.
    HANDLE h = CreateFileW(wide.c_str(), DELETE | FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(h);
    return 0;
}

uint32_t Win32FileSystem::directoryIndex(const std::string& path, FileId& id)
{
    HANDLE h;
    if (uint32_t error = openHandle(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, h))
        return error;
    FILE_INTERNAL_INFORMATION info;
    IO_STATUS_BLOCK io;
    NTSTATUS status = NtQueryInformationFile(h, &io, &info, sizeof info, FileInternalInformation);
    CloseHandle(h);
    id = {0, uint64_t(info.IndexNumber.QuadPart), 0};
    return NT_SUCCESS(status) ? 0 : RtlNtStatusToDosError(status);
}

uint32_t Win32FileSystem::directoryId(const std::string& path, FileId& id)
{
    HANDLE h;
    if (uint32_t error = openHandle(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, h))
        return error;
    // ReFS identities have 128 bits; the older call, all there is before
    // Windows 8, gives 64 of them.
    struct {
        ULONGLONG volume;
        uint64_t low, high;
    } identity;
    const auto fileIdInfo = FILE_INFO_BY_HANDLE_CLASS(18);
    BY_HANDLE_FILE_INFORMATION info;
    uint32_t error = 0;
    if (GetFileInformationByHandleEx(h, fileIdInfo, &identity, sizeof identity))
        id = {identity.volume, identity.low, identity.high};
    else if (GetFileInformationByHandle(h, &info))
        id = {info.dwVolumeSerialNumber, uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow, 0};
    else
        error = GetLastError();
    CloseHandle(h);
    return error;
}

uint32_t Win32FileSystem::allocatedSize(const std::string& path, uint64_t& bytes)
{
    HANDLE h;
    if (uint32_t error = openHandle(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    OPEN_EXISTING, 0, h))
        return error;
    FILE_STANDARD_INFO info;
    uint32_t error = GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info) ? 0 : GetLastError();
    if (error == 0)
        bytes = uint64_t(info.AllocationSize.QuadPart);
    CloseHandle(h);
    return error;
}

bool Win32FileSystem::keepsDirectoryTimes(const std::string& directory)
{
    // NTFS and ReFS move a directory's last-write time on every entry made,
    // removed or renamed in it; FAT does not, and a share answers with the
    // server's clock, not ours. Asked of the directory's own volume through
    // its handle: a drive letter says nothing of a volume mounted in a folder.
    HANDLE h;
    if (openHandle(directory, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, h))
        return false;
    // FILE_REMOVABLE_MEDIA, FILE_REMOTE_DEVICE; FILE_DEVICE_DISK and, as
    // Wine answers, FILE_DEVICE_DISK_FILE_SYSTEM
    constexpr ULONG kRemovable = 0x1, kRemote = 0x10, kDisk = 7, kDiskFileSystem = 8;
    FILE_FS_DEVICE_INFORMATION device;
    IO_STATUS_BLOCK io;
    wchar_t name[MAX_PATH + 1] = {};
    const bool keeps =
        NT_SUCCESS(NtQueryVolumeInformationFile(h, &io, &device, sizeof device, FileFsDeviceInformation)) &&
        (device.DeviceType == kDisk || device.DeviceType == kDiskFileSystem) &&
        !(device.Characteristics & (kRemovable | kRemote)) &&
        GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1) &&
        (std::wstring_view(name) == L"NTFS" || std::wstring_view(name) == L"ReFS");
    CloseHandle(h);
    return keeps;
}

std::optional<uint64_t> Win32FileSystem::directoryStamp(const std::string& directory)
{
    // By name, without a handle: one look per directory and visit.
    std::wstring name = LongPath(directory.size() > 3 ? directory.substr(0, directory.size() - 1) : directory);
    if (!name.starts_with(L"\\\\?\\"))
        return std::nullopt;
    name[1] = L'?';  // \\?\ is the Win32 form of the system's \??\ .
    UNICODE_STRING string{USHORT(name.size() * sizeof(wchar_t)), USHORT(name.size() * sizeof(wchar_t)),
                          name.data()};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &string, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    FILE_NETWORK_OPEN_INFORMATION info;
    if (!NT_SUCCESS(NtQueryFullAttributesFile(&attributes, &info)) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    // The clock moves in steps of milliseconds: a change in the step of the
    // last one could leave the time as it was. Two seconds back is clear; an
    // entry made or removed moves the last-write time with the change time.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t written = uint64_t(info.LastWriteTime.QuadPart), changed = uint64_t(info.ChangeTime.QuadPart);
    if (written + 20'000'000 > ticks(now))
        return std::nullopt;
    // Both only move forward, so their sum moves when either does; the
    // change time also moves where a program set the last-write time back.
    return written + changed;
}

uint32_t Win32FileSystem::openRead(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    HANDLE h;
    uint32_t error = openHandle(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, h);
    if (error == 0)
        file = std::make_unique<File>(h);
    return error;
}

uint32_t Win32FileSystem::createWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    HANDLE h;
    uint32_t error = openHandle(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, h);
    if (error == 0)
        file = std::make_unique<File>(h);
    return error;
}

uint32_t Win32FileSystem::freeSpace(const std::string& path, uint64_t& bytes)
{
    std::string directory = path;
    if (directory.empty() || directory.back() != '\\')
        directory += '\\';
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(LongPath(directory).c_str(), &available, nullptr, nullptr))
        return GetLastError();
    bytes = available.QuadPart;
    return 0;
}

namespace {

// The system's status as the error number its Win32 call would report.
uint32_t statusError(NTSTATUS status)
{
    return NT_SUCCESS(status) ? 0 : RtlNtStatusToDosError(status);
}

class Directory : public OpenDirectory {
public:
    explicit Directory(HANDLE handle) : handle_(handle) {}
    ~Directory() override { CloseHandle(handle_); }

    uint32_t freeSpace(uint64_t& bytes) override
    {
        // What GetDiskFreeSpaceEx answers, without its open and close: the
        // units the caller's quota leaves.
        IO_STATUS_BLOCK io;
        FILE_FS_FULL_SIZE_INFORMATION info;
        NTSTATUS status = NtQueryVolumeInformationFile(handle_, &io, &info, sizeof info, FileFsFullSizeInformation);
        if (!NT_SUCCESS(status))
            return statusError(status);
        bytes = uint64_t(info.CallerAvailableAllocationUnits.QuadPart) * info.SectorsPerAllocationUnit *
                info.BytesPerSector;
        return 0;
    }

    uint32_t createWrite(const std::string& name, std::unique_ptr<OpenFile>& file) override
    {
        HANDLE h;
        // DELETE: the finished copy is renamed through this handle.
        NTSTATUS status = open(name, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                               FILE_SEQUENTIAL_ONLY, h);
        // As CreateFile reports a taken name for CREATE_NEW.
        if (status == NTSTATUS(0xC0000035L))  // STATUS_OBJECT_NAME_COLLISION
            return ERROR_FILE_EXISTS;
        if (!NT_SUCCESS(status))
            return statusError(status);
        file = std::make_unique<File>(h);
        return 0;
    }

    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override
    {
        // Write-through as MoveFileEx does it for MOVEFILE_WRITE_THROUGH.
        HANDLE h;
        NTSTATUS status = open(from, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                               replace ? FILE_WRITE_THROUGH : 0, h);
        if (!NT_SUCCESS(status))
            return statusError(status);
        uint32_t error = rename(h, to, replace);
        CloseHandle(h);
        return error;
    }

    uint32_t nameOpenFile(OpenFile& file, const std::string& to) override
    {
        auto* own = dynamic_cast<File*>(&file);
        return own ? rename(own->handle(), to, false) : ERROR_NOT_SUPPORTED;
    }

    uint32_t deleteFile(const std::string& name) override
    {
        HANDLE h;
        NTSTATUS status =
            open(name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0, h);
        if (!NT_SUCCESS(status))
            return statusError(status);
        // A read-only file refuses deletion; its bit goes first, and comes
        // back when the file stays after all.
        IO_STATUS_BLOCK io;
        FILE_BASIC_INFORMATION basic{};
        bool readOnly = NT_SUCCESS(NtQueryInformationFile(h, &io, &basic, sizeof basic, FileBasicInformation)) &&
                        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY);
        if (readOnly) {
            FILE_BASIC_INFORMATION writable{};
            writable.FileAttributes = (basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
            NtSetInformationFile(h, &io, &writable, sizeof writable, FileBasicInformation);
        }
        FILE_DISPOSITION_INFORMATION disposition{TRUE};
        status = NtSetInformationFile(h, &io, &disposition, sizeof disposition, FileDispositionInformation);
        if (!NT_SUCCESS(status) && readOnly) {
            FILE_BASIC_INFORMATION back{};
            back.FileAttributes = basic.FileAttributes;
            NtSetInformationFile(h, &io, &back, sizeof back, FileBasicInformation);
        }
        CloseHandle(h);
        return statusError(status);
    }

private:
    uint32_t rename(HANDLE file, const std::string& to, bool replace)
    {
        std::wstring wide = Widen(to);
        std::vector<char> buffer(sizeof(FILE_RENAME_INFORMATION) + wide.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
        info->ReplaceIfExists = replace;
        info->RootDirectory = handle_;
        info->FileNameLength = ULONG(wide.size() * sizeof(wchar_t));
        std::copy(wide.begin(), wide.end(), info->FileName);
        IO_STATUS_BLOCK io;
        return statusError(NtSetInformationFile(file, &io, info, ULONG(buffer.size()), FileRenameInformation));
    }

    // A file of this directory by its name alone.
    NTSTATUS open(const std::string& name, ACCESS_MASK access, ULONG share, ULONG disposition, ULONG options,
                  HANDLE& h)
    {
        std::wstring wide = Widen(name);
        UNICODE_STRING string{USHORT(wide.size() * sizeof(wchar_t)), USHORT(wide.size() * sizeof(wchar_t)),
                              wide.data()};
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &string, OBJ_CASE_INSENSITIVE, handle_, nullptr);
        IO_STATUS_BLOCK io;
        return NtCreateFile(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                            disposition, options | FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr,
                            0);
    }

    HANDLE handle_;
};

}  // namespace

std::unique_ptr<OpenDirectory> Win32FileSystem::openDirectory(const std::string& directory, uint32_t& error)
{
    HANDLE h;
    // Names are opened relative to it with their own access checks: the
    // handle itself needs no more than a folder one may only write into
    // grants.
    error = openHandle(directory, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, h);
    if (error != 0)
        return nullptr;
    return std::make_unique<Directory>(h);
}

std::unique_ptr<OpenDirectory> Win32FileSystem::makeDirectory(const std::string& directory, uint32_t& error)
{
    // What CreateDirectory does, keeping the handle it makes: the directory
    // is not opened again by its path.
    std::wstring name = LongPath(directory.substr(0, directory.size() - 1));
    if (!name.starts_with(L"\\\\?\\"))
        return FileSystem::makeDirectory(directory, error);
    name[1] = L'?';  // \\?\ is the Win32 form of the system's \??\ .
    UNICODE_STRING string{USHORT(name.size() * sizeof(wchar_t)), USHORT(name.size() * sizeof(wchar_t)),
                          name.data()};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &string, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE h;
    NTSTATUS status = NtCreateFile(&h, FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io, nullptr,
                                   FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   FILE_CREATE,
                                   FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT,
                                   nullptr, 0);
    // As CreateDirectory reports a taken name.
    error = status == NTSTATUS(0xC0000035L) ? ERROR_ALREADY_EXISTS : statusError(status);
    return error ? nullptr : std::make_unique<Directory>(h);
}

}  // namespace tresorix
