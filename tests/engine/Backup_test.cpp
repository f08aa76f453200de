// The run over an in-memory file system: what real files cannot show here.
#include "engine/Backup.h"
#include "support/MemoryFileSystem.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

class SharesFileSystem : public test::MemoryFileSystem {
public:
    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override
    {
        asked.push_back(path);
        return MemoryFileSystem::freeSpace(path, bytes);
    }
    std::vector<std::string> asked;
};

RunOutcome runEntry(test::MemoryFileSystem& fs, RunState& state, BackupEntry entry)
{
    RunView view;
    BackupRun run(fs, view, state);
    RunSettings settings;
    settings.entries.push_back(std::move(entry));
    settings.showSummary = false;
    return run.BackUpStart(settings);
}

TEST(BackupRunInMemory, NetworkTargetAsksTheShareForItsFreeSpace)
{
    SharesFileSystem fs;
    fs.addDirectory("C:\\Daten");
    fs.addFile("C:\\Daten\\a.txt", "aaa");
    fs.addFile("C:\\Daten\\b.txt", "bbbb");
    fs.addDirectory("\\\\nas\\backup");
    RunState state;
    EXPECT_EQ(runEntry(fs, state, {"C:\\Daten", "", "*.txt", "\\\\nas\\backup\\<Lw><Quellpfad>"}),
              RunOutcome::finished);
    EXPECT_EQ(fs.contents("\\\\nas\\backup\\C\\Daten\\b.txt"), "bbbb");
    EXPECT_EQ(state.savedFiles, 2u);
    ASSERT_FALSE(fs.asked.empty());
    EXPECT_EQ(fs.asked[0], "\\\\nas\\backup\\");
    // The answer is kept between files while it is plenty.
    EXPECT_EQ(fs.asked.size(), 1u);
    EXPECT_EQ(state.MdListe, (std::vector<std::string>{"\\\\NAS\\BACKUP\\C\\", "\\\\NAS\\BACKUP\\C\\DATEN\\"}));
}

TEST(BackupRunInMemory, FreeSpaceIsAskedAgainBeforeItCanRunShort)
{
    SharesFileSystem fs;
    fs.addDirectory("C:\\Q");
    for (int i = 0; i < 3; ++i)
        fs.addFile("C:\\Q\\f" + std::to_string(i), std::string(1000, 'x'));
    fs.free = 3 * 70000;  // room for the three, but not by the run's generous reckoning
    RunState state;
    EXPECT_EQ(runEntry(fs, state, {"C:\\Q", "", "*", "D:\\Z"}), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 3u);
    EXPECT_EQ(fs.asked.size(), 2u);
}

}  // namespace
}  // namespace tresorix
