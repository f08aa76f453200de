#include "platform/Win32FileSystem.h"

#include "platform/TextConv.h"
#include "platform/Win32Handles.h"

#include <algorithm>
#include <vector>

namespace tresorix {
namespace {

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
        file = std::make_unique<Win32File>(h);
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
        auto* own = dynamic_cast<Win32File*>(&file);
        return own ? rename(own->handle(), to, false) : ERROR_NOT_SUPPORTED;
    }

    uint32_t deleteFile(const std::string& name) override
    {
        // The name itself goes, never what a link under it leads to: a link
        // named like our temporary in a shared target must not cost the
        // file it points at.
        HANDLE h;
        NTSTATUS status =
            open(name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, FILE_OPEN_REPARSE_POINT, h);
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

    uint32_t index(FileId& id) override { return internalIndex(handle_, id); }
    uint32_t fileSystemName(std::string& name) override { return tresorix::fileSystemName(handle_, name); }
    // Asked once for each directory held: the handle's descriptor is known
    // by then, so under Wine this costs no request to the server.
    bool onFixedDisk() override { return fixedLocalDisk(handle_); }

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
        UNICODE_STRING string;
        if (!countedString(wide, string))
            return kStatusNameTooLong;
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
    UNICODE_STRING string;
    OBJECT_ATTRIBUTES attributes;
    if ((error = systemName(name, string, attributes)) == ERROR_PATH_NOT_FOUND)
        return FileSystem::makeDirectory(directory, error);
    if (error != 0)
        return nullptr;
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
