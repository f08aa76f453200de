// A file system in memory for the portable tests: drives "X:\", directories
// and files with contents, attributes and times. A drive root without
// entries lists nothing (18), as an empty formatted medium does.
#pragma once

#include "platform/FileSystem.h"

#include <map>
#include <string>
#include <vector>

namespace tresorix::test {

class MemoryFileSystem : public FileSystem {
public:
    // Parents must exist; drive roots always do.
    void addDirectory(const std::string& path);
    void addFile(const std::string& path, std::string data = {}, uint32_t attributes = attrArchive,
                 int32_t dosTime = 0);
    bool exists(const std::string& path) const;
    std::string contents(const std::string& path) const;
    // Every directory created through createDirectory, in order.
    const std::vector<std::string>& created() const { return created_; }

    std::unique_ptr<FileListing> list(const std::string& directory, uint32_t& error) override;
    uint32_t find(const std::string& path, FileEntry& entry) override;
    uint32_t getAttributes(const std::string& path, uint32_t& attributes) override;
    uint32_t setAttributes(const std::string& path, uint32_t attributes) override;
    uint32_t deleteFile(const std::string& path) override;
    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override;
    uint32_t createDirectory(const std::string& path) override;
    uint32_t probeRemovable(const std::string& path) override;
    // Each node its own; there are no links here.
    uint32_t directoryId(const std::string& path, FileId& id) override;
    uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t createWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override;

    uint64_t free = uint64_t(1) << 30;

private:
    struct Node {
        FileEntry entry;
        std::string data;
        uint64_t id = 0;
    };
    static std::string key(const std::string& path);
    static std::string parentKey(const std::string& key);
    Node* node(const std::string& path);
    uint32_t addNode(const std::string& path, FileEntry entry, std::string data);

    std::map<std::string, Node> nodes_;  // by upper-cased path without trailing backslash
    std::vector<std::string> created_;
    uint64_t nextId_ = 1;
};

}  // namespace tresorix::test
