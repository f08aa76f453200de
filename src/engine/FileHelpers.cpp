#include "engine/FileHelpers.h"

#include "engine/Format.h"

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

uint32_t ForceDirectory(FileSystem& fs, const std::string& path)
{
    if (path.find_first_of("<>") != std::string::npos)
        return errEntryNotPossible;
    std::string full = AddBackslash(path);

    size_t rootEnd = 0;
    if (full.size() >= 2 && full[1] == ':') {
        rootEnd = full.size() > 2 && full[2] == '\\' ? 3 : 2;
    } else if (full.starts_with("\\\\")) {
        size_t server = full.find('\\', 2);
        rootEnd = server == std::string::npos ? full.size() : server + 1;
    } else {
        while (rootEnd < full.size() && full[rootEnd] == '\\')
            ++rootEnd;
    }

    uint32_t result = 0;
    for (size_t end = rootEnd; result == 0 && end < full.size();) {
        end = full.find('\\', end) + 1;
        std::string soFar = full.substr(0, end);
        uint32_t code = 0;
        if (DirectoryPresent(fs, soFar, code))
            continue;
        if (code == errDriveNotReady)
            return errDriveNotReady;
        result = fs.createDirectory(soFar.substr(0, soFar.size() - 1));
        if (result == errAlreadyExists)
            result = 0;
    }
    return result;
}

}  // namespace tresorix
