#include "platform/Win32FileSystem.h"

#include "platform/TextConv.h"
#include "platform/Win32Handles.h"

#include <windows.h>
#include <winternl.h>

extern "C" NTSTATUS NTAPI NtQueryFullAttributesFile(POBJECT_ATTRIBUTES, PFILE_NETWORK_OPEN_INFORMATION);
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                               FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);

#include <string_view>
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
std::string narrowName(std::wstring_view name)
{
    std::string out;
    out.reserve(name.size());
    for (wchar_t c : name) {
        if (c >= 0x80)
            return Narrow(name);
        out += char(c);
    }
    return out;
}

// One entry of a listing, in either of the two forms the listing asks for,
// without its index; the offset of the next one, 0 after the last.
template <class Info>
ULONG fillEntry(FileEntry& entry, const Info& info)
{
    entry.name = narrowName({info.FileName, info.FileNameLength / sizeof(wchar_t)});
    entry.size = uint64_t(info.EndOfFile.QuadPart);
    FILETIME written{DWORD(info.LastWriteTime.LowPart), DWORD(info.LastWriteTime.HighPart)};
    entry.lastWrite = ticks(written);
    entry.dosTime = packedTime(written);
    entry.attributes = info.FileAttributes;
    // A reparse point's listing entry has no extended attributes: the field
    // holds its tag instead.
    entry.reparseTag = info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? info.EaSize : 0;
    entry.index = 0;
    return info.NextEntryOffset;
}

// A directory's entries as the system's own call gives them, 64 KiB at a
// time. Unlike FindFirstFile's, each entry carries its file index: a
// subdirectory's identity then costs no open of its own.
class Listing : public FileListing {
public:
    explicit Listing(HANDLE handle) : handle_(handle), buffer_(64 * 1024 / sizeof(LONGLONG)) {}
    ~Listing() override { CloseHandle(handle_); }

    // The first batch: false with error() when there is none.
    bool start() { return fetch(true); }

    bool next(FileEntry& entry) override
    {
        if (!at_ && (done_ || !fetch(false)))
            return false;
        ULONG next = 0;
        if (withIds_) {
            const auto& info = *static_cast<const FILE_ID_FULL_DIR_INFORMATION*>(at_);
            next = fillEntry(entry, info);
            entry.index = uint64_t(info.FileId.QuadPart);
        } else {
            next = fillEntry(entry, *static_cast<const FILE_FULL_DIR_INFORMATION*>(at_));
        }
        at_ = next ? static_cast<const char*>(at_) + next : nullptr;
        return true;
    }
    uint32_t error() const override { return error_; }

private:
    NTSTATUS query(bool first)
    {
        wchar_t all[] = L"*";
        UNICODE_STRING mask{sizeof all - sizeof(wchar_t), sizeof all, all};
        constexpr auto kIdFull = FILE_INFORMATION_CLASS(38);  // FileIdFullDirectoryInformation
        constexpr auto kFull = FILE_INFORMATION_CLASS(2);     // FileFullDirectoryInformation
        return NtQueryDirectoryFile(handle_, nullptr, nullptr, nullptr, &io_, buffer_.data(),
                                    ULONG(buffer_.size() * sizeof(LONGLONG)), withIds_ ? kIdFull : kFull, FALSE,
                                    first ? &mask : nullptr, first);
    }

    bool fetch(bool first)
    {
        NTSTATUS status = query(first);
        // Some file systems and older servers give no identities in a
        // listing: then the same entries without them.
        constexpr NTSTATUS kInvalidInfoClass = NTSTATUS(0xC0000003L), kInvalidParameter = NTSTATUS(0xC000000DL),
                           kNotSupported = NTSTATUS(0xC00000BBL);
        if (first && (status == kInvalidInfoClass || status == kInvalidParameter || status == kNotSupported)) {
            withIds_ = false;
            status = query(first);
        }
        at_ = NT_SUCCESS(status) && io_.Information ? buffer_.data() : nullptr;
        done_ = !at_;
        constexpr NTSTATUS kNoMoreFiles = NTSTATUS(0x80000006L), kNoSuchFile = NTSTATUS(0xC000000FL);
        // As FindFirstFile: nothing at all is "file not found".
        if (status != kNoMoreFiles && status != kNoSuchFile && !NT_SUCCESS(status))
            error_ = RtlNtStatusToDosError(status);
        else if (first && !at_)
            error_ = ERROR_FILE_NOT_FOUND;
        return at_ != nullptr;
    }

    HANDLE handle_;
    std::vector<LONGLONG> buffer_;  // aligned as the entries need
    IO_STATUS_BLOCK io_{};
    bool withIds_ = true;
    const void* at_ = nullptr;
    bool done_ = false;
    uint32_t error_ = 0;
};

uint32_t lastError(BOOL ok)
{
    return ok ? 0 : GetLastError();
}

}  // namespace

