// A file system whose reads, listings and free-space questions take as long
// as the test wants: each first calls its hook, which may wait for the test's
// other thread. Everything else passes through (with FaultFileSystem's
// faults, when injected).
#pragma once

#include "support/FaultFileSystem.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace tresorix::test {

class SlowFileSystem : public FaultFileSystem {
public:
    using FaultFileSystem::FaultFileSystem;

    // Called with the path before every block read from it.
    std::function<void(const std::string& path)> beforeRead;
    std::function<void(const std::string& path)> beforeFreeSpace;
    std::function<void(const std::string& directory)> beforeList;

    std::unique_ptr<FileListing> list(const std::string& directory, uint32_t& error) override
    {
        if (beforeList)
            beforeList(directory);
        return FaultFileSystem::list(directory, error);
    }

    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override
    {
        if (beforeFreeSpace)
            beforeFreeSpace(path);
        return FaultFileSystem::freeSpace(path, bytes);
    }

    uint32_t openRead(const std::string& path, std::unique_ptr<OpenFile>& file) override
    {
        uint32_t error = FaultFileSystem::openRead(path, file);
        if (error == 0)
            file = std::make_unique<SlowFile>(std::move(file), path, *this);
        return error;
    }

private:
    class SlowFile : public OpenFile {
    public:
        SlowFile(std::unique_ptr<OpenFile> file, std::string path, SlowFileSystem& fs)
            : file_(std::move(file)), path_(std::move(path)), fs_(fs) {}
        uint32_t read(void* buffer, uint32_t size, uint32_t& got) override
        {
            if (fs_.beforeRead)
                fs_.beforeRead(path_);
            return file_->read(buffer, size, got);
        }
        uint32_t write(const void* buffer, uint32_t size, uint32_t& put) override
        {
            return file_->write(buffer, size, put);
        }
        uint32_t size(uint64_t& bytes) override { return file_->size(bytes); }
        uint32_t seek(uint64_t offset) override { return file_->seek(offset); }
        uint32_t setTimeAndAttributes(uint64_t lastWrite, uint32_t attributes) override
        {
            return file_->setTimeAndAttributes(lastWrite, attributes);
        }
        uint32_t flush() override { return file_->flush(); }
        uint32_t close() override { return file_->close(); }

    private:
        std::unique_ptr<OpenFile> file_;
        std::string path_;
        SlowFileSystem& fs_;
    };
};

}  // namespace tresorix::test
