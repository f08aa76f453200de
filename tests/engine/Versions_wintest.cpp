// Versions of replaced copies over real files under Wine: what a run moves
// aside, where, with which bytes and times, in which order, and which run
// folders it removes again; and that versions never cost a copy: an old
// copy moved aside comes back when its new copy fails, and a source tree
// whose target lies in a versions folder is not copied where pruning would
// take it.
#include "engine/BackupTest.h"
#include "engine/DirectoryVisit.h"
#include "engine/Format.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

namespace tresorix {
namespace {

using test::Exists;
using test::FaultOp;
using test::kNew;
using test::kOld;
using test::LastWrite;
using test::ListNames;
using test::ReadAll;
using test::ScriptedAnswerer;
using test::StringLog;

constexpr Stamp kStart{2026, 12, 7, 8, 0, 0};
constexpr uint32_t kSharingViolation = 32;

class Versions : public test::BackupTest {
protected:
    // Without entries: one of every file below src.
    RunOutcome runWith(ConflictMode mode, int days, std::vector<BackupEntry> entries = {})
    {
        RunSettings settings;
        settings.entries = std::move(entries);
        if (settings.entries.empty())
            settings.entries.push_back(entry("*.*"));
        settings.mode = mode;
        settings.showSummary = false;
        settings.versionDays = days;
        settings.startedAt = kStart;
        settings.log = &log;
        return run.BackUpStart(settings);
    }
    std::string runFolder(const std::string& stamp = "2026-12-07 08-00-00") const
    {
        return dst() + "Tresorix-Versionen\\" + stamp + "\\";
    }
    std::string keptA() const { return runFolder() + "a.txt"; }
    // The new copy of a.txt is held under its temporary name by a scanner;
    // the user gives it up.
    void newCopyCannotTakeItsName(ScriptedAnswerer& answers)
    {
        tree.write("src\\a.txt", "neu", kNew);
        tree.write("dst\\a.txt", "alt", kOld, FILE_ATTRIBUTE_READONLY);
        fs.inject({FaultOp::renameFile, TemporaryName(dst() + "a.txt", 0), kSharingViolation, 0, -1, true});
        answers.then(mrNo, CreateFailedText(dst() + "a.txt", kSharingViolation));
    }

