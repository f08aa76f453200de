// The run log's file on disk: tresorix.log beside the settings file, or the
// file named by /LOG=. A program folder that a user may not write to (the
// usual case under "Programme") sends the log to the user's own folder.
#pragma once

#include "engine/RunLog.h"

#include <string>

namespace tresorix {

class RunLogFile : public LogFile {
public:
    // `userFallback`: when `path` cannot be written, the log goes to
    // UserLogPath(); false for a file the user named.
    RunLogFile(std::string path, bool userFallback) : path_(std::move(path)), userFallback_(userFallback) {}
    const std::string& path() const { return path_; }
    // Windows is ending the session: the record has ended, and whatever the
    // run still writes is dropped as if written.
    void close() { closed_ = true; }

    uint64_t size() override;
    std::string tail(size_t count) override;
    bool rollOver() override;
    bool append(std::string_view bytes) override;
    std::string now() override;

private:
    std::string path_;
    bool userFallback_;
    bool closed_ = false;
};

// Where the log goes: `argument` (from /LOG=, taken from the working
// directory when relative) or tresorix.log in the settings file's folder.
std::string RunLogPath(const std::string& argument, const std::string& settingsFile);
// tresorix.log in the user's local application data, in a folder of ours.
std::string UserLogPath();

}  // namespace tresorix
