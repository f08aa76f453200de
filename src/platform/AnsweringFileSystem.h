// A file system whose calls that can block for seconds run on a helper
// thread: a listing, free space (a sleeping disk spins up), opening a
// directory or a file, finding an entry (an unreachable server takes 20 to
// 60 seconds to fail) — unless the volume answered a moment ago. Meanwhile the calling thread waits in short steps and
// answers what other threads send it, so Windows never takes a UI thread
// that waits for the medium for hung. Input stays queued. One call at a
// time: the caller stays single-threaded, the helper only stands in for it.
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tresorix {

class AnsweringFileSystem : public FileSystem {
public:
    explicit AnsweringFileSystem(FileSystem& real);
    ~AnsweringFileSystem() override;
    AnsweringFileSystem(const AnsweringFileSystem&) = delete;
    AnsweringFileSystem& operator=(const AnsweringFileSystem&) = delete;

    std::unique_ptr<FileListing> list(const std::string& directory, uint32_t& error) override;
    uint32_t find(const std::string& path, FileEntry& entry) override;
    uint32_t getAttributes(const std::string& path, uint32_t& attributes) override
    {
        return real_.getAttributes(path, attributes);
    }
    uint32_t setAttributes(const std::string& path, uint32_t attributes) override
    {
        return real_.setAttributes(path, attributes);
    }
    uint32_t deleteFile(const std::string& path) override { return real_.deleteFile(path); }
    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override
    {
        return real_.renameFile(from, to, replace);
    }
    uint32_t createDirectory(const std::string& path) override { return real_.createDirectory(path); }
    uint32_t removeDirectory(const std::string& path) override { return real_.removeDirectory(path); }
    uint32_t probeRemovable(const std::string& path) override { return real_.probeRemovable(path); }
    uint32_t directoryId(const std::string& path, FileId& id) override { return real_.directoryId(path, id); }
    uint32_t directoryIndex(const std::string& path, FileId& id) override { return real_.directoryIndex(path, id); }
    bool keepsDirectoryTimes(const std::string& directory) override { return real_.keepsDirectoryTimes(directory); }
    uint32_t fileSystemName(const std::string& directory, std::string& name) override;
    bool onFixedDisk(const std::string& directory) override { return real_.onFixedDisk(directory); }
    std::optional<uint64_t> directoryStamp(const std::string& directory) override
    {
        return real_.directoryStamp(directory);
    }
    uint32_t allocatedSize(const std::string& path, uint64_t& bytes) override
    {
        return real_.allocatedSize(path, bytes);
    }
    uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t createWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override
    {
        return real_.createWrite(path, file);
    }
    uint32_t openWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override
    {
        return real_.openWrite(path, file);
    }
    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override;
    std::unique_ptr<OpenDirectory> openDirectory(const std::string& directory, uint32_t& error) override;
    std::unique_ptr<OpenDirectory> makeDirectory(const std::string& directory, uint32_t& error) override;

    // Runs `call` on the helper thread and returns when it has returned.
    void answering(const std::function<void()>& call);

private:
    class Helper;
    class HeldDirectory;
    // `call` on the volume of `path`: on the helper unless the volume is awake.
    void onVolume(const std::string& path, const std::function<void()>& call);
    std::unique_ptr<OpenDirectory> wrap(std::unique_ptr<OpenDirectory> directory, const std::string& path);

    FileSystem& real_;
    std::unique_ptr<Helper> helper_;  // started by the first call it takes
    std::map<std::string, uint32_t> answered_;  // by volume: when it last answered (GetTickCount)
};

}  // namespace tresorix
