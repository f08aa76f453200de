// Whole-file reading and replacing for the set and settings files, and the
// program's own path. Win32.
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tresorix {

// Reads the whole file; the platform's error number, 0 on success.
uint32_t ReadFileBytes(const std::string& path, std::string& bytes);
// Writes `bytes` under a temporary name beside `path` and then replaces the
// old file in one step, so a failed write never destroys what was there.
uint32_t ReplaceFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The same three through `fs`; the ones above use the real file system.
uint32_t ReadFileBytes(FileSystem& fs, const std::string& path, std::string& bytes);
uint32_t ReplaceFileBytes(FileSystem& fs, const std::string& path, const std::string& bytes);
bool FileExists(FileSystem& fs, const std::string& path);
// Appends `bytes` at the end of the file, creating it when missing; others
// may read it meanwhile. The platform's error number, 0 on success.
uint32_t AppendFileBytes(const std::string& path, std::string_view bytes);
// The file's last `count` bytes (fewer in a shorter file); empty when it
// cannot be read.
std::string ReadFileTail(const std::string& path, size_t count);
// Bytes in the file; 0 when it is missing or cannot be asked.
uint64_t FileSize(const std::string& path);
// Renames `from` to `to`, replacing a file of that name.
uint32_t MoveFileReplacing(const std::string& from, const std::string& to);
// Full path of the running program (GetModuleFileName), UTF-8.
std::string ProgramPath();
// The program's folder in the user's local application data
// ("...\AppData\Local\Tresorix\"), made when missing; empty when the shell
// cannot name it. Where the program's own folder cannot be written (installed
// under C:\Programme for a standard user), settings and log live here.
std::string UserDataFolder();
std::string UserDataFolder(FileSystem& fs);

}  // namespace tresorix
