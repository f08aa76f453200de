// One entry's walk over its source tree, mask by mask: each directory's
// matching files, then its subdirectories, with the guards that keep a walk
// from running in circles. Made when the entry starts, so what it learns of
// the entry's source goes with it.
#pragma once

#include "platform/FileSystem.h"
#include "set/Filters.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tresorix {

class BackupRun;

class EntryWalk {
public:
    // `excluded`: the entry's and every entry's, outliving the walk.
    EntryWalk(BackupRun& run, const Exclusions& excluded) : run_(run), excluded_(excluded) {}
    EntryWalk(const EntryWalk&) = delete;
    EntryWalk& operator=(const EntryWalk&) = delete;

    void BackupDirectory(const std::string& source, const std::string& mask, const std::string& target,
                         bool recurse);

    // What the exclusions left out so far, over all of the entry's masks.
    uint64_t leftOutFiles() const { return leftOutFiles_; }
    uint64_t leftOutDirectories() const { return leftOutDirectories_.size(); }

private:
    std::vector<FileEntry> leaveOutFiles(const std::vector<FileEntry>& listed);
    void leaveOutDirectory(const std::string& directory);
    void skipDirectory(const std::string& reason, const std::string& source, const std::string& target,
                       bool& silenced);
    // `listed`: the subdirectories as a listing of this visit saw them; none:
    // listed here.
    void walkSubdirectories(const std::string& source, const std::string& mask, const std::string& target,
                            const std::vector<FileEntry>* listed);
    bool mayBeOwn(const std::string& source);
    bool onWalkPath(const std::string& directory);
    bool ownDirectory(const std::string& directory);
    void sourceFailure(const std::string& source, uint32_t error);
    bool rootIsLink(const std::string& source);
    void tooDeep(const std::string& directory);

    BackupRun& run_;
    const Exclusions& excluded_;
    uint64_t leftOutFiles_ = 0;
    // Each named once, whichever of the entry's masks met it first.
    std::unordered_set<std::string> leftOutDirectories_;
    // The directories the walk is in, outermost first. Their identities are
    // asked only when a link turns up, as only a link can lead back.
    struct WalkLevel {
        std::string directory;
        bool identified = false;
        std::optional<FileId> id;
        bool belowLink = false;  // reached through a junction or link
        uint64_t index = 0;      // as its parent's listing gave it; 0 unknown
        bool link = false;       // a junction or link itself
    };
    std::vector<WalkLevel> walkPath_;
    bool depthTold_ = false;     // the depth bound was reported
    bool sharesVolume_ = false;  // its source lies on a volume with a target
    uint64_t volume_ = 0;        // its source's
    // Its source's volume gives 64-bit indexes as its identities' low part.
    bool indexesAgree_ = false;
    bool stampsChecked_ = false, stampsHold_ = false;  // its source's volume keeps directory times
};

}  // namespace tresorix
