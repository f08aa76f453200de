#include "run/RunLogFile.h"

#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"
#include "platform/Win32Files.h"
#include "set/FileIO.h"

#include <windows.h>

#include <cstdio>
#include <utility>

namespace tresorix {

uint64_t RunLogFile::size()
{
    return FileSize(path_);
}

std::string RunLogFile::tail(size_t count)
{
    return ReadFileTail(path_, count);
}

bool RunLogFile::rollOver()
{
    return MoveFileReplacing(path_, path_ + ".1") == 0;
}

bool RunLogFile::append(std::string_view bytes)
{
    if (closed_)
        return true;
    if (AppendFileBytes(path_, bytes) == 0)
        return true;
    // Looked up only now: asking the shell for the folder costs every start
    // time, and most never need it.
    if (!std::exchange(userFallback_, false))
        return false;
    std::string fallback = UserLogPath();
    if (fallback.empty() || fallback == path_)
        return false;
    path_ = fallback;
    // The record began for the other file: the byte-order mark belongs at
    // the start of this one only.
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    const bool fresh = FileSize(path_) == 0;
    if (bytes.starts_with(mark) && !fresh)
        bytes.remove_prefix(mark.size());
    else if (!bytes.starts_with(mark) && fresh && AppendFileBytes(path_, mark) != 0)
        return false;
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
    // Taken from the working directory now, as the dialogs change it later;
    // every character of the name stays.
    return AbsolutePath(argument);
}

std::string UserLogPath()
{
    std::string folder = UserDataFolder();
    return folder.empty() ? folder : folder + "tresorix.log";
}

}  // namespace tresorix
