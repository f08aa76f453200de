// File calls that the run log and start-up make outside the FileSystem
// interface: an append that other processes may share, a look at a file's
// tail, a rename over an existing file; and what the process knows of
// itself. Apart from the file system: the shell's folder question would
// load the shell into every program that copies files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tresorix {

// Appends `bytes` at the end of the file, creating it when missing; others
// may read it meanwhile. The platform's error number, 0 on success.
uint32_t AppendFileBytes(const std::string& path, std::string_view bytes);
// The file's last `count` bytes (fewer in a shorter file); empty when it
// cannot be read.
std::string ReadFileTail(const std::string& path, size_t count);
// Renames `from` to `to`, replacing a file of that name.
uint32_t MoveFileReplacing(const std::string& from, const std::string& to);
// The user's local application data folder ("...\\AppData\\Local"),
// made by the shell when missing; empty when the shell cannot name it.
std::string LocalAppDataFolder();
// The user's Documents folder; empty where the system does not say.
std::string DocumentsFolder();
// Whether this user may make a file in the folder (ending in "\\").
bool FolderTakesNewFiles(const std::string& folder);
// Full path of the running program (GetModuleFileName), UTF-8.
std::string ProgramPath();
uint32_t CurrentProcessId();

}  // namespace tresorix