    StringLog file;
    RunLog log{file};
};

TEST_F(Versions, AReplacedCopyMovesIntoTheRunFolderWithItsBytesAndTime)
{
    tree.write("src\\a.txt", "neu A", kNew);
    tree.write("src\\sub\\b.txt", "neu B", kNew);
    tree.write("src\\c.txt", "neu C", kNew);
    tree.write("dst\\a.txt", "alt A", kOld, FILE_ATTRIBUTE_READONLY);
    tree.write("dst\\sub\\b.txt", "alt B", kOld);
    EXPECT_EQ(runWith(ConflictMode::newer, 30), RunOutcome::finished);

    EXPECT_EQ(ReadAll(dst() + "a.txt"), "neu A");
    EXPECT_EQ(ReadAll(runFolder() + "a.txt"), "alt A");
    EXPECT_EQ(LastWrite(runFolder() + "a.txt"), kOld);
    EXPECT_TRUE(test::Attributes(runFolder() + "a.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReadAll(runFolder() + "sub\\b.txt"), "alt B");
    EXPECT_EQ(ListNames(runFolder()), "a.txt sub\\") << "c.txt was new: nothing to keep";
    EXPECT_EQ(ListNames(dst() + "Tresorix-Versionen\\"), "2026-12-07 08-00-00\\");
    EXPECT_NE(file.text.find("aufbewahrt: " + dst() + "a.txt  ->  " + runFolder() + "a.txt"), std::string::npos)
        << file.text;

    // The old copy went aside before the new one took its name.
    const auto& journal = fs.journal();
    auto at = [&](const std::string& from) {
        return std::find_if(journal.begin(), journal.end(), [&](const auto& call) {
                   return call.first == FaultOp::renameFile && call.second == from;
               }) - journal.begin();
    };
    EXPECT_LT(at(dst() + "a.txt"), at(TemporaryName(dst() + "a.txt", 0)));
}

TEST_F(Versions, NothingIsKeptWhenNothingIsReplacedOrVersionsAreOff)
{
    tree.write("src\\a.txt", "neu", kNew);
    tree.write("dst\\a.txt", "alt", kOld);
    {
        ScriptedAnswerer answers;
        answers.then(mrNo);  // the overwrite question of "nachfragen"
        EXPECT_EQ(runWith(ConflictMode::ask, 30), RunOutcome::finished);
    }
    EXPECT_EQ(runWith(ConflictMode::skip, 30), RunOutcome::finished);
    EXPECT_FALSE(Exists(dst() + "Tresorix-Versionen"));
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "alt");

    EXPECT_EQ(runWith(ConflictMode::always, 0), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "neu");
    EXPECT_FALSE(Exists(dst() + "Tresorix-Versionen"));
}

// A version that cannot be made: the file is not replaced without it.
TEST_F(Versions, AnOldCopyThatCannotMoveIsNotReplaced)
{
    tree.write("src\\a.txt", "neu", kNew);
    tree.write("dst\\a.txt", "alt", kOld);
    fs.inject({FaultOp::renameFile, dst() + "a.txt", 5, 0, 2, true});
    ScriptedAnswerer answers;
    const std::string text = "Konnte die bisherige Zieldatei \"" + dst() + "a.txt\" nicht aufbewahren (nach \"" +
                             runFolder() + "a.txt\").\r\nFehler: " + ErrorText(5) +
                             "\r\nOhne sie wird die Datei nicht ersetzt. Erneut versuchen ?";
    answers.then(mrYes, text).then(mrNo, text);
    EXPECT_EQ(runWith(ConflictMode::always, 30), RunOutcome::finished);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "alt");
    EXPECT_EQ(ListNames(dst()), "Tresorix-Versionen\\ a.txt") << "no temporary left";
    EXPECT_TRUE(state.passedOverAfterError);

    // The fault is spent: Yes tries again and keeps the version, in the
    // next second's run folder, as the first run's is there already.
    fs.inject({FaultOp::renameFile, dst() + "a.txt", 5, 0, 1, true});
    const std::string next = runFolder("2026-12-07 08-00-01");
    answers.then(mrYes, "Konnte die bisherige Zieldatei \"" + dst() + "a.txt\" nicht aufbewahren (nach \"" + next);
    EXPECT_EQ(runWith(ConflictMode::always, 30), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "neu");
    EXPECT_EQ(ReadAll(next + "a.txt"), "alt");
}

TEST_F(Versions, RunFoldersOlderThanTheDaysGoAtTheEndAndForeignOnesStay)
{
    tree.write("src\\a.txt", "neu", kNew);
    tree.write("dst\\Tresorix-Versionen\\2026-10-01 00-00-00\\alt\\x.txt", "x", kOld, FILE_ATTRIBUTE_READONLY);
    tree.write("dst\\Tresorix-Versionen\\2026-11-20 00-00-00\\y.txt", "y", kOld);
    tree.write("dst\\Tresorix-Versionen\\Fotos\\z.txt", "z", kOld);
    tree.write("dst\\Tresorix-Versionen\\2026-10-01 00-00-00 Kopie\\z.txt", "z", kOld);
    EXPECT_EQ(runWith(ConflictMode::newer, 30), RunOutcome::finished);
    EXPECT_EQ(ListNames(dst() + "Tresorix-Versionen\\"), "2026-10-01 00-00-00 Kopie\\ 2026-11-20 00-00-00\\ Fotos\\");
    EXPECT_NE(file.text.find("Versionen entfernt (älter als 30 Tage): " + runFolder("2026-10-01 00-00-00")),
              std::string::npos)
        << file.text;

    // Off: nothing is removed, however old.
    EXPECT_EQ(runWith(ConflictMode::newer, 0), RunOutcome::finished);
    EXPECT_TRUE(Exists(runFolder("2026-11-20 00-00-00") + "y.txt"));
}

const std::string kNoRoom = "Nicht genug Platz auf Ziellaufwerk ";

// Too little room for the new copy: earlier runs' folders go, oldest first
// and only as many as it takes; this run's never, nor what a link of a run
// folder's name leads to. The old copy frees nothing: it becomes a version.
TEST_F(Versions, OnlyTheOldestRunFolderGoesWhenThatMakesRoom)
{
    tree.write("src\\a.txt", test::pattern(100000), kNew);
    tree.write("dst\\a.txt", "alt", kOld);
    tree.write("dst\\Tresorix-Versionen\\2026-12-01 00-00-00\\sub\\v.txt", test::pattern(60000), kOld);
    tree.write("dst\\Tresorix-Versionen\\2026-12-03 00-00-00\\v.txt", test::pattern(60000), kOld);
    tree.write("dst\\Tresorix-Versionen\\2026-12-07 08-00-00\\w.txt", "w", kOld);
    tree.write("elsewhere\\keep.txt", test::pattern(60000), kOld);
    const std::string unixTarget = test::UnixPath(dst() + "Tresorix-Versionen");
    if (unixTarget.empty())
        GTEST_SKIP() << "needs Wine's Unix side to make symbolic links";
    test::OnExit unlink{"rm -f '" + unixTarget + "/2026-11-01 00-00-00'"};
    ASSERT_EQ(test::RunUnixShell("ln -s ../../elsewhere '" + unixTarget + "/2026-11-01 00-00-00'"), 0);
    fs.setFreeSpace(50000, true);

    EXPECT_EQ(runWith(ConflictMode::always, 30), RunOutcome::finished);
    // This run's folder takes the next second: one of its stamp is there.
    EXPECT_EQ(ListNames(dst() + "Tresorix-Versionen\\"),
              "2026-11-01 00-00-00\\ 2026-12-03 00-00-00\\ 2026-12-07 08-00-00\\ 2026-12-07 08-00-01\\");
    EXPECT_TRUE(Exists(tree.path("elsewhere\\keep.txt")));
    EXPECT_TRUE(ReadAll(dst() + "a.txt") == test::pattern(100000));
    EXPECT_EQ(ReadAll(runFolder("2026-12-07 08-00-01") + "a.txt"), "alt");
    EXPECT_TRUE(Exists(runFolder() + "w.txt"));
    EXPECT_NE(file.text.find("Versionen entfernt (Platz für " + dst() + "): " + runFolder("2026-12-01 00-00-00")),
              std::string::npos)
        << file.text;
}

// Removing every earlier run folder would still leave the copy short: none
// goes, and the medium is asked for as without versions.
TEST_F(Versions, RunFoldersStayWhenRemovingThemAllWouldNotMakeRoom)
{
    tree.write("src\\a.txt", test::pattern(100000), kNew);
    tree.write("dst\\Tresorix-Versionen\\2026-12-01 00-00-00\\v.txt", test::pattern(30000), kOld);
    tree.write("dst\\Tresorix-Versionen\\2026-12-03 00-00-00\\v.txt", test::pattern(30000), kOld);
    fs.setFreeSpace(10000, true);
    ScriptedAnswerer answers;
    answers.then(mrCancel, kNoRoom + dst().substr(0, 2) + " \r\nBitte wechseln!");

    EXPECT_EQ(runWith(ConflictMode::always, 30), RunOutcome::cancelled);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(ListNames(dst() + "Tresorix-Versionen\\"), "2026-12-01 00-00-00\\ 2026-12-03 00-00-00\\");
    EXPECT_FALSE(Exists(dst() + "a.txt"));
    EXPECT_NE(file.text.find("Versionen nicht entfernt (Platz für " + dst() + ")"), std::string::npos) << file.text;
}

// With versions on the old copy is what the version would keep: it is never
// deleted for room, even where that alone would make the new copy fit.
TEST_F(Versions, WithVersionsOnTheOldCopyIsNeverDeletedForRoom)
{
    tree.write("src\\a.txt", test::pattern(100000, 'b'), kNew);
    tree.write("dst\\a.txt", test::pattern(100000), kOld);
    fs.setFreeSpace(10000, true);
    ScriptedAnswerer answers;
    answers.then(mrCancel, kNoRoom + dst().substr(0, 2) + " \r\nBitte wechseln!");

    EXPECT_EQ(runWith(ConflictMode::always, 30), RunOutcome::cancelled);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_TRUE(ReadAll(dst() + "a.txt") == test::pattern(100000));
    EXPECT_EQ(ListNames(dst()), "a.txt") << "no copy, no temporary, no version";
    EXPECT_NE(file.text.find("die bisherige Zieldatei bleibt, da Versionen aufbewahrt werden: " + dst() + "a.txt"),
              std::string::npos)
        << file.text;

    // Off: as ever, the old copy goes first when only its room makes it fit.
    state.clearCancel();
    EXPECT_EQ(runWith(ConflictMode::always, 0), RunOutcome::finished);
    EXPECT_TRUE(ReadAll(dst() + "a.txt") == test::pattern(100000, 'b'));
}

// Pruning at the end never takes a link for a run folder, however old its
// name: what it leads to is someone else's.
TEST_F(Versions, PruningLeavesALinkOfARunFoldersName)
{
    tree.write("src\\a.txt", "neu", kNew);
    tree.write("dst\\Tresorix-Versionen\\2026-10-02 00-00-00\\x.txt", "x", kOld);
    tree.write("elsewhere\\keep.txt", "k", kOld);
    const std::string unixTarget = test::UnixPath(dst() + "Tresorix-Versionen");
    if (unixTarget.empty())
        GTEST_SKIP() << "needs Wine's Unix side to make symbolic links";
    test::OnExit unlink{"rm -f '" + unixTarget + "/2026-10-01 00-00-00'"};
    ASSERT_EQ(test::RunUnixShell("ln -s ../../elsewhere '" + unixTarget + "/2026-10-01 00-00-00'"), 0);

    EXPECT_EQ(runWith(ConflictMode::newer, 30), RunOutcome::finished);
    EXPECT_EQ(ListNames(dst() + "Tresorix-Versionen\\"), "2026-10-01 00-00-00\\") << file.text;
    EXPECT_EQ(ReadAll(tree.path("elsewhere\\keep.txt")), "k");
}

// Inside a run folder too, at any depth, a link is never followed, whatever
// it leads to (an empty folder would go with it); a cloud placeholder is no
// link and goes like any folder, a run folder as well.
TEST_F(Versions, PruningNeverFollowsALinkInsideARunFolderAndTakesCloudPlaceholdersForFolders)
{
    constexpr uint32_t kCloud = 0x9000601A;  // a cloud provider's placeholder
    const std::string old = "dst\\Tresorix-Versionen\\2026-10-01 00-00-00\\";
    tree.write("src\\a.txt", "neu", kNew);
    tree.write(old + "tief\\x.txt", "x", kOld);
    tree.write(old + "wolke\\y.txt", "y", kOld);
    tree.write(old + "abzweig\\z.txt", "z", kOld);
    tree.write("dst\\Tresorix-Versionen\\2026-10-02 00-00-00\\w.txt", "w", kOld);
    tree.write("elsewhere\\voll\\keep.txt", "k", kOld);
    tree.mkdir("elsewhere\\leer");
    const std::string unixOld = test::UnixPath(tree.path(old));
    if (unixOld.empty())
        GTEST_SKIP() << "needs Wine's Unix side to make symbolic links";
    ASSERT_EQ(test::RunUnixShell("ln -s ../../../../elsewhere/leer '" + unixOld + "/tief/leer' && ln -s "
                                 "../../../elsewhere/voll '" + unixOld + "/voll'"),
              0);
    // Where the system cannot remove a link itself (Wine), it stays.
    test::OnExit unlink{"rm -f '" + unixOld + "/tief/leer' '" + unixOld + "/voll'"};
    fs.reparse("\\wolke", kCloud);
    fs.reparse("\\2026-10-02 00-00-00", kCloud);
    fs.reparse("\\abzweig", reparseMountPoint);

    EXPECT_EQ(runWith(ConflictMode::newer, 30), RunOutcome::finished);
    EXPECT_TRUE(test::IsDirectory(tree.path("elsewhere\\leer")));
    EXPECT_EQ(ReadAll(tree.path("elsewhere\\voll\\keep.txt")), "k");
    EXPECT_EQ(ReadAll(tree.path(old + "abzweig\\z.txt")), "z");
    EXPECT_FALSE(Exists(tree.path(old + "tief\\x.txt")));
    EXPECT_FALSE(Exists(tree.path(old + "wolke")));
    EXPECT_FALSE(Exists(runFolder("2026-10-02 00-00-00")));
}

TEST_F(Versions, AFailedNewCopyPutsTheOldOneBackWithItsBytesAndAttributes)
{
    ScriptedAnswerer answers;
    newCopyCannotTakeItsName(answers);
    EXPECT_EQ(runWith(ConflictMode::always, 30), RunOutcome::finished);
    EXPECT_EQ(answers.pending(), 0u);

    EXPECT_EQ(ReadAll(dst() + "a.txt"), "alt");
    EXPECT_EQ(LastWrite(dst() + "a.txt"), kOld);
    EXPECT_TRUE(test::Attributes(dst() + "a.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Exists(keptA()));
    EXPECT_EQ(ListNames(dst()), "Tresorix-Versionen\\ a.txt") << "no temporary left";
    EXPECT_EQ(state.failedFiles, 1u);
    EXPECT_NE(file.text.find("zurückgelegt: " + keptA() + "  ->  " + dst() + "a.txt"), std::string::npos)
        << file.text;
}

// Where the old copy cannot come back either, the log is the only place
// that says where it is, and the exit code points there.
TEST_F(Versions, AnOldCopyThatCannotComeBackIsNamedInTheLog)
{
    ScriptedAnswerer answers;
    newCopyCannotTakeItsName(answers);
    fs.inject({FaultOp::renameFile, keptA(), kSharingViolation, 0, -1, true});
    EXPECT_EQ(runWith(ConflictMode::always, 30), RunOutcome::finished);

    EXPECT_FALSE(Exists(dst() + "a.txt"));
    EXPECT_EQ(ReadAll(keptA()), "alt");
    EXPECT_TRUE(state.passedOverAfterError);
    EXPECT_NE(file.text.find("nicht zurückgelegt: " + dst() + "a.txt  Die bisherige Zieldatei liegt in: " +
                             keptA() + "  Fehlernummer 32"),
              std::string::npos)
        << file.text;
}

// A backup tree put back into the source, under another case, and an
// entry whose target lies inside a versions folder: copied, the end of the
// run would prune an old stamp's folder along with what came from the user.
TEST_F(Versions, ASourceTreeWhoseTargetIsAVersionsFolderIsPassedOver)
{
    tree.write("src\\a.txt", "a", kNew);
    tree.write("src\\tresorix-versionen\\2026-10-01 00-00-00\\x.txt", "x", kOld);
    tree.write("src\\tresorix-versionen\\y.txt", "y", kOld);
    tree.write("src2\\z.txt", "z", kOld);
    BackupEntry second{tree.path("src2\\"), " ja", "*.*", dst() + "Tresorix-Versionen\\2026-10-01 00-00-00\\"};
    EXPECT_EQ(runWith(ConflictMode::always, 30, {entry("*.*"), second}), RunOutcome::finished);

    EXPECT_EQ(ListNames(dst()), "a.txt");
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(ReadAll(src() + "tresorix-versionen\\2026-10-01 00-00-00\\x.txt"), "x");
    EXPECT_EQ(ExitCode(RunOutcome::finished, state), kExitPassedOver);
    EXPECT_NE(file.text.find("übergangen: " + src() + "tresorix-versionen\\"), std::string::npos) << file.text;
    EXPECT_NE(file.text.find("übergangen: " + tree.path("src2\\")), std::string::npos) << file.text;
}

}  // namespace
}  // namespace tresorix
