// File-system probes and changes shared by the run and the dialogs. None of
// them reports failure other than by its result.
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tresorix {

// Clears the read-only bit and deletes the file; true when it is gone.
// Hidden and system files are deleted too. A file that cannot be deleted
// keeps its read-only bit.
bool DeleteFileForced(FileSystem& fs, const std::string& path);

// False only when the drive named by the first character of `text` reports
// that it is not ready (21).
bool DriveReady(FileSystem& fs, std::string_view text);

// Whether the directory exists; `code` is 0 then, else the listing's error
// (21 when the drive is not ready).
bool DirectoryPresent(FileSystem& fs, const std::string& path, uint32_t& code);

// Creates every missing level of the directory path below its root. 0 when
// the directory exists afterwards; 82 for a path with "<" or ">" (an
// unresolved placeholder); 21 when the drive is not ready; otherwise the
// error of the level that could not be created (the levels above it exist;
// 183 when a file holds the name of a level). With `made`, the last level,
// when it is made now, is held open there where the file system can do
// that as it makes it.
uint32_t ForceDirectory(FileSystem& fs, const std::string& path, std::unique_ptr<OpenDirectory>* made = nullptr);

// The longest leading part of `path` (ending in "\\") that is a directory now,
// looked for from the end; empty when not even the root answers.
std::string DeepestExistingLevel(FileSystem& fs, const std::string& path);

// A name the user typed, as a full path taken from `directory` (a full
// path) rather than from the process's working directory, which the
// program never changes: "neu" and "alt\neu" lie in it, "\neu" at its
// drive's root, "d:neu" in it when it is on d:, else at d:'s root. A full
// path stays as it is.
std::string ResolveAgainst(const std::string& directory, const std::string& name);

}  // namespace tresorix
