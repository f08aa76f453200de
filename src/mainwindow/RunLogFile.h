// The run log's file on disk: tresorix.log beside the settings file, or the
// file named by /LOG=.
#pragma once

#include "engine/RunLog.h"

#include <string>

namespace tresorix {

class RunLogFile : public LogFile {
public:
    explicit RunLogFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    uint64_t size() override;
    bool rollOver() override;
    bool append(std::string_view bytes) override;
    std::string now() override;

private:
    std::string path_;
};

// Where the log goes: `argument` (from /LOG=, taken from the working
// directory when relative) or tresorix.log in the settings file's folder.
std::string RunLogPath(const std::string& argument, const std::string& settingsFile);

}  // namespace tresorix
