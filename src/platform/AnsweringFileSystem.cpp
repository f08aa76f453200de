#include "platform/AnsweringFileSystem.h"

#include <windows.h>

#include <exception>
#include <thread>
#include <utility>

namespace tresorix {

namespace {

// Milliseconds between two looks at the queue while a call runs: well
// inside the five seconds after which Windows counts a thread as hung.
constexpr DWORD kLookInterval = 250;
// Milliseconds for which a volume that answered counts as awake, far below
// the minutes after which disks spin down.
constexpr DWORD kAwakeFor = 10000;

// The volume a path lies on: "C:" or "\\server\share".
std::string volumeOf(const std::string& path)
{
    if (path.size() < 2 || path[0] != '\\' || path[1] != '\\')
        return path.substr(0, 2);
    size_t server = path.find('\\', 2);
    size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    return path.substr(0, share);
}

}  // namespace

// One thread for all calls: starting one per call would cost more than the
// free-space question it makes, which comes for every file.
class AnsweringFileSystem::Helper {
public:
    Helper()
        : start_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), done_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          thread_([this] { work(); })
    {
    }
    ~Helper()
    {
        call_ = nullptr;
        SetEvent(start_);
        thread_.join();
        CloseHandle(start_);
        CloseHandle(done_);
    }
    void run(const std::function<void()>& call)
    {
        call_ = &call;
        SetEvent(start_);
        // Woken by a message sent from another thread too, which the look
        // answers; posted input stays where it is.
        while (MsgWaitForMultipleObjects(1, &done_, FALSE, kLookInterval, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        }
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
    }

private:
    void work()
    {
        for (;;) {
            WaitForSingleObject(start_, INFINITE);
            if (!call_)
                return;
            try {
                (*call_)();
            } catch (...) {
                failure_ = std::current_exception();
            }
            SetEvent(done_);
        }
    }
    HANDLE start_, done_;
    const std::function<void()>* call_ = nullptr;
    std::exception_ptr failure_;
    std::thread thread_;
};

// The free-space question of a held directory comes before every file and
// is the one that waits for a disk to spin up.
class AnsweringFileSystem::HeldDirectory : public OpenDirectory {
public:
    HeldDirectory(std::unique_ptr<OpenDirectory> real, std::string directory, AnsweringFileSystem& fs)
        : real_(std::move(real)), directory_(std::move(directory)), fs_(fs)
    {
    }
    uint32_t freeSpace(uint64_t& bytes) override
    {
        uint32_t error = 0;
        fs_.onVolume(directory_, [&] { error = real_->freeSpace(bytes); });
        return error;
    }
    uint32_t createWrite(const std::string& name, std::unique_ptr<OpenFile>& file) override
    {
        return real_->createWrite(name, file);
    }
    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override
    {
        return real_->renameFile(from, to, replace);
    }
    uint32_t nameOpenFile(OpenFile& file, const std::string& to) override { return real_->nameOpenFile(file, to); }
    uint32_t deleteFile(const std::string& name) override { return real_->deleteFile(name); }
    uint32_t index(FileId& id) override { return real_->index(id); }
    // A share may take its time to name its file system, as for its room.
    uint32_t fileSystemName(std::string& name) override
    {
        uint32_t error = 0;
        fs_.onVolume(directory_, [&] { error = real_->fileSystemName(name); });
        return error;
    }
    bool onFixedDisk() override { return real_->onFixedDisk(); }

private:
    std::unique_ptr<OpenDirectory> real_;
    std::string directory_;
    AnsweringFileSystem& fs_;
};

AnsweringFileSystem::AnsweringFileSystem(FileSystem& real) : real_(real) {}

AnsweringFileSystem::~AnsweringFileSystem() = default;

void AnsweringFileSystem::answering(const std::function<void()>& call)
{
    if (!helper_)
        helper_ = std::make_unique<Helper>();
    helper_->run(call);
}

// A volume that answered a moment ago is awake and reachable: only the
// first call on it and one after a pause go to the helper, whose two thread
// switches cost more requests to the server than a question to an awake
// disk.
void AnsweringFileSystem::onVolume(const std::string& path, const std::function<void()>& call)
{
    const std::string volume = volumeOf(path);
    auto last = answered_.find(volume);
    if (last != answered_.end() && GetTickCount() - last->second < kAwakeFor)
        call();
    else
        answering(call);
    answered_[volume] = GetTickCount();
}

std::unique_ptr<OpenDirectory> AnsweringFileSystem::wrap(std::unique_ptr<OpenDirectory> directory,
                                                         const std::string& path)
{
    if (!directory)
        return nullptr;
    return std::make_unique<HeldDirectory>(std::move(directory), path, *this);
}

std::unique_ptr<FileListing> AnsweringFileSystem::list(const std::string& directory, uint32_t& error)
{
    // The first entries come with the call; the rest follow from what it read.
    std::unique_ptr<FileListing> listing;
    onVolume(directory, [&] { listing = real_.list(directory, error); });
    return listing;
}

uint32_t AnsweringFileSystem::find(const std::string& path, FileEntry& entry)
{
    uint32_t error = 0;
    onVolume(path, [&] { error = real_.find(path, entry); });
    return error;
}

uint32_t AnsweringFileSystem::fileSystemName(const std::string& directory, std::string& name)
{
    uint32_t error = 0;
    onVolume(directory, [&] { error = real_.fileSystemName(directory, name); });
    return error;
}

uint32_t AnsweringFileSystem::openRead(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    uint32_t error = 0;
    onVolume(path, [&] { error = real_.openRead(path, file); });
    return error;
}

uint32_t AnsweringFileSystem::freeSpace(const std::string& path, uint64_t& bytes)
{
    uint32_t error = 0;
    onVolume(path, [&] { error = real_.freeSpace(path, bytes); });
    return error;
}

std::unique_ptr<OpenDirectory> AnsweringFileSystem::openDirectory(const std::string& directory, uint32_t& error)
{
    std::unique_ptr<OpenDirectory> held;
    onVolume(directory, [&] { held = real_.openDirectory(directory, error); });
    return wrap(std::move(held), directory);
}

std::unique_ptr<OpenDirectory> AnsweringFileSystem::makeDirectory(const std::string& directory, uint32_t& error)
{
    return wrap(real_.makeDirectory(directory, error), directory);
}

}  // namespace tresorix
