#include "support/FaultFileSystem.h"

#include <algorithm>

namespace tresorix::test {

class FaultFile : public OpenFile {
public:
    FaultFile(FaultFileSystem& fs, std::unique_ptr<OpenFile> real, std::string path)
        : fs_(fs), real_(std::move(real)), path_(std::move(path))
    {
    }

    uint32_t read(void* buffer, uint32_t size, uint32_t& got) override
    {
        std::lock_guard lock(fs_.mutex_);
        fs_.note(FaultOp::read, path_);
        got = 0;
        if (Fault* f = fs_.match(FaultOp::read, path_)) {
            if (moved_ >= f->after) {
                FaultFileSystem::spend(*f);
                return f->error;
            }
            // Cut the block so that exactly `after` bytes arrive before the error.
            size = uint32_t(std::min<uint64_t>(size, f->after - moved_));
        }
        uint32_t error = real_->read(buffer, size, got);
        moved_ += got;
        return error;
    }

    uint32_t write(const void* buffer, uint32_t size, uint32_t& put) override
    {
        std::lock_guard lock(fs_.mutex_);
        fs_.note(FaultOp::write, path_);
        put = 0;
        Fault* f = fs_.match(FaultOp::write, path_);
        if (!f)
            f = fs_.match(FaultOp::shortWrite, path_);
        if (!f || moved_ + size <= f->after) {
            uint32_t error = real_->write(buffer, size, put);
            moved_ += put;
            return error;
        }
        uint32_t error = 0;
        if (moved_ < f->after)
            error = real_->write(buffer, uint32_t(f->after - moved_), put);
        moved_ += put;
        FaultFileSystem::spend(*f);
        if (error)
            return error;
        return f->op == FaultOp::write ? f->error : 0;
    }

    uint32_t size(uint64_t& bytes) override { return real_->size(bytes); }

    // Faults after `after` bytes count from the file's start.
    uint32_t seek(uint64_t offset) override
    {
        uint32_t error = real_->seek(offset);
        if (error == 0)
            moved_ = offset;
        return error;
    }

    uint32_t setTimeAndAttributes(uint64_t lastWrite, uint32_t attributes) override
    {
        if (uint32_t error = fs_.fail(FaultOp::setTimeAndAttributes, path_))
            return error;
        return real_->setTimeAndAttributes(lastWrite, attributes);
    }

    uint32_t flush() override
    {
        if (uint32_t error = fs_.fail(FaultOp::flush, path_))
            return error;
        return real_->flush();
    }

    uint32_t writeOut(bool& committed) override
    {
        committed = true;
        {
            std::lock_guard lock(fs_.mutex_);
            fs_.note(FaultOp::writeOut, path_);
            if (Fault* f = fs_.match(FaultOp::flush, path_)) {
                FaultFileSystem::spend(*f);
                return f->error;
            }
        }
        return real_->writeOut(committed);
    }

