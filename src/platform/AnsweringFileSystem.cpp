#include "platform/AnsweringFileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

namespace tresorix {

namespace {

// Milliseconds between two looks at the queue while a call runs: well
// inside the five seconds after which Windows counts a thread as hung.
constexpr DWORD kLookInterval = 250;

// The volume a path lies on: "C:" or "\\server\share", also of a path in the
// \\?\ form, and in one case: the run and the dialogs name it both ways.
std::string volumeOf(const std::string& path)
{
    std::string volume = path;
    if (volume.starts_with("\\\\?\\UNC\\"))
        volume.replace(0, 8, "\\\\");
    else if (volume.starts_with("\\\\?\\"))
        volume.erase(0, 4);
    if (volume.size() < 2 || volume[0] != '\\' || volume[1] != '\\') {
        volume.resize(std::min<size_t>(volume.size(), 2));
    } else {
        size_t server = volume.find('\\', 2);
        volume.resize(std::min(volume.size(), server == std::string::npos ? server : volume.find('\\', server + 1)));
    }
    for (char& c : volume)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return volume;
}

}  // namespace

// One thread for all calls: starting one per call would cost more than the
// free-space question it makes, which comes for every file. Everything the
// thread touches is its own or the call's, so that a dropped call can go on
// after its caller has left.
class AnsweringFileSystem::Helper {
public:
    Helper() : channel_(std::make_shared<Channel>()), thread_([channel = channel_] { work(*channel); }) {}
    ~Helper()
    {
        channel_->stop = true;
        SetEvent(channel_->start);
        thread_.join();
    }
    // Neither waiting for a call nor still busy with a dropped one.
    bool idle()
    {
        if (running_)
            return false;
        if (dropped_ && WaitForSingleObject(channel_->done, 0) == WAIT_OBJECT_0)
            dropped_ = false;
        return !dropped_;
    }
    bool run(std::function<void()> call, Waiter* waiter)
    {
        Channel& c = *channel_;
        c.call = std::move(call);
        c.failure = nullptr;
        running_ = true;
        SetEvent(c.start);
        bool waited = false, answered = true;
        for (;;) {
            // Woken by a message sent from another thread too, which a look
            // answers; posted input stays where it is unless the waiter
            // takes it.
            DWORD wake = waited ? QS_SENDMESSAGE | QS_INPUT | QS_PAINT : QS_SENDMESSAGE;
            DWORD woke = MsgWaitForMultipleObjects(1, &c.done, FALSE, kLookInterval, wake);
            if (woke == WAIT_OBJECT_0)
                break;
            if (waiter && (waited || woke == WAIT_TIMEOUT)) {
                if (!waiter->waiting(!std::exchange(waited, true))) {
                    answered = false;
                    break;
                }
            } else {
                MSG msg;
                PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            }
        }
        running_ = false;
        dropped_ = !answered;
        if (waited)
            waiter->waited();
        if (answered && c.failure)
            std::rethrow_exception(std::exchange(c.failure, nullptr));
        return answered;
    }

private:
    struct Channel {
        HANDLE start = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        std::function<void()> call;
        std::exception_ptr failure;
        bool stop = false;  // set, like call, only while the thread waits for start
        ~Channel()
        {
            CloseHandle(start);
            CloseHandle(done);
        }
    };
    static void work(Channel& c)
    {
        for (;;) {
            WaitForSingleObject(c.start, INFINITE);
            if (c.stop)
                return;
            try {
                std::exchange(c.call, nullptr)();
            } catch (...) {
                c.failure = std::current_exception();
            }
            SetEvent(c.done);
        }
    }
    std::shared_ptr<Channel> channel_;
    std::thread thread_;
    bool running_ = false;
    bool dropped_ = false;
};

// A file of the run: its reads and writes are the calls of a copy that
// meet an unplugged stick or a dropped connection.
class AnsweringFileSystem::HeldFile : public OpenFile {
public:
    HeldFile(std::unique_ptr<OpenFile> real, std::string path, AnsweringFileSystem& fs)
        : real_(std::move(real)), path_(std::move(path)), fs_(fs)
    {
    }
    std::shared_ptr<OpenFile> shared() { return real_; }
    // On the helper the bytes go through a buffer of the call's own: a
    // dropped call must not reach the caller's.
    uint32_t read(void* buffer, uint32_t size, uint32_t& got) override
    {
        if (fs_.awake(path_))
            return fs_.answeredNow(path_, real_->read(buffer, size, got));
        auto [error, bytes] = fs_.onVolume(
            path_,
            [file = real_, size] {
                std::vector<char> own(size);
                uint32_t got = 0;
                uint32_t error = file->read(own.data(), size, got);
                own.resize(got);
                return std::pair(error, std::move(own));
            },
            std::pair(uint32_t(errCancelled), std::vector<char>()));
        got = uint32_t(bytes.size());
        if (!bytes.empty())
            std::memcpy(buffer, bytes.data(), bytes.size());
        return error;
    }
    uint32_t write(const void* buffer, uint32_t size, uint32_t& put) override
    {
        if (fs_.awake(path_))
            return fs_.answeredNow(path_, real_->write(buffer, size, put));
        const char* bytes = static_cast<const char*>(buffer);
        return fs_.withValue(path_, put, [file = real_, own = std::vector<char>(bytes, bytes + size)](uint32_t& put) {
            return file->write(own.data(), uint32_t(own.size()), put);
        });
    }
    uint32_t size(uint64_t& bytes) override
    {
        return fs_.withValue(path_, bytes, [file = real_](uint64_t& bytes) { return file->size(bytes); });
    }
    uint32_t seek(uint64_t offset) override
    {
        return fs_.onVolume(path_, [file = real_, offset] { return file->seek(offset); }, uint32_t(errCancelled));
    }
    uint32_t setTimeAndAttributes(uint64_t lastWrite, uint32_t attributes) override
    {
        return fs_.onVolume(
            path_, [file = real_, lastWrite, attributes] { return file->setTimeAndAttributes(lastWrite, attributes); },
            uint32_t(errCancelled));
    }
    uint32_t flush() override
    {
        return fs_.onVolume(path_, [file = real_] { return file->flush(); }, uint32_t(errCancelled));
    }
    // Asked on the run's flusher thread, which waits beside the UI thread
    // already; the volume's record is the calling thread's alone.
    uint32_t writeOut(bool& committed) override { return real_->writeOut(committed); }
    uint32_t close() override
    {
        return fs_.onVolume(path_, [file = real_] { return file->close(); }, uint32_t(errCancelled));
    }

private:
    std::shared_ptr<OpenFile> real_;
    std::string path_;
    AnsweringFileSystem& fs_;
};

// A target directory held open: its free-space question comes before every
// file and is the one that waits for a disk to spin up.
class AnsweringFileSystem::HeldDirectory : public OpenDirectory {
public:
    HeldDirectory(std::unique_ptr<OpenDirectory> real, std::string directory, AnsweringFileSystem& fs)
        : real_(std::move(real)), directory_(std::move(directory)), fs_(fs)
    {
    }
    uint32_t freeSpace(uint64_t& bytes) override
    {
        return fs_.withValue(directory_, bytes, [held = real_](uint64_t& bytes) { return held->freeSpace(bytes); });
    }
    uint32_t createWrite(const std::string& name, std::unique_ptr<OpenFile>& file) override
    {
        uint32_t error = fs_.withValue(directory_, file, [held = real_, name](std::unique_ptr<OpenFile>& file) {
            return held->createWrite(name, file);
        });
        file = fs_.wrap(std::move(file), directory_ + name);
        return error;
    }
    uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override
    {
        return fs_.onVolume(
            directory_, [held = real_, from, to, replace] { return held->renameFile(from, to, replace); },
            uint32_t(errCancelled));
    }
    // The file is one of ours; the directory knows only its own kind.
    uint32_t nameOpenFile(OpenFile& file, const std::string& to) override
    {
        auto* held = dynamic_cast<HeldFile*>(&file);
        std::shared_ptr<OpenFile> real = held ? held->shared() : std::shared_ptr<OpenFile>(&file, [](OpenFile*) {});
        return fs_.onVolume(
            directory_, [directory = real_, real, to] { return directory->nameOpenFile(*real, to); },
            uint32_t(errCancelled));
    }
    uint32_t deleteFile(const std::string& name) override
    {
        return fs_.onVolume(directory_, [held = real_, name] { return held->deleteFile(name); },
                            uint32_t(errCancelled));
    }
    uint32_t index(FileId& id) override
    {
        return fs_.withValue(directory_, id, [held = real_](FileId& id) { return held->index(id); });
    }
    // A share may take its time to name its file system, as for its room.
    uint32_t fileSystemName(std::string& name) override
    {
        return fs_.withValue(directory_, name, [held = real_](std::string& name) { return held->fileSystemName(name); });
    }
    // Not known, as when cancelled: the copy is flushed whole, the safe side.
    bool onFixedDisk() override
    {
        return fs_.onVolume(directory_, [held = real_] { return held->onFixedDisk(); }, false);
    }

private:
    std::shared_ptr<OpenDirectory> real_;
    std::string directory_;
    AnsweringFileSystem& fs_;
};

AnsweringFileSystem::AnsweringFileSystem(FileSystem& real, uint32_t awakeFor) : real_(real), awakeFor_(awakeFor) {}

AnsweringFileSystem::~AnsweringFileSystem() = default;

bool AnsweringFileSystem::answering(std::function<void()> call)
{
    Helper* helper = nullptr;
    for (auto& h : helpers_)
        if (h->idle()) {
            helper = h.get();
            break;
        }
    if (!helper)
        helper = helpers_.emplace_back(std::make_unique<Helper>()).get();
    return helper->run(std::move(call), waiter_);
}

bool AnsweringFileSystem::awake(const std::string& path) const
{
    auto last = answered_.find(volumeOf(path));
    return last != answered_.end() && GetTickCount() - last->second < awakeFor_;
}

uint32_t AnsweringFileSystem::answeredNow(const std::string& path, uint32_t error)
{
    answered_[volumeOf(path)] = GetTickCount();
    return error;
}

// A volume that answered a moment ago is awake and reachable: only the
// first call on it and one after a pause go to the helper, whose two thread
// switches cost more requests to the server than a question to an awake
// disk.
template <class Result, class Call>
Result AnsweringFileSystem::onVolume(const std::string& path, Call call, Result dropped)
{
    const std::string volume = volumeOf(path);
    auto last = answered_.find(volume);
    if (last != answered_.end() && GetTickCount() - last->second < awakeFor_) {
        Result result = call();
        last->second = GetTickCount();
        return result;
    }
    if (waiter_ && !waiter_->wanted())
        return dropped;
    auto answer = std::make_shared<std::optional<Result>>();
    if (!answering([answer, call = std::move(call)] { answer->emplace(call()); }))
        return dropped;
    answered_[volume] = GetTickCount();
    return std::move(**answer);
}

// A call that reports an error and fills in one value.
template <class Value, class Call>
uint32_t AnsweringFileSystem::withValue(const std::string& path, Value& out, Call call)
{
    auto [error, value] = onVolume(
        path,
        [call = std::move(call)] {
            Value value{};
            uint32_t error = call(value);
            return std::pair<uint32_t, Value>(error, std::move(value));
        },
        std::pair<uint32_t, Value>(errCancelled, Value{}));
    out = std::move(value);
    return error;
}

bool AnsweringFileSystem::onMedium(const std::string& path, std::function<void()> call)
{
    return onVolume(path, [call = std::move(call)] { call(); return true; }, false);
}

std::unique_ptr<OpenDirectory> AnsweringFileSystem::wrap(std::unique_ptr<OpenDirectory> directory,
                                                         const std::string& path)
{
    if (!directory)
        return nullptr;
    return std::make_unique<HeldDirectory>(std::move(directory), path, *this);
}

std::unique_ptr<OpenFile> AnsweringFileSystem::wrap(std::unique_ptr<OpenFile> file, const std::string& path)
{
    if (!file)
        return nullptr;
    return std::make_unique<HeldFile>(std::move(file), path, *this);
}

std::unique_ptr<FileListing> AnsweringFileSystem::list(const std::string& directory, uint32_t& error)
{
    // The first entries come with the call; the rest follow from what it read.
    std::unique_ptr<FileListing> listing;
    error = withValue(directory, listing, [&real = real_, directory](std::unique_ptr<FileListing>& listing) {
        uint32_t error = 0;
        listing = real.list(directory, error);
        return error;
    });
    return listing;
}

uint32_t AnsweringFileSystem::find(const std::string& path, FileEntry& entry)
{
    return withValue(path, entry, [&real = real_, path](FileEntry& entry) { return real.find(path, entry); });
}

uint32_t AnsweringFileSystem::getAttributes(const std::string& path, uint32_t& attributes)
{
    return withValue(path, attributes,
                     [&real = real_, path](uint32_t& attributes) { return real.getAttributes(path, attributes); });
}

uint32_t AnsweringFileSystem::setAttributes(const std::string& path, uint32_t attributes)
{
    return onVolume(path, [&real = real_, path, attributes] { return real.setAttributes(path, attributes); },
                    uint32_t(errCancelled));
}

uint32_t AnsweringFileSystem::deleteFile(const std::string& path)
{
    return onVolume(path, [&real = real_, path] { return real.deleteFile(path); }, uint32_t(errCancelled));
}

uint32_t AnsweringFileSystem::renameFile(const std::string& from, const std::string& to, bool replace)
{
    return onVolume(from, [&real = real_, from, to, replace] { return real.renameFile(from, to, replace); },
                    uint32_t(errCancelled));
}

uint32_t AnsweringFileSystem::createDirectory(const std::string& path)
{
    return onVolume(path, [&real = real_, path] { return real.createDirectory(path); }, uint32_t(errCancelled));
}

uint32_t AnsweringFileSystem::removeDirectory(const std::string& path)
{
    return onVolume(path, [&real = real_, path] { return real.removeDirectory(path); }, uint32_t(errCancelled));
}

uint32_t AnsweringFileSystem::probeRemovable(const std::string& path)
{
    return onVolume(path, [&real = real_, path] { return real.probeRemovable(path); }, uint32_t(errCancelled));
}

uint32_t AnsweringFileSystem::directoryId(const std::string& path, FileId& id)
{
    return withValue(path, id, [&real = real_, path](FileId& id) { return real.directoryId(path, id); });
}

uint32_t AnsweringFileSystem::directoryIndex(const std::string& path, FileId& id)
{
    return withValue(path, id, [&real = real_, path](FileId& id) { return real.directoryIndex(path, id); });
}

bool AnsweringFileSystem::keepsDirectoryTimes(const std::string& directory)
{
    return onVolume(directory, [&real = real_, directory] { return real.keepsDirectoryTimes(directory); }, false);
}

std::optional<uint64_t> AnsweringFileSystem::directoryStamp(const std::string& directory)
{
    return onVolume(directory, [&real = real_, directory] { return real.directoryStamp(directory); },
                    std::optional<uint64_t>());
}

uint32_t AnsweringFileSystem::allocatedSize(const std::string& path, uint64_t& bytes)
{
    return withValue(path, bytes, [&real = real_, path](uint64_t& bytes) { return real.allocatedSize(path, bytes); });
}

uint32_t AnsweringFileSystem::fileSystemName(const std::string& directory, std::string& name)
{
    return withValue(directory, name,
                     [&real = real_, directory](std::string& name) { return real.fileSystemName(directory, name); });
}

bool AnsweringFileSystem::onFixedDisk(const std::string& directory)
{
    return onVolume(directory, [&real = real_, directory] { return real.onFixedDisk(directory); }, false);
}

// An open file's calls go through the decorator as its opening did.
uint32_t AnsweringFileSystem::openFile(const std::string& path, std::unique_ptr<OpenFile>& file, OpenCall open)
{
    uint32_t error = withValue(path, file, [&real = real_, path, open](std::unique_ptr<OpenFile>& file) {
        return (real.*open)(path, file);
    });
    file = wrap(std::move(file), path);
    return error;
}

uint32_t AnsweringFileSystem::openRead(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    return openFile(path, file, &FileSystem::openRead);
}

uint32_t AnsweringFileSystem::createWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    return openFile(path, file, &FileSystem::createWrite);
}

