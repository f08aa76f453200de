// The names of the files of one directory that match a mask list: counted by
// the directory walk, shown and picked from in the source dialog.
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tresorix {

class MatchingFileList {
public:
    static constexpr size_t npos = size_t(-1);

    // Sorted without regard to case; a name that matches several masks is
    // there once for each of them.
    const std::vector<std::string>& names() const { return names_; }
    size_t count() const { return names_.size(); }
    // The same files as listed, with size, time and attributes: the backup
    // walk copies from here instead of listing the directory again.
    const std::vector<FileEntry>& entries() const { return entries_; }
    // The directories the same listing held, "." and ".." left out.
    const std::vector<FileEntry>& subdirectories() const { return subdirectories_; }
    // Ends in a backslash; empty before the first fill and for the working
    // directory.
    const std::string& directory() const { return directory_; }
    const std::string& mask() const { return mask_; }

    size_t selected() const { return selected_; }
    // npos selects nothing. A change of the selection fires OnChange.
    void select(size_t index);
    // Holds no file any more and is read afresh by the next fill; fires
    // OnChange. For a directory that could not be read, whose files the
    // list must not seem to show.
    void clear();

    // Fired after every re-read and every change of the selection.
    std::function<void()> OnChange;

private:
    friend uint32_t FillFileList(FileSystem& fs, MatchingFileList& list, std::string directory,
                                 std::string masks);
    void changed();

    std::vector<std::string> names_;
    std::vector<FileEntry> entries_;
    std::vector<FileEntry> subdirectories_;
    std::string directory_;
    std::string mask_ = "*.*";
    size_t selected_ = npos;
    bool read_ = false;
};

// Points the list at a directory (empty: "C:\"; a last component with "*" or
// "?" or naming a file is dropped) and a mask list separated by ";", and
// re-reads it when the directory (ignoring case) or the masks (exactly)
// changed. The process's working directory is left alone. Returns 0, or the
// error that kept the directory from being read; the list is unchanged then.
uint32_t FillFileList(FileSystem& fs, MatchingFileList& list, std::string directory, std::string masks);

}  // namespace tresorix
