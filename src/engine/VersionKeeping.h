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
    VersionKeeper(BackupRun& run, int days, const Stamp& started)
        : run_(run), days_(days), asked_(started), started_(started)
    {
    }

    // Before the first copy: the run folders of every entry target that
    // `targets` names. A run folder of this second already there (two runs
    // in one second) moves the run's to the next free second; a newer one
    // means the clock was set back, and then nothing is pruned or mirrored.
    void prepare(const std::vector<std::string>& targets);
    bool clockSetBack() const { return clockSetBack_; }
    // A run folder of that stamp is older than the days to keep.
    bool expired(const Stamp& folder) const { return VersionExpired(folder, asked_, days_); }

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
    const Stamp asked_;  // the run's start, as the clock gave it
    Stamp started_;      // its run folders' name
    bool clockSetBack_ = false;
    // Folded target files this run saved first: replacing one again keeps
    // no version of what was never a backup before. Only with versions on.
    std::unordered_set<std::string> savedHere_;
};

}  // namespace tresorix
