// Targets that are not a fixed local NTFS disk: USB sticks with FAT32 and
// exFAT, shares, removable media. The USB-stick suite runs on real volumes
// that tests/support/test-volumes.sh mounts and names in the environment;
// run without them, its tests are skipped and say why.
#include "engine/BackupTest.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace tresorix {
namespace {

using test::BackupTest;
using test::FaultOp;
using test::FileTimeOf;
using test::kNew;
using test::kOld;
using test::ListNames;
using test::pattern;
using test::ReadAll;
using test::RemoveTree;
using test::RunUnixShell;
using test::ScriptedAnswerer;
using test::SetLastWrite;
using test::UnixPath;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A file of `size` bytes that takes no room: its end is set, nothing written.
void writeSparse(const std::string& path, uint64_t size, uint64_t lastWrite)
{
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(size);
    const bool sized = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    ASSERT_TRUE(sized) << path;
    SetLastWrite(path, lastWrite);
}

class UsbStickTest : public BackupTest {
protected:
    // A directory of this test's own on the stick whose drive the variable
    // names, removed when the test ends; empty when there is no such stick.
    std::string onStick(const char* variable)
    {
        const std::string drive = environment(variable);
        if (drive.empty())
            return {};
        const std::string directory = drive + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                      "\\";
        RemoveTree(directory);
        made_.push_back(directory);
        return directory;
    }
    // The FAT32 driver here reports no free space at all: the room is
    // answered from the size of its image.
    void answerRoomOfFatImage()
    {
        fs.setFreeSpace(std::strtoull(environment("TRESORIX_FAT32_BYTES").c_str(), nullptr, 10));
    }
    static std::string whyNoStick()
    {
        const std::string why = environment("TRESORIX_NO_TEST_VOLUMES");
        return why.empty() ? "no FAT32 or exFAT test volume: run through tests/support/test-volumes.sh" : why;
    }
    ~UsbStickTest() override
    {
        for (const std::string& directory : made_)
            RemoveTree(directory);
    }

private:
    std::vector<std::string> made_;
};

TEST_F(UsbStickTest, UnchangedFilesAreNotCopiedAgainWhateverTheirSeconds)
{
    const std::string fat = onStick("TRESORIX_FAT32_DRIVE"), exfat = onStick("TRESORIX_EXFAT_DRIVE");
    if (fat.empty() || exfat.empty())
        GTEST_SKIP() << whyNoStick();
    // FAT keeps times in steps of two seconds, exFAT here in whole seconds:
    // the source's odd seconds and hundredths are lost on the way.
    const uint64_t at = FileTimeOf(2024, 5, 1, 10, 0, 0);
    tree.write("src\\odd.txt", "odd", at + 10'000'000);
    tree.write("src\\hundredths.txt", "hundredths", at + 33'700'000);
    tree.write("src\\late.txt", "late", at + 59'990'000);
    tree.write("src\\even.txt", "even", at + 40'000'000);
    tree.write("src\\sub\\deep.txt", "deep", at + 70'100'000);
    ScriptedAnswerer answers;
    for (const std::string& target : {fat, exfat}) {
        if (target == fat)
            answerRoomOfFatImage();
        else
            fs.clear();
        EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, true, target), RunOutcome::finished) << target;
        EXPECT_EQ(state.savedFiles, 5u) << target;
        EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, true, target), RunOutcome::finished) << target;
        EXPECT_EQ(state.savedFiles, 0u) << target;
        // A file changed since is copied all the same. (The FAT32 driver
        // here gives a renamed file the time of its rename, which no real
        // FAT does: its copies always look new.)
        if (target == fat)
            continue;
        tree.write("src\\odd.txt", "changed", at + 90'000'000);
        EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, true, target), RunOutcome::finished) << target;
        EXPECT_EQ(state.savedFiles, 1u) << target;
        EXPECT_EQ(ReadAll(target + "odd.txt"), "changed") << target;
    }
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(UsbStickTest, FileOfFourGiBIsRefusedOnFat32BeforeAByteIsWritten)
{
    const std::string target = onStick("TRESORIX_FAT32_DRIVE");
    if (target.empty())
        GTEST_SKIP() << whyNoStick();
    answerRoomOfFatImage();
    tree.mkdir("src");
    writeSparse(src() + "big.bin", 4ull << 30, kNew);
    tree.write("src\\small.txt", "small", kNew);
    ScriptedAnswerer answers;
    // Before the room is looked at: no stick holds it, however large.
    answers.then(mrNo, "Konnte Zieldatei \"" + target + "big.bin\" nicht anlegen.\r\n"
                       "Fehler: Die Datei ist für das Dateisystem des Ziels (FAT32) zu groß.\r\nErneut versuchen ?");
    const RunOutcome outcome = runEntry("*.*", ConflictMode::newer, false, target);
    EXPECT_EQ(outcome, RunOutcome::finished);
    EXPECT_EQ(ExitCode(outcome, state), kExitPassedOver);
    EXPECT_EQ(ListNames(target), "small.txt");
    EXPECT_EQ(state.failedFiles, 1u);
    EXPECT_EQ(state.savedFiles, 1u);
    for (const auto& [op, path] : fs.journal())
        EXPECT_FALSE(op == FaultOp::createWrite && path.find("big.bin") != std::string::npos) << path;
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(UsbStickTest, CaseTwinsOnExfatKeepTheirOwnNamesOrFail)
{
    const std::string target = onStick("TRESORIX_EXFAT_DRIVE");
    if (target.empty())
        GTEST_SKIP() << whyNoStick();
    // Two names that only a case-sensitive source tells apart; Windows calls
    // would find the first under the second.
    tree.mkdir("src");
    const std::string unixSource = UnixPath(src());
    ASSERT_EQ(RunUnixShell("cd '" + unixSource + "' && printf first > Readme.txt && printf second > README.TXT"), 0);
    SetLastWrite(src() + "Readme.txt", kOld);
    SetLastWrite(src() + "README.TXT", kNew);
    const std::string bytes[] = {"first", "second"};
    const std::string names[] = {"Readme.txt", "README.TXT"};

    for (int run = 0; run < 2; ++run) {
        ScriptedAnswerer answers;
        answers.then(mrNo, "Konnte Zieldatei \"" + target);
        const RunOutcome outcome = runEntry("*.txt", ConflictMode::newer, false, target);
        EXPECT_EQ(outcome, RunOutcome::finished);
        EXPECT_EQ(ExitCode(outcome, state), kExitPassedOver);
        // Whichever came first keeps its name and its bytes; the other's
        // name is refused by the target, never given to it or to the copy.
        const std::string kept = ListNames(target);
        const int own = kept == names[0] ? 0 : 1;
        ASSERT_EQ(kept, names[own]);
        EXPECT_EQ(ReadAll(target + kept), bytes[own]);
        ASSERT_EQ(answers.asked().size(), 1u);
        EXPECT_TRUE(answers.asked()[0].text.starts_with("Konnte Zieldatei \"" + target + names[1 - own] +
                                                        "\" nicht anlegen.\r\nFehler: "))
            << answers.asked()[0].text;
        EXPECT_EQ(state.failedFiles, 1u);
        // Newer than the copy, the refused one is asked about again.
        SetLastWrite(src() + names[1 - own], kNew + 20'000'000);
    }
}

using TargetVolumeTest = BackupTest;

TEST_F(TargetVolumeTest, EachCopyIsFlushedWholeWhereTheDeviceMayKeepTheBatch)
{
    const char* names[] = {"a.txt", "b.txt", "c.txt", "d.txt"};
    for (const char* name : names)
        tree.write(std::string("src\\") + name, pattern(3000, name[0]), kNew);
    // A share or a removable medium: one flush empties no cache but its file's.
    fs.setFixedDisk(false);
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 4u);
    EXPECT_EQ(fs.calls(FaultOp::writeOut), 0);
    EXPECT_EQ(fs.calls(FaultOp::flush), 4);
    for (const char* name : names) {
        const std::string temporary = TemporaryName(dst() + name, 0);
        std::vector<FaultOp> steps;
        for (const auto& [op, path] : fs.journal())
            if (path == temporary && (op == FaultOp::flush || op == FaultOp::renameFile))
                steps.push_back(op);
        EXPECT_EQ(steps, (std::vector<FaultOp>{FaultOp::flush, FaultOp::renameFile})) << name;
    }

    // On a fixed local disk the batch is written out, and one flush commits it.
    for (const char* name : names)
        tree.write(std::string("src\\") + name, pattern(3000, 'z'), kNew + 20'000'000);
    fs.clear();
    fs.setFixedDisk(true);
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 4u);
    EXPECT_EQ(fs.calls(FaultOp::writeOut), 4);
    EXPECT_LE(fs.calls(FaultOp::flush), 1);
}

TEST_F(TargetVolumeTest, WriteRefusedAsTooLargeEndsThatCopyWithItsReason)
{
    // A share does not tell its file system beforehand; the write does.
    tree.write("src\\big.bin", pattern(300000), kNew);
    tree.write("src\\small.txt", "small", kNew);
    fs.inject({FaultOp::write, "big.bin", 223, 131072});
    ScriptedAnswerer answers;
    answers.then(mrNo, "Konnte Zieldatei \"" + dst() + "big.bin\" nicht anlegen.\r\n"
                       "Fehler: Die Datei ist für das Dateisystem des Ziels (FAT32) zu groß.\r\nErneut versuchen ?");
    const RunOutcome outcome = runEntry("*.*", ConflictMode::newer, false);
    EXPECT_EQ(outcome, RunOutcome::finished);
    EXPECT_EQ(ExitCode(outcome, state), kExitPassedOver);
    EXPECT_EQ(ListNames(dst()), "small.txt");
    EXPECT_EQ(state.failedFiles, 1u);
    EXPECT_EQ(answers.pending(), 0u);
}

}  // namespace
}  // namespace tresorix
