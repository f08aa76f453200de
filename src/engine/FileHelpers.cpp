#include "engine/FileHelpers.h"

#include "engine/Format.h"

#include <algorithm>

namespace tresorix {

bool DeleteFileForced(FileSystem& fs, const std::string& path)
{
    uint32_t attributes = 0;
    if (fs.getAttributes(path, attributes) != 0)
        return false;
    bool readOnly = attributes & attrReadOnly;
    if (readOnly && fs.setAttributes(path, attributes & ~attrReadOnly) != 0)
        return false;
    if (fs.deleteFile(path) == 0)
        return true;
    // A file that stays (locked, or a directory) keeps its protection.
    if (readOnly)
        fs.setAttributes(path, attributes);
    return false;
}

bool DriveReady(FileSystem& fs, std::string_view text)
{
    if (text.empty())
        return true;
    uint32_t error = 0;
    fs.list(std::string(1, text[0]) + ":\\", error);
    return error != errDriveNotReady;
}

bool DirectoryPresent(FileSystem& fs, const std::string& path, uint32_t& code)
{
    std::string directory = AddBackslash(path);
    // The attributes answer at once; a listing reads the whole of a big
    // directory first (milliseconds under Wine), and the run asks for every
    // file. A drive that is not ready has no readable attributes, so the
    // listing still supplies its error 21.
    uint32_t attributes = 0;
    if (fs.getAttributes(directory, attributes) == 0 && (attributes & attrDirectory)) {
        code = 0;
        return true;
    }
    fs.list(directory, code);
    return code == 0;
}

namespace {

// Where the levels below the root begin.
size_t rootEnd(const std::string& full)
{
    if (full.size() >= 2 && full[1] == ':')
        return full.size() > 2 && full[2] == '\\' ? 3 : 2;
    if (full.starts_with("\\\\")) {
        size_t server = full.find('\\', 2);
        return server == std::string::npos ? full.size() : server + 1;
    }
    size_t end = 0;
    while (end < full.size() && full[end] == '\\')
        ++end;
    return end;
}

bool isDirectory(FileSystem& fs, const std::string& path)
{
    uint32_t attributes = 0;
    return fs.getAttributes(path, attributes) == 0 && (attributes & attrDirectory);
}

}  // namespace

std::string DeepestExistingLevel(FileSystem& fs, const std::string& path)
{
    std::string level = AddBackslash(path);
    const size_t root = rootEnd(level);
    while (level.size() > root && !isDirectory(fs, level))
        level.resize(level.rfind('\\', level.size() - 2) + 1);
    if (level.size() <= root && !isDirectory(fs, level))
        return {};
    return level;
}

uint32_t ForceDirectory(FileSystem& fs, const std::string& path, std::unique_ptr<OpenDirectory>* made)
{
    if (path.find_first_of("<>") != std::string::npos)
        return errEntryNotPossible;
    std::string full = AddBackslash(path);

    // Only the levels below the deepest existing one are made: usually that
    // is the last level alone, however deep the path. Below an existing
    // level the drive is ready and the rest is missing; without one, each
    // level is looked at, as only a listing tells a drive that is not ready.
    const std::string deepest = DeepestExistingLevel(fs, full);
    size_t end = std::max(rootEnd(full), deepest.size());
    uint32_t result = 0;
    while (result == 0 && end < full.size()) {
        end = full.find('\\', end) + 1;
        std::string soFar = full.substr(0, end);
        uint32_t code = 0;
        if (deepest.empty() && DirectoryPresent(fs, soFar, code))
            continue;
        if (code == errDriveNotReady)
            return errDriveNotReady;
        if (made && end == full.size())
            *made = fs.makeDirectory(soFar, result);
        else
            result = fs.createDirectory(soFar.substr(0, soFar.size() - 1));
        // Taken meanwhile, by a directory or by a file in the way.
        if (result == errAlreadyExists && isDirectory(fs, soFar))
            result = 0;
    }
    return result;
}

std::string ResolveAgainst(const std::string& directory, const std::string& name)
{
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const bool driveRelative = name.size() >= 2 && letter(name[0]) && name[1] == ':';
    if (name.starts_with("\\\\") || (driveRelative && name.size() > 2 && name[2] == '\\'))
        return name;
    const std::string base = AddBackslash(directory);
    if (driveRelative) {
        const bool sameDrive = base.size() >= 2 && base[1] == ':' && (base[0] | 0x20) == (name[0] | 0x20);
        return (sameDrive ? base : name.substr(0, 2) + "\\") + name.substr(2);
    }
    if (name.starts_with('\\')) {
        // A share's root holds its name: \\server\share\.
        size_t root = rootEnd(base);
        if (base.starts_with("\\\\") && root < base.size())
            root = base.find('\\', root) + 1;
        return base.substr(0, root) + name.substr(1);
    }
    return base + name;
}

}  // namespace tresorix