uint32_t openHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                    HANDLE& handle)
{
    handle = CreateFileW(LongPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    return handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
}

std::unique_ptr<FileListing> Win32FileSystem::list(const std::string& directory, uint32_t& error)
{
    std::string path = directory;
    if (!path.empty() && path.back() != '\\' && path.back() != '/' && path.back() != ':')
        path += '\\';
    std::wstring name = LongPath(path);
    UNICODE_STRING string;
    OBJECT_ATTRIBUTES attributes;
    if ((error = systemName(name, string, attributes)) != 0)
        return nullptr;
    IO_STATUS_BLOCK io;
    HANDLE h;
    NTSTATUS status = NtOpenFile(&h, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &io,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT);
    // As FindFirstFile reports a directory that is not there: the path to
    // its entries is not found.
    if (status == NTSTATUS(0xC0000034L))  // STATUS_OBJECT_NAME_NOT_FOUND
        status = NTSTATUS(0xC000003AL);   // STATUS_OBJECT_PATH_NOT_FOUND
    if ((error = statusError(status)) != 0)
        return nullptr;
    auto listing = std::make_unique<Listing>(h);
    if (!listing->start()) {
        error = listing->error();
        return nullptr;
    }
    return listing;
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
    entry.reparseTag = 0;
    HANDLE h;
    FILE_ATTRIBUTE_TAG_INFO tag;
    if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        openHandle(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, h) == 0) {
        if (GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
            (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            entry.reparseTag = tag.ReparseTag;
        CloseHandle(h);
    }
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
    // DeleteFileW removes a link itself, never the file it leads to.
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

uint32_t Win32FileSystem::removeDirectory(const std::string& path)
{
    std::wstring wide = LongPath(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return lastError(RemoveDirectoryW(wide.c_str()));
    // A link goes through a handle on the link itself. Wine 8 opens what a
    // symbolic link leads to whatever it is asked (and its RemoveDirectory
    // removes an empty target): a handle that is no reparse point is not
    // the link, and nothing is deleted through it.
    HANDLE h = CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError();
    FILE_ATTRIBUTE_TAG_INFO tag;
    FILE_DISPOSITION_INFO disposition{TRUE};
    uint32_t error = ERROR_NOT_SUPPORTED;
    if (GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        error = lastError(SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition));
    CloseHandle(h);
    return error;
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
    uint32_t error = internalIndex(h, id);
    CloseHandle(h);
    return error;
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

uint32_t fileSystemName(HANDLE h, std::string& name)
{
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, buffer, MAX_PATH + 1))
        return GetLastError();
    name = Narrow(buffer);
    return 0;
}

namespace {

// The directory's own volume answers through a handle: a drive letter says
// nothing of a volume mounted in a folder.
HANDLE openForVolume(const std::string& directory)
{
    HANDLE h;
    if (openHandle(directory, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, h))
        return INVALID_HANDLE_VALUE;
    return h;
}

}  // namespace

bool Win32FileSystem::keepsDirectoryTimes(const std::string& directory)
{
    // NTFS and ReFS move a directory's last-write time on every entry made,
    // removed or renamed in it; FAT does not, and a share answers with the
    // server's clock, not ours.
    HANDLE h = openForVolume(directory);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::string name;
    const bool keeps =
        fixedLocalDisk(h) && tresorix::fileSystemName(h, name) == 0 && (name == "NTFS" || name == "ReFS");
    CloseHandle(h);
    return keeps;
}

uint32_t Win32FileSystem::fileSystemName(const std::string& directory, std::string& name)
{
    HANDLE h = openForVolume(directory);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError();
    uint32_t error = tresorix::fileSystemName(h, name);
    CloseHandle(h);
    return error;
}

bool Win32FileSystem::onFixedDisk(const std::string& directory)
{
    HANDLE h = openForVolume(directory);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool fixed = fixedLocalDisk(h);
    CloseHandle(h);
    return fixed;
}

std::optional<uint64_t> Win32FileSystem::directoryStamp(const std::string& directory)
{
    // By name, without a handle: one look per directory and visit.
    std::wstring name = LongPath(directory.size() > 3 ? directory.substr(0, directory.size() - 1) : directory);
    UNICODE_STRING string;
    OBJECT_ATTRIBUTES attributes;
    FILE_NETWORK_OPEN_INFORMATION info;
    if (systemName(name, string, attributes) != 0 || !NT_SUCCESS(NtQueryFullAttributesFile(&attributes, &info)) ||
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
        file = std::make_unique<Win32File>(h);
    return error;
}

uint32_t Win32FileSystem::createWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    HANDLE h;
    uint32_t error = openHandle(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, h);
    if (error == 0)
        file = std::make_unique<Win32File>(h);
    return error;
}

uint32_t Win32FileSystem::openWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    // DELETE, as for a copy made in its directory: the finished copy may
    // take its name through this handle.
    HANDLE h;
    uint32_t error = openHandle(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, h);
    if (error == 0)
        file = std::make_unique<Win32File>(h);
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
}  // namespace tresorix
