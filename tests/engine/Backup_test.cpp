// The run over an in-memory file system: what real files cannot show here.
#include "engine/Backup.h"
#include "support/FaultFileSystem.h"
#include "support/MemoryFileSystem.h"
#include "support/RecordingView.h"
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

TEST(BackupRunInMemory, NetworkTargetAsksTheShareForItsFreeSpace)
{
    SharesFileSystem fs;
    fs.addDirectory("C:\\Daten");
    fs.addFile("C:\\Daten\\a.txt", "aaa");
    fs.addFile("C:\\Daten\\b.txt", "bbbb");
    fs.addDirectory("\\\\nas\\backup");
    RunState state;
    test::RecordingView view;
    BackupRun run(fs, view, state);
    EXPECT_EQ(test::RunOneEntry(run, {"C:\\Daten", "", "*.txt", "\\\\nas\\backup\\<Lw><Quellpfad>"}),
              RunOutcome::finished);
    EXPECT_EQ(fs.contents("\\\\nas\\backup\\C\\Daten\\b.txt"), "bbbb");
    EXPECT_EQ(state.savedFiles, 2u);
    // The target directory itself, before every file.
    EXPECT_EQ(fs.asked, (std::vector<std::string>{"\\\\nas\\backup\\C\\Daten\\", "\\\\nas\\backup\\C\\Daten\\"}));
    EXPECT_EQ(state.made.MdListe(), (std::vector<std::string>{"\\\\NAS\\BACKUP\\C\\", "\\\\NAS\\BACKUP\\C\\DATEN\\"}));
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
    test::RecordingView view;
    BackupRun run(fs, view, state);
    EXPECT_EQ(test::RunOneEntry(run, {"C:\\Q", "", "*", "D:\\Mount\\Z"}), RunOutcome::cancelled);
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
    test::RecordingView view;
    BackupRun run(memory, view, state);
    EXPECT_EQ(test::RunOneEntry(run, {"C:\\Q", "", "*", "D:\\Mount\\Neu"}), RunOutcome::finished);
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
    test::RecordingView view;
    BackupRun run(fs, view, state);
    EXPECT_EQ(test::RunOneEntry(run, {"C:\\Q", "", "*", "D:\\Z"}), RunOutcome::finished);
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
    test::RecordingView view;
    BackupRun run(fs, view, state);
    EXPECT_EQ(test::RunOneEntry(run, {"C:\\T", " ja", "*", "E:\\B"}), RunOutcome::finished);
    std::string deepest = "E:\\B";
    for (size_t level = 1; level <= kMaxWalkDepth; ++level)
        deepest += "\\d";
    EXPECT_EQ(fs.contents(deepest + "\\f"), std::to_string(kMaxWalkDepth));
    EXPECT_FALSE(fs.exists(deepest + "\\d"));
    EXPECT_EQ(state.savedFiles, 1u);
}

