#include "support/win/TempTree.h"

#include "platform/TextConv.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tresorix::test {

namespace {

// Long paths need the \\?\ form, which takes no relative parts.
std::wstring longPath(const std::string& path)
{
    std::wstring w = Widen(path);
    if (w.size() >= 2 && w[1] == L':')
        return L"\\\\?\\" + w;
    return w;
}

std::string parentOf(const std::string& path)
{
    size_t slash = path.find_last_of('\\', path.size() >= 2 ? path.size() - 2 : 0);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void makeDirectories(const std::string& directory)
{
    if (directory.size() <= 3 || IsDirectory(directory))
        return;
    makeDirectories(parentOf(directory));
    CreateDirectoryW(longPath(directory).c_str(), nullptr);
}

}  // namespace

TempTree::TempTree()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        std::string candidate = Narrow(base) + "trxtest-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(++counter) + "\\";
        if (CreateDirectoryW(Widen(candidate).c_str(), nullptr)) {
            root_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a temporary directory");
    }
}

TempTree::~TempTree() { RemoveTree(root_); }

void TempTree::write(const std::string& relative, const std::string& bytes, uint64_t lastWrite,
                     uint32_t attributes) const
{
    std::string full = relative.size() > 1 && relative[1] == ':' ? relative : root_ + relative;
    makeDirectories(parentOf(full));
    HANDLE h = CreateFileW(longPath(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + full);
    DWORD put = 0;
    if (!bytes.empty())
        WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
    CloseHandle(h);
    if (lastWrite)
        SetLastWrite(full, lastWrite);
    if (attributes)
        SetAttributes(full, attributes);
}

void TempTree::mkdir(const std::string& relative) const { makeDirectories(root_ + relative + "\\"); }

bool Exists(const std::string& path)
{
    return GetFileAttributesW(longPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path)
{
    DWORD a = GetFileAttributesW(longPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadAll(const std::string& path)
{
    HANDLE h = CreateFileW(longPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    CloseHandle(h);
    return out;
}

uint64_t LastWrite(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(longPath(path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

uint32_t Attributes(const std::string& path) { return GetFileAttributesW(longPath(path).c_str()); }

void SetLastWrite(const std::string& path, uint64_t fileTime)
{
    HANDLE h = CreateFileW(longPath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME ft{DWORD(fileTime), DWORD(fileTime >> 32)};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

void SetAttributes(const std::string& path, uint32_t attributes)
{
    SetFileAttributesW(longPath(path).c_str(), attributes);
}

std::string ListNames(const std::string& directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(longPath(directory + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(fd.cFileName);
            if (name != "." && name != "..")
                names.push_back(name + ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "\\" : ""));
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "" : " ") + n;
    return out;
}

void RemoveTree(const std::string& path)
{
    std::string dir = path.empty() || path.back() == '\\' ? path : path + "\\";
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(longPath(dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(fd.cFileName);
            if (name == "." || name == "..")
                continue;
            std::string child = dir + name;
            SetFileAttributesW(longPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(longPath(child).c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(longPath(dir).c_str());
}

std::string UnixPath(const std::string& path)
{
    using Convert = char*(__cdecl*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = convert ? convert(Widen(path).c_str()) : nullptr;
    if (!name)
        return {};
    std::string out = name;
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

int RunUnixShell(const std::string& command)
{
    TempTree scratch;
    const std::string status = UnixPath(scratch.path("status"));
    if (status.empty())
        return -1;
    scratch.write("run.sh", "(" + command + ") >/dev/null 2>&1\necho $? >'" + status + ".part'\nmv '" + status +
                                ".part' '" + status + "'\n");
    // Wine starts a Unix program but hands back no process to wait for: the
    // script tells its end by the file it leaves last.
    std::wstring line = L"/bin/sh \"" + Widen(UnixPath(scratch.path("run.sh"))) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    for (int i = 0; i < 6000 && !Exists(scratch.path("status")); ++i)
        Sleep(10);
    std::string text = ReadAll(scratch.path("status"));
    return text.empty() || text[0] < '0' || text[0] > '9' ? -1 : std::stoi(text);
}

uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME st{WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace tresorix::test
