// A file system whose every call that can wait for a medium runs on a helper
// thread when the medium's volume has been quiet: a sleeping disk spins up,
// an unreachable server takes 20 to 60 seconds to fail, a share that
// Windows has not reconnected since logon waits for the network. A volume
// that answered a moment ago is asked directly, so that a fast local run
// costs no thread switches. While a call runs on the helper, the calling
// thread waits in short steps and answers what other threads send it, so
// Windows never takes a UI thread that waits for the medium for hung. What
// else it does meanwhile, its waiter decides: the run's leaves input queued,
// the dialogs' keeps the windows movable and may drop the call. One call at
// a time per caller: the caller stays single-threaded, the helper only
// stands in for it.
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tresorix {

class AnsweringFileSystem : public FileSystem {
public:
    // How the calling thread spends a call's wait on the helper, and
    // whether it still wants the answer. A dropped call fails with
    // errCancelled at once; the helper finishes it alone and lets its answer
    // go (a file it opened is closed there).
    class Waiter {
    public:
        virtual ~Waiter() = default;
        // Before a call goes to the helper: false when nobody wants its
        // answer any more, and it is not made.
        virtual bool wanted() { return true; }
        // The call has run for a look interval and goes on (`first` the
        // first time); from then on called whenever input or a paint comes,
        // and after every further interval. False drops the call.
        virtual bool waiting(bool first) = 0;
        // The call that waiting() was called for came back or was dropped.
        virtual void waited() {}
    };

    // `awakeFor`: milliseconds for which a volume that answered is asked
    // directly; 0 sends every call to the helper.
    explicit AnsweringFileSystem(FileSystem& real, uint32_t awakeFor = kAwakeFor);
    // Waits for dropped calls still on their way: `real` must stay until then.
    ~AnsweringFileSystem() override;
    AnsweringFileSystem(const AnsweringFileSystem&) = delete;
    AnsweringFileSystem& operator=(const AnsweringFileSystem&) = delete;

    // Far below the minutes after which disks spin down.
    static constexpr uint32_t kAwakeFor = 10000;

    // Without a waiter the thread only answers what is sent to it.
    void setWaiter(Waiter* waiter) { waiter_ = waiter; }

    std::unique_ptr<FileListing> list(const std::string& directory, uint32_t& error) override;
    uint32_t find(const std::string& path, FileEntry& entry) override;
    uint32_t getAttributes(const std::string& path, uint32_t& attributes) override;
    uint32_t setAttributes(const std::string& path, uint32_t attributes) override;
    uint32_t deleteFile(const std::string& path) override;
    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override;
    uint32_t createDirectory(const std::string& path) override;
    uint32_t removeDirectory(const std::string& path) override;
    uint32_t probeRemovable(const std::string& path) override;
    uint32_t directoryId(const std::string& path, FileId& id) override;
    uint32_t directoryIndex(const std::string& path, FileId& id) override;
    bool keepsDirectoryTimes(const std::string& directory) override;
    std::optional<uint64_t> directoryStamp(const std::string& directory) override;
    uint32_t allocatedSize(const std::string& path, uint64_t& bytes) override;
    uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t createWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t fileSystemName(const std::string& directory, std::string& name) override;
    bool onFixedDisk(const std::string& directory) override;
    uint32_t openWrite(const std::string& path, std::unique_ptr<OpenFile>& file) override;
    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override;
    std::unique_ptr<OpenDirectory> openDirectory(const std::string& directory, uint32_t& error) override;
    std::unique_ptr<OpenDirectory> makeDirectory(const std::string& directory, uint32_t& error) override;

    // Any other question of the medium that holds `path` (a volume's
    // label), under the same rule. `call` must own what it touches: a
    // dropped call outlives its caller. False when it was dropped.
    bool onMedium(const std::string& path, std::function<void()> call);

private:
    class Helper;
    class HeldDirectory;
    class HeldFile;
    template <class Result, class Call>
    Result onVolume(const std::string& path, Call call, Result dropped);
    template <class Value, class Call>
    uint32_t withValue(const std::string& path, Value& out, Call call);
    bool awake(const std::string& path) const;
    // Notes that the volume of `path` answered; `error` as it was.
    uint32_t answeredNow(const std::string& path, uint32_t error);
    // Runs `call` on an idle helper; false when the waiter dropped it.
    bool answering(std::function<void()> call);
    std::unique_ptr<OpenDirectory> wrap(std::unique_ptr<OpenDirectory> directory, const std::string& path);
    std::unique_ptr<OpenFile> wrap(std::unique_ptr<OpenFile> file, const std::string& path);
    using OpenCall = uint32_t (FileSystem::*)(const std::string&, std::unique_ptr<OpenFile>&);
    uint32_t openFile(const std::string& path, std::unique_ptr<OpenFile>& file, OpenCall open);
    using HoldCall = std::unique_ptr<OpenDirectory> (FileSystem::*)(const std::string&, uint32_t&);
    std::unique_ptr<OpenDirectory> holdDirectory(const std::string& directory, uint32_t& error, HoldCall hold);

    FileSystem& real_;
    const uint32_t awakeFor_;
    Waiter* waiter_ = nullptr;
    // Started by the first call they take. More than one only while a call
    // waits and a message answered meanwhile asks again, or a dropped call
    // is still on its way.
    std::vector<std::unique_ptr<Helper>> helpers_;
    std::map<std::string, uint32_t> answered_;  // by volume: when it last answered (GetTickCount)
};

}  // namespace tresorix
