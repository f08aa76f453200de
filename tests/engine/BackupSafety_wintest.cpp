// What the user has after a backup that failed, was cancelled or met a
// changing source: the old copy or the complete new one, never neither, and
// nothing of ours left behind. Real files under Wine; faults injected only
// where real files cannot make them.
#include "engine/BackupTest.h"
#include "engine/Format.h"
#include "platform/TextConv.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

namespace tresorix {
namespace {

using test::Attributes;
using test::BackupTest;
using test::Exists;
using test::FaultOp;
using test::kNew;
using test::kOld;
using test::LastWrite;
using test::ListNames;
using test::OnExit;
using test::pattern;
using test::ReadAll;
using test::RunUnixShell;
using test::ScriptedAnswerer;
using test::UnixPath;

// Opens a file as another program would, allowing others to read and write
// but not to delete or rename it.
HANDLE holdOpen(const std::string& path)
{
    return CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

// The Unix name of a directory, ending in "/".
std::string unixDirectory(const std::string& path)
{
    std::string name = UnixPath(path);
    if (!name.empty() && name.back() != '/')
        name += '/';
    return name;
}

class BackupSafetyTest : public BackupTest {
protected:
    // Read-only, so that a protection lost on the way would show too.
    void writeOldTarget(const std::string& name)
    {
        tree.write("dst\\" + name, "the old copy", kOld, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    }

    // Y: names the test tree's root, until the result goes; none where
    // Wine's Unix side is out of reach.
    std::unique_ptr<OnExit> secondDriveLetter()
    {
        const std::string unixRoot = unixDirectory(tree.root());
        const char* prefix = getenv("WINEPREFIX");
        if (unixRoot.empty() || !prefix)
            return nullptr;
        const std::string link = std::string(prefix) + "/dosdevices/y:";
        if (RunUnixShell("test -e '" + link + "' || test -L '" + link + "'") == 0) {
            ADD_FAILURE() << "Y: is taken";
            return nullptr;
        }
        auto unlink = std::make_unique<OnExit>(OnExit{"rm -f '" + link + "'"});
        EXPECT_EQ(RunUnixShell("ln -s '" + unixRoot + "' '" + link + "'"), 0);
        // Wine's mount manager may learn of a new letter a moment later;
        // until then the letter's volume is not the directory's.
        FileId own, through;
        for (int tries = 0; tries < 100; ++tries) {
            if (real.directoryId(tree.root(), own) == 0 && real.directoryId("Y:\\", through) == 0 && own == through)
                return unlink;
            Sleep(100);
        }
        ADD_FAILURE() << "Y: never showed the identity of " << tree.root();
        return unlink;
    }

    void expectOldTargetAlone(const std::string& name)
    {
        EXPECT_EQ(ReadAll(dst() + name), "the old copy");
        EXPECT_EQ(LastWrite(dst() + name), kOld);
        EXPECT_TRUE(Attributes(dst() + name) & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(ListNames(dst()), name);
    }
};

TEST_F(BackupSafetyTest, FailureOrCancelBeforeTheRenameLeavesTheOldTargetAsItWas)
{
    const std::string bytes = pattern(200000);
    tree.write("src\\f.bin", bytes, kNew);
    writeOldTarget("f.bin");
    ScriptedAnswerer answers;
    const std::string notCreated = "Konnte Zieldatei \"" + dst() + "f.bin\" nicht anlegen.\r\nFehler: ";

    // A source that cannot be read to its end (a bad sector, a lost share).
    fs.inject({FaultOp::read, "f.bin", 23, 70000, 1});
    answers.then(mrOk, "Fehler: Konnte Datei \"" + src() + "f.bin\" nicht kopieren.");
    EXPECT_EQ(runEntry("f.bin", ConflictMode::always), RunOutcome::finished);
    expectOldTargetAlone("f.bin");

    // A medium that takes fewer bytes than it is given.
    fs.inject({FaultOp::shortWrite, "f.bin", 0, 70000, 1});
    answers.then(mrOk, "Fehler: Von der Datei \"" + dst() + "f.bin\" konnten ");
    EXPECT_EQ(runEntry("f.bin", ConflictMode::always), RunOutcome::finished);
    expectOldTargetAlone("f.bin");

    // Cancel when asked for another medium.
    fs.setFreeSpace(100);
    answers.then(mrCancel, "Nicht genug Platz auf Ziellaufwerk ");
    EXPECT_EQ(runEntry("f.bin", ConflictMode::always), RunOutcome::cancelled);
    expectOldTargetAlone("f.bin");
    fs.clear();

    // Cancel in the progress window just before the copy is created.
    view.onPump = [&](int) {
        if (fs.calls(FaultOp::freeSpace) > 0)
            state.cancel();
    };
    EXPECT_EQ(runEntry("f.bin", ConflictMode::always), RunOutcome::cancelled);
    view.onPump = nullptr;
    expectOldTargetAlone("f.bin");

    // No when the copy cannot be created.
    fs.inject({FaultOp::createWrite, "f.bin", errAccessDenied});
    answers.then(mrNo, notCreated + ErrorText(5) + "\r\nErneut versuchen ?");
    EXPECT_EQ(runEntry("f.bin", ConflictMode::always), RunOutcome::finished);
    expectOldTargetAlone("f.bin");
    fs.clear();

    // A failed rename is asked about as a copy that cannot be created: No
    // keeps the old one, Yes tries again.
    fs.inject({FaultOp::renameFile, "f.bin", errAccessDenied});
    answers.then(mrNo, notCreated + ErrorText(5) + "\r\nErneut versuchen ?");
    EXPECT_EQ(runEntry("f.bin", ConflictMode::always), RunOutcome::finished);
    expectOldTargetAlone("f.bin");
    EXPECT_EQ(state.savedFiles, 0u);
    fs.clear();

    fs.inject({FaultOp::renameFile, "f.bin", 32, 0, 1});
    answers.then(mrYes, notCreated + ErrorText(32));
    EXPECT_EQ(runEntry("f.bin", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(ReadAll(dst() + "f.bin"), bytes);
    EXPECT_EQ(LastWrite(dst() + "f.bin"), kNew);
    EXPECT_EQ(Attributes(dst() + "f.bin") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ListNames(dst()), "f.bin");
    EXPECT_EQ(answers.pending(), 0u);
    // The source is only read.
    EXPECT_EQ(ReadAll(src() + "f.bin"), bytes);
    EXPECT_EQ(LastWrite(src() + "f.bin"), kNew);
    EXPECT_EQ(Attributes(src() + "f.bin") & 0x27, uint32_t(FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(BackupSafetyTest, TargetHeldOpenByAnotherProgramIsAskedAboutAtTheConflictStep)
{
    tree.write("src\\doc.txt", "new text", kNew);
    tree.write("dst\\doc.txt", "old text", kOld);
    HANDLE held = holdOpen(dst() + "doc.txt");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ScriptedAnswerer answers;
    answers.then(mrNo, "Konnte bereits vorhandene Zieldatei nicht löschen.\r\nDateiname: " + dst() +
                           "doc.txt\r\nFehlermeldung: " + ErrorText(65) + "\r\nLöschversuch wiederholen ?");
    EXPECT_EQ(runEntry("doc.txt", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "doc.txt"), "old text");
    EXPECT_EQ(ListNames(dst()), "doc.txt");

    // Yes once the other program has let go: the step looks again.
    answers.thenDo(mrYes, [&] { CloseHandle(held); });
    EXPECT_EQ(runEntry("doc.txt", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "doc.txt"), "new text");
    EXPECT_EQ(answers.asked().size(), 2u);
}

TEST_F(BackupSafetyTest, MediumThatCannotHoldBothRemovesTheOldTargetFirstForThatFileOnly)
{
    const std::string bytes = pattern(1500);
    tree.write("src\\big.bin", bytes, kNew);
    tree.write("dst\\big.bin", std::string(800, 'o'), kOld);
    fs.setFreeSpace(1000);
    ScriptedAnswerer answers;
    EXPECT_EQ(runEntry("big.bin", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "big.bin"), bytes);
    EXPECT_EQ(ListNames(dst()), "big.bin");

    // The old one frees the room it takes on the medium, which is more than
    // its size says: a file of the free space and that room fits.
    tree.write("dst\\big.bin", std::string(800, 'o'), kOld);
    uint64_t freed = 0;
    ASSERT_EQ(fs.allocatedSize(dst() + "big.bin", freed), 0u);
    const std::string fits = pattern(size_t(600 + freed));
    tree.write("src\\big.bin", fits, kNew);
    fs.setFreeSpace(600);
    EXPECT_EQ(runEntry("big.bin", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "big.bin"), fits);

    // Not even without the old one: it stays.
    tree.write("dst\\big.bin", std::string(800, 'o'), kOld);
    tree.write("src\\big.bin", pattern(size_t(601 + freed)), kNew);
    fs.setFreeSpace(600);
    answers.then(mrCancel, "Nicht genug Platz auf Ziellaufwerk " + dst().substr(0, 2) + " \r\nBitte wechseln!");
    EXPECT_EQ(runEntry("big.bin", ConflictMode::always), RunOutcome::cancelled);
    EXPECT_EQ(ReadAll(dst() + "big.bin"), std::string(800, 'o'));
}

TEST_F(BackupSafetyTest, TemporaryNamesRemoveOurLeftoversAndNeverTouchAFileInUse)
{
    const std::string temporary = TemporaryName(dst() + "a.txt", 0);
    tree.write("src\\a.txt", "new a", kNew);
    tree.write(temporary, "half a copy from a killed run");
    ScriptedAnswerer answers;
    EXPECT_EQ(runEntry("a.txt", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "new a");
    EXPECT_EQ(ListNames(dst()), "a.txt");

    // A file under that name that someone holds open is neither truncated
    // nor removed; the copy takes the next name.
    tree.write(temporary, "in use");
    HANDLE held = holdOpen(temporary);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    tree.write("src\\a.txt", "newer a", kNew);
    EXPECT_EQ(runEntry("a.txt", ConflictMode::always), RunOutcome::finished);
    CloseHandle(held);
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "newer a");
    EXPECT_EQ(ReadAll(temporary), "in use");
    EXPECT_FALSE(Exists(TemporaryName(dst() + "a.txt", 1)));

    // The usual case: one create and one rename, on a name as long as a
    // name may be, too.
    const std::string longName = std::string(251, 'n') + ".txt";
    tree.write("src\\" + longName, "long", kOld);
    fs.clear();
    EXPECT_EQ(runEntry(longName, ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + longName), "long");
    EXPECT_EQ(fs.calls(FaultOp::createWrite), 1);
    EXPECT_EQ(fs.calls(FaultOp::renameFile), 1);
}

TEST_F(BackupSafetyTest, SourceThatChangesBetweenEntriesOrWhileOpenIsCopiedWhole)
{
    tree.write("src\\log.txt", "short", kOld);
    tree.write("src\\gone.txt", "gone", kOld);
    const std::string grown = pattern(150000);
    const std::string tail = pattern(70000, 'A');
    bool changed = false, appended = false;
    view.onPump = [&](int) {
        // Between the two entries: a file grows, one goes, one comes.
        if (state.savedFiles == 2 && !changed) {
            changed = true;
            tree.write("src\\log.txt", grown, kNew);
            DeleteFileW(LongPath(src() + "gone.txt").c_str());
            tree.write("src\\new.txt", "new", kNew);
        }
        // In the last entry, after the source is open, before the copy starts.
        if (state.savedFiles == 4 && fs.calls(FaultOp::freeSpace) == 5 && !appended) {
            appended = true;
            HANDLE h = CreateFileW(LongPath(src() + "log.txt").c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            DWORD put = 0;
            WriteFile(h, tail.data(), DWORD(tail.size()), &put, nullptr);
            CloseHandle(h);
        }
    };
    RunSettings settings;
    for (const char* target : {"one\\", "two\\", "three\\"})
        settings.entries.push_back({src(), "", "*.txt", tree.path(target)});
    settings.showSummary = false;
    ScriptedAnswerer answers;
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(ListNames(tree.path("two\\")), "log.txt new.txt");
    EXPECT_EQ(ReadAll(tree.path("two\\log.txt")), grown);
    EXPECT_EQ(LastWrite(tree.path("two\\log.txt")), kNew);
    EXPECT_TRUE(appended);
    EXPECT_EQ(ReadAll(tree.path("three\\log.txt")), grown + tail);
    EXPECT_EQ(state.savedFiles, 6u);
}

TEST_F(BackupSafetyTest, TargetThatDiffersOnlyInTheCaseOfAnAccentedLetterIsNotCopiedIntoItself)
{
    tree.write("été\\a.txt", "a", kOld);
    RunSettings settings;
    settings.entries.push_back({tree.path("été\\"), " ja", "*.txt", tree.path("ÉTÉ\\Sich\\")});
    settings.showSummary = false;
    ScriptedAnswerer answers;
    answers.then(mrOk, "Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.");
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(ListNames(tree.path("été\\Sich\\")), "a.txt");
    EXPECT_EQ(answers.asked().size(), 1u);
}

TEST_F(BackupSafetyTest, DirectoryLinksAreFollowedButNeverBackToTheWalksOwnPath)
{
    const std::string unixSource = unixDirectory(src());
    if (unixSource.empty())
        GTEST_SKIP() << "needs Wine's Unix side to make symbolic links";
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    tree.write("side\\c.txt", "c", kOld);
    OnExit unlink{"rm -f '" + unixSource + "sub/loop' '" + unixSource + "sub/side'"};
    ASSERT_EQ(RunUnixShell("ln -s .. '" + unixSource + "sub/loop' && ln -s ../../side '" + unixSource + "sub/side'"),
              0);

    ScriptedAnswerer answers;
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(ListNames(dst()), "a.txt sub\\");
    EXPECT_EQ(ListNames(dst() + "sub\\"), "b.txt side\\");
    EXPECT_EQ(ReadAll(dst() + "sub\\side\\c.txt"), "c");
    EXPECT_EQ(state.savedFiles, 3u);
}

TEST_F(BackupSafetyTest, ALinkThatLeadsNowhereIsPassedOverAndTold)
{
    const std::string unixSource = unixDirectory(src());
    if (unixSource.empty())
        GTEST_SKIP() << "needs Wine's Unix side to make symbolic links";
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    tree.write("side\\c.txt", "c", kOld);
    OnExit unlink{"rm -f '" + unixSource + "gone'"};
    ASSERT_EQ(RunUnixShell("ln -s ../side '" + unixSource + "gone'"), 0);
    // Its target goes once the walk has seen it, as a share or volume would
    // (Wine's links to a missing target are not listed as directories).
    for (uint32_t error : {uint32_t(errPathNotFound), uint32_t(errDriveNotReady), 67u}) {
        fs.clear();
        fs.inject({FaultOp::list, "\\gone\\", error});
        ScriptedAnswerer answers;
        EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished) << error;
        EXPECT_EQ(ListNames(dst()), "a.txt sub\\") << error;
        EXPECT_EQ(answers.asked().size(), 0u) << error;
        EXPECT_EQ(state.deadLinks, 1u) << error;
        EXPECT_EQ(ExitCode(RunOutcome::finished, state), kExitPassedOver) << error;
    }
    // The summary says so.
    {
        RunSettings settings;
        settings.entries.push_back(entry("*.txt"));
        ScriptedAnswerer answers;
        answers.then(mrOk, "Backup beendet.\r\n0 Dateien wurden gesichert.\r\n1 Verknüpfung ohne Ziel wurde "
                           "übergangen.\r\n\r\ngeprüft :     ");
        EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
        EXPECT_EQ(answers.pending(), 0u);
    }
    // A link that refuses its listing, as Windows' compatibility junctions
    // in every profile do, is passed over without a word.
    fs.clear();
    fs.inject({FaultOp::list, "\\gone\\", errAccessDenied});
    {
        ScriptedAnswerer answers;
        EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
        EXPECT_EQ(state.deadLinks, 0u);
        EXPECT_EQ(ExitCode(RunOutcome::finished, state), kExitAllSaved);
    }
    // An entry whose source is the link is a missing source.
    fs.clear();
    fs.inject({FaultOp::list, "\\gone\\", errPathNotFound});
    {
        ScriptedAnswerer answers;
        answers.then(mrOk, "Fehler: Konnte nicht in das Quellverzeichnis \"" + src() + "gone\\\" wechseln.");
        const RunOutcome outcome = test::RunOneEntry(run, {src() + "gone\\", " ja", "*.txt", dst()});
        EXPECT_EQ(ExitCode(outcome, state), kExitEndedByError);
        EXPECT_EQ(answers.pending(), 0u);
    }
    // A real directory that cannot be listed still ends the run.
    fs.clear();
    fs.inject({FaultOp::list, "\\sub\\", errPathNotFound});
    ScriptedAnswerer answers;
    answers.then(mrOk, "Fehler: Konnte nicht in das Quellverzeichnis \"" + src() + "sub\\\" wechseln.");
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::sourceFailed);
}

// By their reparse tags (given here to real directories): a cloud
// placeholder is a directory, walked and copied, and one that cannot be
// listed ends the run as any directory does; a junction is followed, and
// passed over when it leads nowhere.
TEST_F(BackupSafetyTest, ACloudPlaceholderIsADirectoryAndAJunctionALink)
{
    constexpr uint32_t kCloud = 0x9000601A;  // a cloud provider's placeholder
    tree.write("src\\wolke\\a.txt", "a", kOld);
    tree.write("src\\wolke\\nur-online.txt", "o", kOld);
    tree.write("src\\abzweig\\b.txt", "b", kOld);
    fs.reparse("\\wolke", kCloud);
    fs.reparse("\\nur-online.txt", kCloud);
    fs.reparse("\\abzweig", reparseMountPoint);
    ScriptedAnswerer answers;
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(ListNames(dst() + "wolke\\"), "a.txt nur-online.txt");
    EXPECT_EQ(ReadAll(dst() + "wolke\\nur-online.txt"), "o");
    EXPECT_EQ(ReadAll(dst() + "abzweig\\b.txt"), "b");
    EXPECT_EQ(state.savedFiles, 3u);

    fs.inject({FaultOp::list, "\\abzweig\\", errPathNotFound, 0, 1});
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(state.deadLinks, 1u);
    for (uint32_t error : {uint32_t(errPathNotFound), uint32_t(errAccessDenied)}) {
        fs.inject({FaultOp::list, "\\wolke\\", error, 0, 1});
        answers.then(mrOk, "Fehler: Konnte nicht in das Quellverzeichnis \"" + src() + "wolke\\\" wechseln.");
        EXPECT_EQ(runEntry("*.txt"), RunOutcome::sourceFailed) << error;
        EXPECT_EQ(state.deadLinks, 0u) << error;
    }
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(BackupSafetyTest, TargetUnderASecondDriveLetterIsKnownInsideTheSource)
{
    std::unique_ptr<OnExit> unlink = secondDriveLetter();
    if (!unlink)
        GTEST_SKIP() << "needs Wine's Unix side for a second drive letter";
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);

    // Y:\src\Sicherung is C:\...\src\Sicherung: never walked into.
    const std::string target = "Y:\\src\\Sicherung\\";
    ScriptedAnswerer answers;
    answers.then(mrOk, "Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.");
    EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, true, target), RunOutcome::finished);
    EXPECT_EQ(ListNames(src() + "Sicherung\\"), "a.txt sub\\");
    EXPECT_EQ(ListNames(src() + "Sicherung\\sub\\"), "b.txt");
    EXPECT_EQ(state.savedFiles, 2u);
    EXPECT_EQ(answers.pending(), 0u);
}

// A stick that is not plugged in is asked about once for its entry, not
// once per directory; No leaves that entry unsaved and the run ended by an
// error, while the other entries run. Plugged in at the question, Yes saves it.
TEST_F(BackupSafetyTest, AMissingTargetDriveIsAskedAboutOncePerEntry)
{
    const char* prefix = getenv("WINEPREFIX");
    tree.mkdir("stick");
    const std::string stick = unixDirectory(tree.path("stick\\"));
    if (stick.empty() || !prefix)
        GTEST_SKIP() << "needs Wine's Unix side for a drive letter";
    const std::string link = std::string(prefix) + "/dosdevices/x:";
    ASSERT_NE(RunUnixShell("test -e '" + link + "' || test -L '" + link + "'"), 0) << "X: is taken";
    OnExit unlink{"rm -f '" + link + "'"};
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    tree.write("src\\zwei\\c.txt", "c", kOld);
    const std::string question = "Ziellaufwerk X: ist nicht bereit.\r\nErneut versuchen ?";
    RunSettings settings;
    settings.showSummary = false;
    settings.entries = {entry("*.txt", true, "X:\\Sicherung\\"), entry("*.txt")};
    {
        ScriptedAnswerer answers;
        answers.then(mrNo, question);
        EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
        ASSERT_EQ(answers.asked().size(), 1u);
        EXPECT_EQ(answers.asked()[0].text, question);
        EXPECT_EQ(ListNames(dst()), "a.txt sub\\ zwei\\");
        EXPECT_EQ(ExitCode(RunOutcome::finished, state), kExitEndedByError);
    }
    ScriptedAnswerer answers;
    answers.thenDo(mrYes, [&] { RunUnixShell("ln -s '" + stick + "' '" + link + "'"); });
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(ListNames(tree.path("stick\\Sicherung\\")), "a.txt sub\\ zwei\\");
    EXPECT_EQ(ExitCode(RunOutcome::finished, state), kExitAllSaved);
}

// As on ReFS, where a directory's 128-bit identity is not its 64-bit index:
// the target is known inside the source in one form, when this run made it
// and when it was there before.
TEST_F(BackupSafetyTest, TargetInsideTheSourceIsKnownWhereIdentitiesAndIndexesDiffer)
{
    std::unique_ptr<OnExit> unlink = secondDriveLetter();
    if (!unlink)
        GTEST_SKIP() << "needs Wine's Unix side for a second drive letter";
    fs.identitiesAsReFS();
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    for (int pass = 0; pass < 2; ++pass) {
        ScriptedAnswerer answers;
        answers.then(mrOk, "Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.");
        EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, true, "Y:\\src\\Sicherung\\"), RunOutcome::finished);
        EXPECT_EQ(ListNames(src() + "Sicherung\\"), "a.txt sub\\") << pass;
        EXPECT_EQ(answers.pending(), 0u) << pass;
    }
}

TEST_F(BackupSafetyTest, SmallVolumeMountedInAFolderIsAskedForItsOwnFreeSpace)
{
    tree.mkdir("small");
    const std::string mountPoint = unixDirectory(tree.path("small\\"));
    if (mountPoint.empty() || RunUnixShell("mount -t tmpfs -o size=2m tmpfs '" + mountPoint + "'") != 0)
        GTEST_SKIP() << "cannot mount a 2 MiB volume here (needs Wine, root and tmpfs)";
    OnExit unmount{"umount '" + mountPoint + "'"};
    const std::string target = tree.path("small\\dst\\");
    const std::string a = pattern(1'500'000), b = pattern(1'500'000, 'b');
    tree.write("src\\a.bin", a, kOld);
    tree.write("src\\b.bin", b, kOld);
    ScriptedAnswerer answers;
    answers.then(mrCancel, "Nicht genug Platz auf Ziellaufwerk " + tree.root().substr(0, 2) + " \r\nBitte wechseln!");
    EXPECT_EQ(runEntry("*.bin", ConflictMode::newer, false, target), RunOutcome::cancelled);
    EXPECT_EQ(ListNames(target), "a.bin");
    EXPECT_EQ(ReadAll(target + "a.bin"), a);

    // Replacing there: the volume cannot hold both, but the new one alone.
    const std::string changed = pattern(1'500'000, 'c');
    tree.write("src\\a.bin", changed, kNew);
    EXPECT_EQ(runEntry("a.bin", ConflictMode::always, false, target), RunOutcome::finished);
    EXPECT_EQ(ReadAll(target + "a.bin"), changed);
    EXPECT_EQ(ListNames(target), "a.bin");
}

}  // namespace
}  // namespace tresorix
