#include "support/MemoryFileSystem.h"

#include <functional>

namespace tresorix::test {
namespace {

class VectorListing : public FileListing {
public:
    explicit VectorListing(std::vector<FileEntry> entries) : entries_(std::move(entries)) {}
    bool next(FileEntry& entry) override
    {
        if (at_ == entries_.size())
            return false;
        entry = entries_[at_++];
        return true;
    }

private:
    std::vector<FileEntry> entries_;
    size_t at_ = 0;
};

class MemoryFile : public OpenFile {
public:
    MemoryFile(std::string& data, FileEntry& entry, bool writing) : data_(data), entry_(entry), writing_(writing) {}
    uint32_t read(void* buffer, uint32_t size, uint32_t& got) override
    {
        got = 0;
        if (writing_)
            return errAccessDenied;
        got = uint32_t(data_.copy(static_cast<char*>(buffer), size, at_));
        at_ += got;
        return 0;
    }
    uint32_t write(const void* buffer, uint32_t size, uint32_t& put) override
    {
        put = 0;
        if (!writing_)
            return errAccessDenied;
        data_.append(static_cast<const char*>(buffer), size);
        put = size;
        return 0;
    }
    uint32_t size(uint64_t& bytes) override
    {
        bytes = data_.size();
        return 0;
    }
    uint32_t setTimeAndAttributes(uint64_t lastWrite, uint32_t attributes) override
    {
        if (!writing_)
            return errAccessDenied;
        entry_.lastWrite = lastWrite;
        entry_.attributes = attributes;
        return 0;
    }
    uint32_t flush() override { return 0; }
    uint32_t close() override { return 0; }

private:
    std::string& data_;
    FileEntry& entry_;
    bool writing_;
    size_t at_ = 0;
};

// Drives, servers and the working directory ("") always exist.
bool isRoot(const std::string& key)
{
    if (key.starts_with("\\\\"))
        return key.find('\\', 2) == std::string::npos;
    return key.empty() || (key.size() == 2 && key[1] == ':');
}

}  // namespace

std::string MemoryFileSystem::key(const std::string& path)
{
    std::string k = path;
    while (!k.empty() && k.back() == '\\')
        k.pop_back();
    for (char& c : k)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    return k;
}

std::string MemoryFileSystem::parentKey(const std::string& key)
{
    size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

MemoryFileSystem::Node* MemoryFileSystem::node(const std::string& path)
{
    auto it = nodes_.find(key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

uint32_t MemoryFileSystem::addNode(const std::string& path, FileEntry entry, std::string data)
{
    std::string k = key(path);
    std::string parent = parentKey(k);
    if (!isRoot(parent)) {
        Node* p = node(parent);
        if (!p || !p->entry.isDirectory())
            return errPathNotFound;
    }
    if (nodes_.count(k))
        return errAlreadyExists;
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\')
        trimmed.pop_back();
    entry.name = trimmed.substr(trimmed.rfind('\\') + 1);
    nodes_[k] = Node{entry, std::move(data), nextId_++};
    return 0;
}

void MemoryFileSystem::addDirectory(const std::string& path)
{
    FileEntry e;
    e.attributes = attrDirectory;
    addNode(path, e, {});
}

void MemoryFileSystem::addFile(const std::string& path, std::string data, uint32_t attributes, int32_t dosTime)
{
    FileEntry e;
    e.attributes = attributes;
    e.size = data.size();
    e.dosTime = dosTime;
    addNode(path, e, std::move(data));
}

bool MemoryFileSystem::exists(const std::string& path) const
{
    return nodes_.count(key(path)) != 0;
}

std::string MemoryFileSystem::contents(const std::string& path) const
{
    auto it = nodes_.find(key(path));
    return it == nodes_.end() ? std::string() : it->second.data;
}

std::unique_ptr<FileListing> MemoryFileSystem::list(const std::string& directory, uint32_t& error)
{
    std::string k = key(directory);
    std::vector<FileEntry> entries;
    if (!isRoot(k)) {
        Node* d = node(k);
        if (!d || !d->entry.isDirectory()) {
            error = errPathNotFound;
            return nullptr;
        }
        FileEntry dot;
        dot.attributes = attrDirectory;
        dot.name = ".";
        entries.push_back(dot);
        dot.name = "..";
        entries.push_back(dot);
    }
    for (auto& [childKey, child] : nodes_)
        if (parentKey(childKey) == k) {
            child.entry.size = child.data.size();
            entries.push_back(child.entry);
        }
    if (entries.empty()) {
        error = 18;
        return nullptr;
    }
    error = 0;
    return std::make_unique<VectorListing>(std::move(entries));
}

uint32_t MemoryFileSystem::find(const std::string& path, FileEntry& entry)
{
    Node* n = node(path);
    if (!n)
        return errFileNotFound;
    entry = n->entry;
    entry.size = n->data.size();
    return 0;
}

uint32_t MemoryFileSystem::getAttributes(const std::string& path, uint32_t& attributes)
{
    if (isRoot(key(path))) {
        attributes = attrDirectory;
        return 0;
    }
    Node* n = node(path);
    if (!n)
        return errFileNotFound;
    attributes = n->entry.attributes;
    return 0;
}

uint32_t MemoryFileSystem::setAttributes(const std::string& path, uint32_t attributes)
{
    Node* n = node(path);
    if (!n)
        return errFileNotFound;
    n->entry.attributes = (n->entry.attributes & attrDirectory) | (attributes & ~attrDirectory);
    return 0;
}

uint32_t MemoryFileSystem::deleteFile(const std::string& path)
{
    Node* n = node(path);
    if (!n)
        return errFileNotFound;
    if (n->entry.attributes & (attrDirectory | attrReadOnly))
        return errAccessDenied;
    nodes_.erase(key(path));
    return 0;
}

uint32_t MemoryFileSystem::renameFile(const std::string& from, const std::string& to, bool replace)
{
    Node* n = node(from);
    if (!n)
        return errFileNotFound;
    if (n->entry.isDirectory())
        return errAccessDenied;
    if (Node* old = node(to); old && replace && key(to) != key(from)) {
        if (old->entry.attributes & (attrDirectory | attrReadOnly))
            return errAccessDenied;
        nodes_.erase(key(to));
        n = node(from);
    }
    Node moved = *n;
    if (uint32_t error = addNode(to, moved.entry, moved.data))
        return error;
    nodes_.erase(key(from));
    return 0;
}

uint32_t MemoryFileSystem::createDirectory(const std::string& path)
{
    FileEntry e;
    e.attributes = attrDirectory;
    uint32_t error = addNode(path, e, {});
    if (error == 0)
        created_.push_back(path);
    return error;
}

uint32_t MemoryFileSystem::probeRemovable(const std::string& path)
{
    Node* n = node(path);
    if (!n)
        return errFileNotFound;
    return n->entry.isDirectory() ? uint32_t(errAccessDenied) : 0u;
}

uint32_t MemoryFileSystem::directoryId(const std::string& path, FileId& id)
{
    if (isRoot(key(path))) {
        id = {1, std::hash<std::string>()(key(path))};
        return 0;
    }
    Node* n = node(path);
    if (!n)
        return errFileNotFound;
    id = {0, n->id};
    return 0;
}

uint32_t MemoryFileSystem::openRead(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    Node* n = node(path);
    if (!n || n->entry.isDirectory())
        return n ? errAccessDenied : errFileNotFound;
    file = std::make_unique<MemoryFile>(n->data, n->entry, false);
    return 0;
}

uint32_t MemoryFileSystem::createWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    if (node(path))
        return errFileExists;
    FileEntry e;
    e.attributes = attrArchive;
    if (uint32_t error = addNode(path, e, {}))
        return error;
    Node* n = node(path);
    file = std::make_unique<MemoryFile>(n->data, n->entry, true);
    return 0;
}

uint32_t MemoryFileSystem::freeSpace(const std::string& path, uint64_t& bytes)
{
    if (!isRoot(key(path)) && !exists(path))
        return errPathNotFound;
    bytes = free;
    return 0;
}

}  // namespace tresorix::test