uint32_t AnsweringFileSystem::openWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    return openFile(path, file, &FileSystem::openWrite);
}

uint32_t AnsweringFileSystem::freeSpace(const std::string& path, uint64_t& bytes)
{
    return withValue(path, bytes, [&real = real_, path](uint64_t& bytes) { return real.freeSpace(path, bytes); });
}

// A held directory's calls go through the decorator as its opening did.
std::unique_ptr<OpenDirectory> AnsweringFileSystem::holdDirectory(const std::string& directory, uint32_t& error,
                                                                  HoldCall hold)
{
    std::unique_ptr<OpenDirectory> held;
    error = withValue(directory, held, [&real = real_, directory, hold](std::unique_ptr<OpenDirectory>& held) {
        uint32_t error = 0;
        held = (real.*hold)(directory, error);
        return error;
    });
    return wrap(std::move(held), directory);
}

std::unique_ptr<OpenDirectory> AnsweringFileSystem::openDirectory(const std::string& directory, uint32_t& error)
{
    return holdDirectory(directory, error, &FileSystem::openDirectory);
}

std::unique_ptr<OpenDirectory> AnsweringFileSystem::makeDirectory(const std::string& directory, uint32_t& error)
{
    return holdDirectory(directory, error, &FileSystem::makeDirectory);
}

}  // namespace tresorix
