#include "engine/FileList.h"

#include "engine/Format.h"
#include "engine/Mask.h"

#include <algorithm>
#include <string_view>

namespace tresorix {
namespace {

bool isDriveOnly(const std::string& path)
{
    return path.size() == 2 && path[1] == ':';
}

// Reads the files of `directory` that match any piece of `masks`, and its
// subdirectories.
uint32_t readEntries(FileSystem& fs, const std::string& directory, std::string_view masks,
                     std::vector<FileEntry>& entries, std::vector<FileEntry>& subdirectories)
{
    std::vector<std::string_view> pieces;
    for (size_t start = 0;;) {
        size_t end = masks.find(';', start);
        pieces.push_back(masks.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }

    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = fs.list(directory, error);
    if (!listing) {
        // Only an empty root lists nothing at all; anything else is a
        // directory that cannot be entered.
        uint32_t attributes = 0;
        if (error != 18 && error != errFileNotFound)
            return error;
        if (uint32_t missing = fs.getAttributes(directory, attributes))
            return missing;
        return attributes & attrDirectory ? 0 : uint32_t(errPathNotFound);
    }
    FileEntry entry;
    while (listing->next(entry)) {
        if (entry.isDirectory() && entry.name != "." && entry.name != "..")
            subdirectories.push_back(entry);
        if (entry.attributes & (attrDirectory | attrVolumeLabel))
            continue;
        for (std::string_view piece : pieces)
            if (MatchesMask(entry.name, piece))
                entries.push_back(entry);
    }
    // A listing that broke off would pass the rest of the directory over.
    if (uint32_t broken = listing->error())
        return broken;
    std::stable_sort(entries.begin(), entries.end(), [](const FileEntry& a, const FileEntry& b) {
        return CompareIgnoreCase(a.name, b.name) < 0;
    });
    return 0;
}

}  // namespace

void MatchingFileList::select(size_t index)
{
    if (index >= names_.size())
        index = npos;
    if (index == selected_)
        return;
    selected_ = index;
    changed();
}

void MatchingFileList::clear()
{
    names_.clear();
    entries_.clear();
    subdirectories_.clear();
    selected_ = npos;
    read_ = false;
    changed();
}

void MatchingFileList::changed()
{
    if (OnChange)
        OnChange();
}

uint32_t FillFileList(FileSystem& fs, MatchingFileList& list, std::string directory, std::string masks)
{
    // There are no per-drive working directories here: a drive alone stands
    // for its root.
    std::replace(directory.begin(), directory.end(), '/', '\\');
    if (directory.empty())
        directory = "C:\\";
    if (isDriveOnly(directory))
        directory += '\\';

    size_t lastStart = directory.rfind('\\');
    lastStart = lastStart == std::string::npos ? 0 : lastStart + 1;
    if (directory.size() >= 2 && directory[1] == ':')
        lastStart = std::max<size_t>(lastStart, 2);
    if (lastStart < directory.size()) {
        bool pattern = directory.find_first_of("*?", lastStart) != std::string::npos;
        FileEntry entry;
        if (pattern || (fs.find(directory, entry) == 0 && !entry.isDirectory())) {
            directory.resize(lastStart);
            if (isDriveOnly(directory))
                directory += '\\';
        }
    }
    if (!directory.empty())
        directory = AddBackslash(std::move(directory));

    if (list.read_ && EqualsIgnoreCase(directory, list.directory_) && masks == list.mask_)
        return 0;
    std::vector<FileEntry> entries;
    std::vector<FileEntry> subdirectories;
    if (uint32_t error = readEntries(fs, directory, masks, entries, subdirectories))
        return error;
    list.subdirectories_ = std::move(subdirectories);
    list.names_.clear();
    for (const FileEntry& entry : entries)
        list.names_.push_back(entry.name);
    list.entries_ = std::move(entries);
    list.directory_ = std::move(directory);
    list.mask_ = std::move(masks);
    list.selected_ = MatchingFileList::npos;
    list.read_ = true;
    list.changed();
    return 0;
}

}  // namespace tresorix
