// The backup run over real files under Wine, with faults injected where real
// files cannot produce them: the fixture of the engine's Windows tests.
#pragma once

#include "engine/Backup.h"
#include "platform/Win32FileSystem.h"
#include "support/FaultFileSystem.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tresorix::test {

class RecordingView : public RunView {
public:
    void setStatusText(const std::string& text) override { status.push_back(text); }
    void setSaved(uint64_t files, uint64_t bytes) override { saved = files; }
    void setFileProgress(int percent) override { lastFileProgress = percent; }
    void processMessages() override
    {
        ++pumps;
        if (onPump)
            onPump(pumps);
    }

    std::vector<std::string> status;
    uint64_t saved = 0;
    int lastFileProgress = -1;
    int pumps = 0;
    std::function<void(int)> onPump;
};

// Bytes whose every position within 23 is told apart.
inline std::string pattern(size_t size, char first = 'a')
{
    std::string bytes(size, ' ');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char(first + i % 23);
    return bytes;
}

// Runs a Unix command when the test ends, before its tree is removed.
struct OnExit {
    std::string command;
    ~OnExit() { RunUnixShell(command); }
};

const uint64_t kOld = FileTimeOf(2020, 5, 1, 10, 0, 0);
const uint64_t kNew = FileTimeOf(2024, 5, 1, 10, 0, 0);

class BackupTest : public ::testing::Test {
protected:
    std::string src() const { return tree.path("src\\"); }
    std::string dst() const { return tree.path("dst\\"); }

    // Runs one entry over src\ into dst\.
    RunOutcome runEntry(const std::string& masks, int mode = 0, bool subdirs = true, std::string target = {})
    {
        RunSettings settings;
        settings.entries.push_back({src(), subdirs ? " ja" : "", masks, target.empty() ? dst() : target});
        settings.mode = mode;
        settings.showSummary = false;
        return run.BackUpStart(settings);
    }

    FileEntry entryOf(const std::string& path)
    {
        FileEntry e;
        EXPECT_EQ(real.find(path, e), 0u) << path;
        return e;
    }

    TempTree tree;
    Win32FileSystem real;
    FaultFileSystem fs{real};
    RecordingView view;
    RunState state;
    BackupRun run{fs, view, state};
};

}  // namespace tresorix::test
