// The target directories a run made (MdListe): a source directory among them
// would be copied into itself level after level.
#pragma once

#include "platform/FileSystem.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tresorix {

class MadeDirectories {
public:
    // `upper`: upper-cased, ending in "\". One the list holds already is not
    // added again. `index`, where the caller has it from the handle it made
    // the directory with, saves asking for it later.
    void add(std::string upper, std::optional<FileId> index = std::nullopt);
    // With the matcher's case folding: the system finds "É" under "é" too.
    bool contains(const std::string& path) const;
    // By volume and 128-bit identity, for a link or a second name that
    // leads into one of them under a path of its own. `indexesAgree`: on
    // `id`'s volume the 64-bit index is the identity's low part, so a
    // directory whose index differs is another one: then each directory's
    // index is asked once, at the first such question after it was made, and
    // its identity only where the index matches, as under Wine the volume
    // is a request to the mount manager for every directory. Elsewhere
    // (ReFS) each identity is asked once.
    bool containsId(FileSystem& fs, const FileId& id, bool indexesAgree);

    const std::vector<std::string>& MdListe() const { return list_; }

private:
    std::vector<std::string> list_;
    // The list is asked at every directory walked and grows with every
    // directory made, so it is looked up through a hash of its keys.
    std::unordered_set<std::string> keys_;
    struct Identity {
        std::optional<FileId> index;  // 64-bit, volume left out
        std::optional<FileId> full;   // 128-bit
    };
    std::vector<Identity> ids_;  // beside list_
};

}  // namespace tresorix
