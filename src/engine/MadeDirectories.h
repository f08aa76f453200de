// The target directories a run made (MdListe): a source directory among them
// would be copied into itself level after level.
#pragma once

#include "platform/FileSystem.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace tresorix {

class MadeDirectories {
public:
    // `upper`: upper-cased, ending in "\". One the list holds already is not
    // added again.
    void add(std::string upper);
    // With the matcher's case folding: the system finds "É" under "é" too.
    bool contains(const std::string& path) const;
    // By volume and file identity, for a link that leads into one of them
    // under a path of its own. Each directory's identity is asked once, at
    // the first such question after it was made.
    bool containsId(FileSystem& fs, const FileId& id);

    const std::vector<std::string>& MdListe() const { return list_; }

private:
    std::vector<std::string> list_;
    // The list is asked at every directory walked and grows with every
    // directory made, so it is looked up through a hash of its keys.
    std::unordered_set<std::string> keys_;
    std::vector<FileId> ids_;
    size_t identified_ = 0;
};

}  // namespace tresorix
