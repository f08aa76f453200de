// Versions of replaced copies, kept for one run: see VersionKeeping.cpp.
#pragma once

#include "engine/Versions.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tresorix {

class BackupRun;

class VersionKeeper {
public:
    // `days`: how long run folders are kept; 0 keeps no versions at all.
    VersionKeeper(BackupRun& run, int days, const Stamp& started) : run_(run), days_(days), started_(started) {}

    bool versionWanted(const std::string& targetFile) const;
    bool keepVersion(const std::string& targetFile);
    bool makeRoomFromVersions(const std::string& target, uint64_t size, uint64_t free);
    // Whether the old copy may go to make room for the new one; with
    // versions on it never may, and the log says so.
    bool mayRemoveOldCopy(const std::string& targetFile);
    void pruneVersions();
    bool isVersionsFolder(const std::string& directory) const;
    bool keepsVersions() const { return days_ > 0; }
    // The run folder's name; a kept version put back is found by it.
    const Stamp& runStart() const { return started_; }
    // A copy the run saved: replacing it again keeps no version of it.
    void noteSaved(const std::string& targetFile);

private:
    std::vector<std::pair<Stamp, std::string>> runFolders(const std::string& entryTarget);
    uint32_t removeTree(const std::string& directory);
    uint64_t treeSize(const std::string& directory);
    bool onVolumeOf(const std::string& target, const std::string& versions);

    BackupRun& run_;
    const int days_;
    const Stamp started_;
    // Folded target files this run saved first: replacing one again keeps
    // no version of what was never a backup before. Only with versions on.
    std::unordered_set<std::string> savedHere_;
};

}  // namespace tresorix
