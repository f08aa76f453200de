// Pieces the file system's source files share: an open file on a handle,
// opening by path, and the NT calls' status as a Win32 error number.
#pragma once

#include "platform/FileSystem.h"

#include <windows.h>
#include <winternl.h>

#include <string>

namespace tresorix {

class Win32File : public OpenFile {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { close(); }

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

    uint32_t seek(uint64_t offset) override
    {
        LARGE_INTEGER at;
        at.QuadPart = LONGLONG(offset);
        return SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) ? 0 : GetLastError();
    }

    uint32_t setTimeAndAttributes(uint64_t lastWrite, uint32_t attributes) override
    {
        // Zero leaves a time, or the attributes, as they are.
        FILE_BASIC_INFO info{};
        info.LastWriteTime.QuadPart = LONGLONG(lastWrite);
        // The access time goes along, as it is now: FUSE drivers on the
        // older library (FAT and exFAT sticks under Wine) drop a last-write
        // time that comes alone, and the copy would look newer than its
        // source for ever.
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        info.LastAccessTime.QuadPart = LONGLONG(uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime);
        // A new file has the archive bit alone: asked for that, its
        // attributes stay, and a file system that keeps no others (FAT under
        // Wine) is not asked for a change it refuses.
        if (attributes != FILE_ATTRIBUTE_ARCHIVE)
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

// The file's identity on its volume, the volume left 0: unlike the volume's
// serial, which Wine asks of its mount manager, it costs no more than a look
// at the open handle.
inline uint32_t internalIndex(HANDLE h, FileId& id)
{
    FILE_INTERNAL_INFORMATION info;
    IO_STATUS_BLOCK io;
    NTSTATUS status = NtQueryInformationFile(h, &io, &info, sizeof info, FileInternalInformation);
    id = {0, NT_SUCCESS(status) ? uint64_t(info.IndexNumber.QuadPart) : 0, 0};
    return NT_SUCCESS(status) ? 0 : RtlNtStatusToDosError(status);
}

// Whether the volume of an open file or directory is a fixed local disk: a
// disk (Wine answers for a file system on one) neither removable nor remote.
inline bool fixedLocalDisk(HANDLE h)
{
    // FILE_DEVICE_DISK, FILE_DEVICE_DISK_FILE_SYSTEM; FILE_REMOVABLE_MEDIA,
    // FILE_REMOTE_DEVICE
    constexpr ULONG kDisk = 7, kDiskFileSystem = 8, kRemovable = 0x1, kRemote = 0x10;
    FILE_FS_DEVICE_INFORMATION device;
    IO_STATUS_BLOCK io;
    return NT_SUCCESS(NtQueryVolumeInformationFile(h, &io, &device, sizeof device, FileFsDeviceInformation)) &&
           (device.DeviceType == kDisk || device.DeviceType == kDiskFileSystem) &&
           !(device.Characteristics & (kRemovable | kRemote));
}

// The file system of the volume that holds an open file or directory.
uint32_t fileSystemName(HANDLE h, std::string& name);

// CreateFileW on the path's \\?\ form.
uint32_t openHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                    HANDLE& handle);

// The system's status as the error number its Win32 call would report.
inline uint32_t statusError(NTSTATUS status)
{
    return NT_SUCCESS(status) ? 0 : RtlNtStatusToDosError(status);
}

// A counted string for the NT calls, which hold at most 32,767 characters
// in it; false for a longer text, which a cast would cut to a shorter name.
inline bool countedString(std::wstring& text, UNICODE_STRING& string)
{
    if (text.size() > 0x7FFF)
        return false;
    const auto bytes = USHORT(text.size() * sizeof(wchar_t));
    string = {bytes, bytes, text.data()};
    return true;
}

// A path in the \\?\ (or \\.\) form as the system's own \??\ name, for
// the NT calls. `name` is changed in place and must outlive `attributes`.
// 0, or 3 for a path of another form, or 206 for one longer than a counted
// string holds (a cast would cut it to another, shorter name).
inline uint32_t systemName(std::wstring& name, UNICODE_STRING& string, OBJECT_ATTRIBUTES& attributes)
{
    if (!name.starts_with(L"\\\\?\\") && !name.starts_with(L"\\\\.\\"))
        return ERROR_PATH_NOT_FOUND;
    if (!countedString(name, string))
        return ERROR_FILENAME_EXCED_RANGE;
    name[1] = L'?';
    InitializeObjectAttributes(&attributes, &string, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    return 0;
}

// What the system reports for a name too long for its counted strings;
// it reads as error 206.
constexpr NTSTATUS kStatusNameTooLong = NTSTATUS(0xC0000106L);

}  // namespace tresorix
