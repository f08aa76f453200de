// The run log's file calls and the program's own path: appends that other
// processes may share, a look at the tail, the rotation's rename.
#include "platform/Win32Files.h"

#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

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

}  // namespace

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

std::string LocalAppDataFolder()
{
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder)))
        return {};
    return Narrow(folder);
}

std::string DocumentsFolder()
{
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, folder)))
        return {};
    return Narrow(folder);
}

bool FolderTakesNewFiles(const std::string& folder)
{
    // Made and gone in one step: nothing is left behind, even by a crash.
    HANDLE probe = CreateFileW(LongPath(folder + "~tresorix-probe.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    return true;
}

uint32_t CurrentProcessId()
{
    return GetCurrentProcessId();
}

}  // namespace tresorix
