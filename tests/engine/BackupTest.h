// The backup run over real files under Wine, with faults injected where real
// files cannot produce them: the fixture of the engine's Windows tests.
#pragma once

#include "engine/Backup.h"
#include "platform/Win32FileSystem.h"
#include "support/FaultFileSystem.h"
#include "support/RecordingView.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tresorix::test {

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

    // The entry over src\ into dst\ unless another target is given.
    BackupEntry entry(const std::string& masks, bool subdirs = true, std::string target = {}) const
    {
        return {src(), subdirs ? " ja" : "", masks, target.empty() ? dst() : target};
    }
    RunOutcome runEntry(const std::string& masks, ConflictMode mode = ConflictMode::newer, bool subdirs = true,
                        std::string target = {})
    {
        // As the run's controller does at every start.
        state.clearCancel();
        return RunOneEntry(run, entry(masks, subdirs, std::move(target)), mode);
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
