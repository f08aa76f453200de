// Whole-file reading and replacing for the set and settings files, and the
// program's own path. Win32.
#pragma once

#include <cstdint>
#include <string>

namespace tresorix {

// Reads the whole file; the platform's error number, 0 on success.
uint32_t ReadFileBytes(const std::string& path, std::string& bytes);
// Writes `bytes` under a temporary name beside `path` and then replaces the
// old file in one step, so a failed write never destroys what was there.
uint32_t ReplaceFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Full path of the running program (GetModuleFileName), UTF-8.
std::string ProgramPath();

}  // namespace tresorix
