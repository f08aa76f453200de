#include "mainwindow/RunLogFile.h"

#include "platform/TextConv.h"
#include "set/FileIO.h"

#include <windows.h>

#include <cstdio>

namespace tresorix {

uint64_t RunLogFile::size()
{
    return FileSize(path_);
}

bool RunLogFile::rollOver()
{
    return MoveFileReplacing(path_, path_ + ".1") == 0;
}

bool RunLogFile::append(std::string_view bytes)
{
    return AppendFileBytes(path_, bytes) == 0;
}

std::string RunLogFile::now()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u %02u:%02u:%02u", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

std::string RunLogPath(const std::string& argument, const std::string& settingsFile)
{
    if (argument.empty()) {
        size_t slash = settingsFile.find_last_of("\\:");
        return (slash == std::string::npos ? std::string() : settingsFile.substr(0, slash + 1)) + "tresorix.log";
    }
    std::wstring wide = Widen(argument);
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return argument;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return Narrow(full);
}

}  // namespace tresorix
