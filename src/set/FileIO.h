// Whole-file reading and replacing for the set and settings files, through
// a FileSystem (the real one where none is given).
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
// Bytes in the file; 0 when it is missing or cannot be asked.
uint64_t FileSize(const std::string& path);
// The program's folder in the user's local application data
// ("...\AppData\Local\Tresorix\"), made when missing; empty when the shell
// cannot name it. Where the program's own folder cannot be written (installed
// under C:\Programme for a standard user), settings and log live here.
std::string UserDataFolder();
std::string UserDataFolder(FileSystem& fs);

}  // namespace tresorix
