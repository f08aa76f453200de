// What a run showed and logged, as the tests read it, and the one way they
// run a single entry.
#pragma once

#include "engine/Backup.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tresorix::test {

class RecordingView : public RunView {
public:
    void setStatusText(const std::string& text) override { status.push_back(text); }
    void setSaved(uint64_t files, uint64_t bytes) override { saved = {files, bytes}; }
    void setFileProgress(int percent) override { lastFileProgress = percent; }
    void processMessages() override
    {
        ++pumps;
        if (onPump)
            onPump(pumps);
    }

    std::vector<std::string> status;
    std::pair<uint64_t, uint64_t> saved;  // files, bytes
    int lastFileProgress = -1;
    int pumps = 0;
    std::function<void(int)> onPump;
};

// A run log's file, kept as text.
class StringLog : public LogFile {
public:
    uint64_t size() override { return text.size(); }
    bool rollOver() override { return true; }
    bool append(std::string_view bytes) override
    {
        text += bytes;
        return true;
    }
    std::string now() override { return "07.12.2026 08:00:00"; }
    std::string text;
};

// Runs `entry` alone, without the summary box.
inline RunOutcome RunOneEntry(BackupRun& run, BackupEntry entry, ConflictMode mode = ConflictMode::newer)
{
    RunSettings settings;
    settings.entries.push_back(std::move(entry));
    settings.mode = mode;
    settings.showSummary = false;
    return run.BackUpStart(settings);
}

}  // namespace tresorix::test
