// The run over an in-memory file system: what real files cannot show here.
#include "engine/Backup.h"
#include "support/FaultFileSystem.h"
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

RunOutcome runEntry(FileSystem& fs, RunState& state, BackupEntry entry)
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
    // The target directory itself, before every file.
    EXPECT_EQ(fs.asked, (std::vector<std::string>{"\\\\nas\\backup\\C\\Daten\\", "\\\\nas\\backup\\C\\Daten\\"}));
    EXPECT_EQ(state.MdListe, (std::vector<std::string>{"\\\\NAS\\BACKUP\\C\\", "\\\\NAS\\BACKUP\\C\\DATEN\\"}));
}

// A volume mounted in a folder of D: with little room of its own.
class MountFileSystem : public SharesFileSystem {
public:
    uint32_t freeSpace(const std::string& path, uint64_t& bytes) override
    {
        uint32_t error = SharesFileSystem::freeSpace(path, bytes);
        if (error == 0 && path.starts_with("D:\\Mount\\"))
            bytes = 1500;
        return error;
    }
};

TEST(BackupRunInMemory, FreeSpaceIsThatOfTheTargetDirectoryWhileThePromptNamesTheDrive)
{
    MountFileSystem fs;
    fs.addDirectory("C:\\Q");
    fs.addFile("C:\\Q\\a", std::string(1000, 'a'));
    fs.addFile("C:\\Q\\b", std::string(2000, 'b'));
    fs.addDirectory("D:\\Mount");
    test::ScriptedAnswerer answers;
    answers.then(mrCancel, "Nicht genug Platz auf Ziellaufwerk D: \r\nBitte wechseln!");
    RunState state;
    EXPECT_EQ(runEntry(fs, state, {"C:\\Q", "", "*", "D:\\Mount\\Z"}), RunOutcome::cancelled);
    EXPECT_EQ(fs.contents("D:\\Mount\\Z\\a"), std::string(1000, 'a'));
    EXPECT_FALSE(fs.exists("D:\\Mount\\Z\\b"));
    EXPECT_EQ(fs.asked, (std::vector<std::string>{"D:\\Mount\\Z\\", "D:\\Mount\\Z\\"}));
}

TEST(BackupRunInMemory, NoAtATargetDirectoryThatCannotBeMadePassesItsFilesOver)
{
    MountFileSystem memory;
    memory.addDirectory("C:\\Q");
    memory.addFile("C:\\Q\\a", "a");
    memory.addFile("C:\\Q\\b", "b");
    memory.addDirectory("D:\\Mount");
    memory.addFile("D:\\Mount\\Neu", "a file in the way");
    test::ScriptedAnswerer answers;
    answers.then(mrNo, "Konnte Verzeichnis \"D:\\Mount\\Neu\\\" nicht anlegen bzw. überprüfen.\r\nFehlermeldung: ");
    RunState state;
    EXPECT_EQ(runEntry(memory, state, {"C:\\Q", "", "*", "D:\\Mount\\Neu"}), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(memory.contents("D:\\Mount\\Neu"), "a file in the way");
    EXPECT_TRUE(memory.asked.empty());
}

// A held volume answers for the medium it was opened on, as a handle does.
class SwappedMediumFileSystem : public test::MemoryFileSystem {
public:
    uint32_t freeSpace(const std::string&, uint64_t& bytes) override
    {
        bytes = free;
        return 0;
    }
    std::unique_ptr<OpenDirectory> openDirectory(const std::string& directory, uint32_t& error) override
    {
        // Names as by path; the free space is what the medium had at opening.
        struct Held : OpenDirectory {
            uint32_t freeSpace(uint64_t& answer) override
            {
                answer = bytes;
                return 0;
            }
            uint32_t createWrite(const std::string& name, std::unique_ptr<OpenFile>& file) override
            {
                return byName->createWrite(name, file);
            }
            uint32_t renameFile(const std::string& from, const std::string& to, bool replace) override
            {
                return byName->renameFile(from, to, replace);
            }
            uint32_t deleteFile(const std::string& name) override { return byName->deleteFile(name); }
            std::unique_ptr<OpenDirectory> byName;
            uint64_t bytes = 0;
        };
        auto held = std::make_unique<Held>();
        held->byName = MemoryFileSystem::openDirectory(directory, error);
        held->bytes = free;
        return held;
    }
    uint64_t free = 0;
};

TEST(BackupRunInMemory, AfterBitteWechselnTheNewMediumIsAskedForItsFreeSpace)
{
    SwappedMediumFileSystem fs;
    fs.addDirectory("C:\\Q");
    fs.addFile("C:\\Q\\a", std::string(100, 'a'));
    fs.addFile("C:\\Q\\b", std::string(2000, 'b'));
    fs.addDirectory("D:\\Z");
    fs.free = 1000;
    test::ScriptedAnswerer answers;
    answers.thenDo(mrOk, [&] { fs.free = 1 << 20; });  // a bigger medium goes in
    RunState state;
    EXPECT_EQ(runEntry(fs, state, {"C:\\Q", "", "*", "D:\\Z"}), RunOutcome::finished);
    ASSERT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.asked()[0].text, "Nicht genug Platz auf Ziellaufwerk D: \r\nBitte wechseln!");
    EXPECT_EQ(fs.contents("D:\\Z\\b"), std::string(2000, 'b'));
    EXPECT_EQ(state.savedFiles, 2u);
}

TEST(BackupRunInMemory, WalkDepthIsBounded)
{
    test::MemoryFileSystem fs;
    std::string path = "C:\\T";
    fs.addDirectory(path);
    for (size_t level = 1; level <= kMaxWalkDepth + 2; ++level) {
        path += "\\d";
        fs.addDirectory(path);
        if (level >= kMaxWalkDepth)
            fs.addFile(path + "\\f", std::to_string(level));
        if (level == kMaxWalkDepth + 1)
            fs.addDirectory(path.substr(0, path.size() - 1) + "e");
    }
    test::ScriptedAnswerer answers;
    answers.then(mrOk, "Das Verzeichnis \"C:\\T\\d");  // once, not for every level below
    RunState state;
    EXPECT_EQ(runEntry(fs, state, {"C:\\T", " ja", "*", "E:\\B"}), RunOutcome::finished);
    std::string deepest = "E:\\B";
    for (size_t level = 1; level <= kMaxWalkDepth; ++level)
        deepest += "\\d";
    EXPECT_EQ(fs.contents(deepest + "\\f"), std::to_string(kMaxWalkDepth));
    EXPECT_FALSE(fs.exists(deepest + "\\d"));
    EXPECT_EQ(state.savedFiles, 1u);
}

TEST(TemporaryName, IsTheTargetsNameWithOurSuffixAndFitsTheLimitOfAName)
{
    EXPECT_EQ(TemporaryName("D:\\B\\brief.doc", 0), "D:\\B\\brief.doc.~tresorix");
    EXPECT_EQ(TemporaryName("D:\\B\\brief.doc", 1), "D:\\B\\brief.doc.~tresorix2");
    // 249 bytes of name: room for 245 of them, but the second "é" would be
    // cut in half there.
    std::string name = std::string(243, 'x') + "\xc3\xa9" "\xc3\xa9" "\xc3\xa9";
    std::string temporary = TemporaryName("D:\\" + name, 0);
    EXPECT_EQ(temporary, "D:\\" + std::string(243, 'x') + "\xc3\xa9" + ".~tresorix");
}

}  // namespace
}  // namespace tresorix