TEST(RunState, OnlyAPromptThatOffersCancelCancelsAndTheNextStartForgetsIt)
{
    test::MemoryFileSystem fs;
    fs.addDirectory("C:\\Q");
    fs.addFile("C:\\Q\\a.txt", "aaaa");
    RunState state;
    test::RecordingView view;
    BackupRun run(fs, view, state);
    RunSettings settings;
    settings.entries = {{"C:\\Q", "", "*", "relativ"}, {"C:\\Q", "", "*", "D:\\Z"}};
    settings.showSummary = false;
    {
        // The box of the first entry, closed: it offered only OK.
        test::ScriptedAnswerer answers;
        answers.then(mrCancel, "Eintrag 1 (C:\\Q) wird nicht gesichert");
        EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    }
    EXPECT_FALSE(state.cancelled());
    EXPECT_EQ(fs.contents("D:\\Z\\a.txt"), "aaaa");

    // A cancel from outside ends the run at its next look.
    fs.addFile("C:\\Q\\b.txt", "bb");
    settings.entries = {{"C:\\Q", "", "*", "D:\\Y"}};
    view.onPump = [&](int) { state.cancel(); };
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::cancelled);
    EXPECT_TRUE(state.cancelled());
    EXPECT_FALSE(fs.exists("D:\\Y\\a.txt"));

    // One that comes while a box shows outweighs the box's Yes. Each run
    // starts without the last one's cancel, as the run's controller clears it.
    state.clearCancel();
    view.onPump = nullptr;
    settings.entries = {{"C:\\Q", "", "*", "D:\\Z"}};
    settings.mode = ConflictMode::ask;
    {
        test::ScriptedAnswerer answers;
        answers.thenDo(mrYes, [&] { state.cancel(); });
        EXPECT_EQ(run.BackUpStart(settings), RunOutcome::cancelled);
    }
    EXPECT_EQ(fs.contents("D:\\Z\\a.txt"), "aaaa");
    EXPECT_FALSE(fs.exists("D:\\Z\\b.txt"));

    state.clearCancel();
    settings.mode = ConflictMode::newer;
    settings.entries = {{"C:\\Q", "", "*", "D:\\Y"}};
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(fs.contents("D:\\Y\\b.txt"), "bb");
    state.cancel();
    state.clearCancel();
    EXPECT_FALSE(state.cancelled());
}

// Counts the identities asked.
class IdCountingFileSystem : public test::MemoryFileSystem {
public:
    uint32_t directoryId(const std::string& path, FileId& id) override
    {
        ++asked;
        return MemoryFileSystem::directoryId(path, id);
    }
    uint32_t directoryIndex(const std::string& path, FileId& id) override
    {
        ++indexes;
        FileId full;
        uint32_t error = MemoryFileSystem::directoryId(path, full);
        id = {0, full.index, full.indexHigh};
        return error;
    }
    int asked = 0, indexes = 0;
};

TEST(MadeDirectories, KnowsEachOnceByFoldedPathAndByIdentityAskedOnce)
{
    IdCountingFileSystem fs;
    fs.addDirectory("D:\\Neu");
    fs.addDirectory("D:\\Alt");
    MadeDirectories made;
    made.add("D:\\\xC3\x89T\xC3\x89\\");  // "ÉTÉ"
    made.add("D:\\NEU\\");
    made.add("D:\\NEU\\");
    EXPECT_EQ(made.MdListe(), (std::vector<std::string>{"D:\\\xC3\x89T\xC3\x89\\", "D:\\NEU\\"}));
    EXPECT_TRUE(made.contains("d:\\\xC3\xA9t\xC3\xA9\\"));  // "été"
    EXPECT_TRUE(made.contains("D:\\neu\\"));
    EXPECT_FALSE(made.contains("D:\\NEU\\X\\"));

    FileId neu, alt;
    ASSERT_EQ(fs.directoryId("D:\\Neu\\", neu), 0u);
    ASSERT_EQ(fs.directoryId("D:\\Alt\\", alt), 0u);
    fs.asked = 0;
    EXPECT_TRUE(made.containsId(fs, neu, true));
    EXPECT_FALSE(made.containsId(fs, alt, true));
    // Each made directory's index once, the missing one's too; the volume
    // only of the one whose index matched.
    EXPECT_EQ(fs.indexes, 2);
    EXPECT_EQ(fs.asked, 1);
    fs.addDirectory("D:\\Alt\\Sub");
    FileId sub;
    ASSERT_EQ(fs.directoryId("D:\\Alt\\Sub\\", sub), 0u);
    made.add("D:\\ALT\\SUB\\", FileId{0, sub.index, sub.indexHigh});
    EXPECT_TRUE(made.containsId(fs, sub, true));
    EXPECT_EQ(fs.indexes, 2);  // given with the handle it was made with
    // The same index on another volume is another directory.
    EXPECT_FALSE(made.containsId(fs, FileId{sub.volume + 1, sub.index, sub.indexHigh}, true));
    EXPECT_EQ(fs.asked, 3);
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
