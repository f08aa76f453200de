// Mirroring into the versions: target files whose source is gone move into
// the run folder at the end of a whole run. See Mirror.cpp.
#pragma once

#include "engine/MirrorMarker.h"
#include "platform/FileSystem.h"
#include "set/Filters.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tresorix {

class BackupRun;
class MatchingFileList;

class Mirror {
public:
    // `wanted`: the set is to be mirrored; it acts only with versions on.
    Mirror(BackupRun& run, bool wanted) : run_(run), wanted_(wanted) {}

    // Whether the walk records what mirroring needs: with it off, a run
    // costs what it always did.
    bool recording() const { return recording_; }
    void begin(bool versionsKept) { recording_ = wanted_ && versionsKept; }

    void startEntry(int number, const std::string& source, const std::string& target,
                    const std::vector<std::string>& masks, const Exclusions& excluded);
    // A source directory listed completely for `mask`, its files about to
    // be handed over; `matching`: those the entry saves.
    void listed(const std::string& source, const std::string& target, const std::string& mask,
                const MatchingFileList& list, uint64_t matching, bool belowLink);
    void lookedUp(const std::string& targetFile);
    // A complete listing of a target directory that the walk took anyway.
    void targetListed(const std::string& directory, std::vector<FileEntry> entries);
    void entryEnded(bool walked);

    // At the end of the run, before the pruning. `whole`: neither
    // cancelled nor ended by an error; `entryCount`: the entries to walk.
    void mirror(bool whole, size_t entryCount);
    // A run folder of `entryTarget` that holds files moved by mirroring.
    bool holdsMovedFiles(const std::string& entryTarget, const Stamp& folder);

private:
    // A target directory whose source directory the walk listed completely.
    struct Listed {
        std::string source;
        std::vector<std::string> masks;      // whose walks listed it
        std::unordered_set<std::string> names;  // folded, files and directories
    };
    struct Entry {
        int number = 0;
        std::string source, target;
        std::vector<std::string> masks;
        Exclusions excluded;
        bool walked = false;
        uint64_t matching = 0;
        std::unordered_map<std::string, Listed> directories;  // by folded target path
    };
    struct Move {
        std::string targetFile, sourceFile;
    };
    struct Plan {
        std::vector<Move> moves;
        uint64_t candidates = 0;
        std::vector<std::string> goneDirectories;  // parents first
    };

    void mirrorTarget(const std::string& target, std::vector<Entry*>& entries);
    void plan(const Entry& entry, const std::string& targetDir, const Listed* listed, const std::string& sourceDir,
              Plan& plan);
    bool otherTargetInside(const Entry& entry, const std::string& directory) const;
    const std::vector<FileEntry>* targetListing(const std::string& directory);
    bool sourceGone(const std::string& path);
    bool moveAll(const Entry& entry, const Plan& plan);
    std::optional<MirrorMarker> readMarker(const std::string& target, bool& present);
    bool writeMarker(const std::string& target, const MirrorMarker& marker);
    void note(const std::string& text);
    void refuse(const std::string& text);

    BackupRun& run_;
    const bool wanted_;
    bool recording_ = false;
    std::vector<Entry> entries_;
    std::unordered_set<std::string> lookedUp_;  // folded target files
    std::unordered_map<std::string, std::optional<std::vector<FileEntry>>> targetListings_;
    // Read from the markers, by folded target; `all`: a marker that cannot
    // be read spares every run folder.
    struct Moved {
        bool all = false;
        std::vector<Stamp> stamps;
    };
    std::map<std::string, Moved> movedInto_;
};

}  // namespace tresorix
