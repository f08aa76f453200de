#include "platform/Win32FileSystem.h"

#include "platform/TextConv.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace tresorix {
namespace {

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
    // The prefix typed with forward slashes ("//?/C:/x") is the same prefix.
    if (wide.size() >= 4 && isSeparator(wide[0]) && isSeparator(wide[1]) && (wide[2] == L'?' || wide[2] == L'.') &&
        isSeparator(wide[3])) {
        std::wstring rest = wide.substr(4);
        if (wide[2] == L'.') {
            std::replace(rest.begin(), rest.end(), L'/', L'\\');
            return L"\\\\.\\" + rest;
        }
        if (rest.size() >= 4 && std::towupper(rest[0]) == L'U' && std::towupper(rest[1]) == L'N' &&
            std::towupper(rest[2]) == L'C' && isSeparator(rest[3]))
            rest.replace(0, 3, L"\\");
        std::wstring full = PrefixedPath(rest);
        return full.empty() ? wide : full;
    }
    // Never GetFullPathNameW on the whole path: it takes "nul.txt" or
    // "com1.log" in any directory for a device, and drops trailing dots and
    // blanks from every name. A name a run lists is a file, whatever it is
    // called.
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
}  // namespace tresorix