    uint32_t close() override
    {
        if (closed_)
            return 0;
        closed_ = true;
        uint32_t error = fs_.fail(FaultOp::close, path_);
        uint32_t real = real_->close();
        return error ? error : real;
    }

private:
    FaultFileSystem& fs_;
    std::unique_ptr<OpenFile> real_;
    std::string path_;
    uint64_t moved_ = 0;
    bool closed_ = false;
};

class FaultListing : public FileListing {
public:
    // `breakOff`: a listNext fault; none: the listing only marks reparse points.
    FaultListing(const FaultFileSystem& fs, std::unique_ptr<FileListing> real, std::string directory,
                 std::optional<Fault> breakOff)
        : fs_(fs), real_(std::move(real)), directory_(std::move(directory)), breakOff_(std::move(breakOff))
    {
        if (!directory_.empty() && directory_.back() != '\\')
            directory_ += '\\';
    }
    bool next(FileEntry& entry) override
    {
        if (breakOff_ && given_ >= breakOff_->after) {
            error_ = breakOff_->error;
            return false;
        }
        ++given_;
        if (!real_->next(entry))
            return false;
        fs_.markReparse(directory_ + entry.name, entry);
        return true;
    }
    uint32_t error() const override { return error_ ? error_ : real_->error(); }

private:
    const FaultFileSystem& fs_;
    std::unique_ptr<FileListing> real_;
    std::string directory_;
    std::optional<Fault> breakOff_;
    uint64_t given_ = 0;
    uint32_t error_ = 0;
};

void FaultFileSystem::driveNotReady(const std::string& pathPart)
{
    for (int op = 0; op < int(FaultOp::read); ++op)
        inject({FaultOp(op), pathPart, errDriveNotReady});
}

void FaultFileSystem::clear()
{
    faults_.clear();
    freeSpace_.reset();
    fileSystemName_.reset();
    fixedDisk_.reset();
    deletesFree_ = false;
    reparse_.clear();
    refs_ = false;
    std::fill(std::begin(calls_), std::end(calls_), 0);
    journal_.clear();
}

namespace {

// Paths compare without regard to ASCII case, as Windows compares them.
bool pathMatches(const std::string& path, const Fault& fault)
{
    auto same = [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        return lower(a) == lower(b);
    };
    if (fault.exact)
        return std::equal(path.begin(), path.end(), fault.path.begin(), fault.path.end(), same);
    return std::search(path.begin(), path.end(), fault.path.begin(), fault.path.end(), same) != path.end();
}

}  // namespace

void FaultFileSystem::markReparse(const std::string& path, FileEntry& entry) const
{
    const std::string name = path.ends_with('\\') ? path.substr(0, path.size() - 1) : path;
    for (const auto& [end, tag] : reparse_)
        if (name.size() >= end.size() &&
            pathMatches(name.substr(name.size() - end.size()), {FaultOp::list, end, 0, 0, -1, true})) {
            entry.attributes |= attrReparsePoint;
            entry.reparseTag = tag;
        }
}

Fault* FaultFileSystem::match(FaultOp op, const std::string& path)
{
    for (Fault& f : faults_)
        if (f.op == op && f.times != 0 && pathMatches(path, f))
            return &f;
    return nullptr;
}

void FaultFileSystem::spend(Fault& fault)
{
    if (fault.times > 0)
        --fault.times;
}

void FaultFileSystem::note(FaultOp op, const std::string& path)
{
    std::lock_guard lock(mutex_);
    ++calls_[int(op)];
    if (journal_.empty() || journal_.back().first != op || journal_.back().second != path ||
        (op != FaultOp::read && op != FaultOp::write))
        journal_.emplace_back(op, path);
}

uint32_t FaultFileSystem::fail(FaultOp op, const std::string& path)
{
    std::lock_guard lock(mutex_);
    note(op, path);
    Fault* f = match(op, path);
    if (!f)
        return 0;
    spend(*f);
    return f->error;
}

std::unique_ptr<FileListing> FaultFileSystem::list(const std::string& directory, uint32_t& error)
{
    error = fail(FaultOp::list, directory);
    if (error)
        return nullptr;
    std::unique_ptr<FileListing> listing = real_.list(directory, error);
    std::optional<Fault> breakOff;
    if (Fault* f = match(FaultOp::listNext, directory); f && listing) {
        spend(*f);
        breakOff = *f;
    }
    if (listing && (breakOff || !reparse_.empty()))
        return std::make_unique<FaultListing>(*this, std::move(listing), directory, std::move(breakOff));
    return listing;
}

uint32_t FaultFileSystem::find(const std::string& path, FileEntry& entry)
{
    if (uint32_t error = fail(FaultOp::find, path))
        return error;
    uint32_t error = real_.find(path, entry);
    if (error == 0)
        markReparse(path, entry);
    return error;
}

uint32_t FaultFileSystem::getAttributes(const std::string& path, uint32_t& attributes)
{
    if (uint32_t error = fail(FaultOp::getAttributes, path))
        return error;
    FileEntry entry;
    uint32_t error = real_.getAttributes(path, entry.attributes);
    if (error == 0) {
        markReparse(path, entry);
        attributes = entry.attributes;
    }
    return error;
}

uint32_t FaultFileSystem::setAttributes(const std::string& path, uint32_t attributes)
{
    if (uint32_t error = fail(FaultOp::setAttributes, path))
        return error;
    return real_.setAttributes(path, attributes);
}

uint32_t FaultFileSystem::deleteFile(const std::string& path)
{
    if (uint32_t error = fail(FaultOp::deleteFile, path))
        return error;
    uint64_t freed = 0;
    if (freeSpace_ && deletesFree_ && real_.allocatedSize(path, freed) != 0)
        freed = 0;
    const uint32_t error = real_.deleteFile(path);
    if (error == 0 && freeSpace_ && deletesFree_) {
        std::lock_guard lock(mutex_);
        *freeSpace_ += freed;
    }
    return error;
}

uint32_t FaultFileSystem::renameFile(const std::string& from, const std::string& to, bool replace)
{
    if (uint32_t error = fail(FaultOp::renameFile, from))
        return error;
    return real_.renameFile(from, to, replace);
}

uint32_t FaultFileSystem::probeRemovable(const std::string& path)
{
    if (uint32_t error = fail(FaultOp::probeRemovable, path))
        return error;
    return real_.probeRemovable(path);
}

uint32_t FaultFileSystem::directoryId(const std::string& path, FileId& id)
{
    if (uint32_t error = fail(FaultOp::directoryId, path))
        return error;
    uint32_t error = real_.directoryId(path, id);
    // Any other number of the same directory, the same each time.
    if (error == 0 && refs_ && id.known())
        id = {id.volume, id.index * 0x9E3779B97F4A7C15ull, id.indexHigh + 1};
    return error;
}

uint32_t FaultFileSystem::createDirectory(const std::string& path)
{
    if (uint32_t error = fail(FaultOp::createDirectory, path))
        return error;
    return real_.createDirectory(path);
}

uint32_t FaultFileSystem::removeDirectory(const std::string& path)
{
    if (uint32_t error = fail(FaultOp::removeDirectory, path))
        return error;
    return real_.removeDirectory(path);
}

uint32_t FaultFileSystem::openRead(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    if (uint32_t error = fail(FaultOp::openRead, path))
        return error;
    std::unique_ptr<OpenFile> real;
    uint32_t error = real_.openRead(path, real);
    if (error == 0)
        file = std::make_unique<FaultFile>(*this, std::move(real), path);
    return error;
}

uint32_t FaultFileSystem::createWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    if (uint32_t error = fail(FaultOp::createWrite, path))
        return error;
    std::unique_ptr<OpenFile> real;
    uint32_t error = real_.createWrite(path, real);
    if (error == 0)
        file = std::make_unique<FaultFile>(*this, std::move(real), path);
    return error;
}

uint32_t FaultFileSystem::openWrite(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    std::unique_ptr<OpenFile> real;
    uint32_t error = real_.openWrite(path, real);
    if (error == 0)
        file = std::make_unique<FaultFile>(*this, std::move(real), path);
    return error;
}

uint32_t FaultFileSystem::freeSpace(const std::string& path, uint64_t& bytes)
{
    if (uint32_t error = fail(FaultOp::freeSpace, path))
        return error;
    if (freeSpace_) {
        bytes = *freeSpace_;
        return 0;
    }
    return real_.freeSpace(path, bytes);
}

}  // namespace tresorix::test
