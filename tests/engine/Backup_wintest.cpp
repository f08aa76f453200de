// The backup run on real files under Wine, with faults injected where real
// files cannot produce them.
#include "engine/BackupTest.h"
#include "engine/Format.h"
#include "platform/TextConv.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>

namespace tresorix {
namespace {

using test::BackupTest;
using test::kNew;
using test::kOld;
using test::Fault;
using test::FaultOp;
using test::ScriptedAnswerer;

TEST_F(BackupTest, ConflictModesDecideOverAnExistingTarget)
{
    tree.write("src\\newer.txt", "new", kNew);
    tree.write("src\\equal.txt", "src", kNew + 10'000'000);  // one second later: same two-second step
    tree.write("src\\older.txt", "old", kOld);
    tree.write("dst\\newer.txt", "was", kOld);
    tree.write("dst\\equal.txt", "was", kNew);
    tree.write("dst\\older.txt", "was", kNew);

    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(test::ReadAll(dst() + "newer.txt"), "new");
    EXPECT_EQ(test::ReadAll(dst() + "equal.txt"), "was");
    EXPECT_EQ(test::ReadAll(dst() + "older.txt"), "was");
    EXPECT_EQ(state.checkedFiles, 3u);
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(view.status.back(), "Backup beendet.   3 Bytes von 9 Bytes wurden gesichert.");

    // No mode selected behaves as the default.
    tree.write("src\\older.txt", "old", kOld);
    EXPECT_EQ(runEntry("older.txt", ConflictMode::none), RunOutcome::finished);
    EXPECT_EQ(test::ReadAll(dst() + "older.txt"), "was");

    EXPECT_EQ(runEntry("*.txt", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 3u);
    EXPECT_EQ(test::ReadAll(dst() + "older.txt"), "old");

    tree.write("src\\older.txt", "changed", kNew);
    EXPECT_EQ(runEntry("*.txt", ConflictMode::skip), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(test::ReadAll(dst() + "older.txt"), "old");
}

TEST_F(BackupTest, AskModeOverwritesOnYesSkipsOnNoAndStopsOnCancel)
{
    tree.write("src\\a.txt", "A-new", kNew);
    tree.write("src\\b.txt", "B-new", kNew);
    tree.write("src\\c.txt", "C-new", kNew);
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        tree.write(std::string("dst\\") + name, "x", kOld);
    ScriptedAnswerer answers;
    answers.then(mrYes, "Zieldatei  " + dst() + "a.txt  überschreiben ?\r\nQuelldatei:  " +
                            FormatDosDateTime(entryOf(src() + "a.txt").dosTime) + "     5 bytes\r\nZieldatei:    " +
                            FormatDosDateTime(entryOf(dst() + "a.txt").dosTime) + "     1 bytes");
    EXPECT_EQ(runEntry("a.txt", ConflictMode::ask), RunOutcome::finished);
    EXPECT_EQ(test::ReadAll(dst() + "a.txt"), "A-new");

    answers.then(mrNo);
    EXPECT_EQ(runEntry("b.txt", ConflictMode::ask), RunOutcome::finished);
    EXPECT_EQ(test::ReadAll(dst() + "b.txt"), "x");

    answers.then(mrCancel, "Zieldatei  " + dst() + "c.txt");
    EXPECT_EQ(runEntry("c.txt;a.txt", ConflictMode::ask), RunOutcome::cancelled);
    EXPECT_EQ(test::ReadAll(dst() + "c.txt"), "x");
    EXPECT_EQ(state.checkedFiles, 1u);
    EXPECT_EQ(view.status.back(), "Backup wurde durch Nutzer abgebrochen.");
}

TEST_F(BackupTest, CopiesKeepBytesTimeAndAttributes)
{
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += char('a' + i % 26);
    tree.write("src\\big.bin", bytes, kOld);
    tree.write("src\\ro.txt", "read-only", kOld, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    tree.write("src\\hs.txt", "hidden", kOld, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    tree.write("src\\empty.txt", "", kNew);
    tree.write("dst\\ro.txt", "older read-only target", kOld - 100'000'000, FILE_ATTRIBUTE_READONLY);
    uint32_t sourceAttributes = test::Attributes(src() + "ro.txt");

    EXPECT_EQ(runEntry("*.*"), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 4u);
    EXPECT_EQ(test::ReadAll(dst() + "big.bin"), bytes);
    EXPECT_EQ(test::LastWrite(dst() + "big.bin"), kOld);
    EXPECT_EQ(test::ReadAll(dst() + "ro.txt"), "read-only");
    EXPECT_EQ(test::Attributes(dst() + "ro.txt") & 0x27, uint32_t(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(test::Attributes(dst() + "hs.txt") & 0x27,
              uint32_t(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(test::ReadAll(dst() + "empty.txt"), "");
    EXPECT_EQ(test::LastWrite(dst() + "empty.txt"), kNew);
    // The source is only read.
    EXPECT_EQ(test::Attributes(src() + "ro.txt"), sourceAttributes);
    EXPECT_EQ(test::LastWrite(src() + "big.bin"), kOld);
    // No temporary file is left behind.
    EXPECT_EQ(test::ListNames(dst()), "big.bin empty.txt hs.txt ro.txt");
}

// A directory is no target to compare or overwrite: the copy goes ahead and
// its failure says why, in every mode.
TEST_F(BackupTest, DirectoryInPlaceOfTheTargetFileFailsTheCopyWithItsReason)
{
    tree.write("src\\doc.txt", "text", kNew);
    tree.mkdir("dst\\doc.txt");
    ScriptedAnswerer answers;
    const std::string failed = "Konnte Zieldatei \"" + dst() + "doc.txt\" nicht anlegen.\r\nFehler: ";
    answers.then(mrYes, failed).then(mrNo, failed);
    EXPECT_EQ(runEntry("doc.txt", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(answers.asked().size(), 2u);
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(state.checkedFiles, 1u);
    EXPECT_TRUE(test::IsDirectory(dst() + "doc.txt"));
}

TEST_F(BackupTest, UnusualFilesAreCopied)
{
    const std::string unicodeName = "\xce\xb1\xce\xb2\xce\xb3-\xe6\x96\x87\xe4\xbb\xb6.txt";  // Greek and CJK
    tree.write("src\\" + unicodeName, "unicode", kOld);
    std::string deep = "src\\";
    for (int i = 0; i < 12; ++i)
        deep += "a-rather-long-directory-name-" + std::to_string(i) + "\\";
    tree.write(deep + "deep.txt", "deep", kOld);
    ASSERT_GT((tree.root() + deep).size(), 300u);

    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(test::ReadAll(dst() + unicodeName), "unicode");
    EXPECT_EQ(test::ReadAll(tree.path("dst\\" + deep.substr(4) + "deep.txt")), "deep");
    EXPECT_EQ(state.savedFiles, 2u);

    // Names that only a trailing dot or blank sets apart, files and directories.
    tree.write("src\\data", "ohne", kOld);
    tree.write("src\\data.", "mit Punkt", kOld);
    tree.write("src\\note ", "mit Blank", kOld);
    tree.write("src\\dir\\data", "im Ordner", kOld);
    tree.write("src\\dir.\\data.", "im Ordner mit Punkt", kOld);
    EXPECT_EQ(runEntry("data*;note*"), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 5u);
    EXPECT_EQ(test::ReadAll(dst() + "data"), "ohne");
    EXPECT_EQ(test::ReadAll(dst() + "data."), "mit Punkt");
    EXPECT_EQ(test::ReadAll(dst() + "note "), "mit Blank");
    EXPECT_EQ(test::ListNames(dst() + "dir\\"), "data");
    EXPECT_EQ(test::ReadAll(dst() + "dir.\\data."), "im Ordner mit Punkt");
}

TEST_F(BackupTest, TargetLevelsCreatedAreRecordedAndGuardAgainstRecursion)
{
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    // Target inside the source tree, two levels missing.
    ScriptedAnswerer answers;
    std::string target = src() + "Sich\\Neu\\";
    answers.then(mrOk, "Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.\r\nQuellverzeichnis: " +
                           src() + "Sich\\\r\nZielverzeichnis:    " + target + "Sich\\\r\n");
    answers.then(mrOk, "Fehler: Verzeichnis kann nicht rekursiv");
    EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, true, target), RunOutcome::finished);
    EXPECT_EQ(state.made.MdListe(),
              (std::vector<std::string>{UpperCaseUmlaut(src() + "Sich\\"), UpperCaseUmlaut(target),
                                        UpperCaseUmlaut(target + "sub\\")}));
    EXPECT_EQ(test::ReadAll(target + "a.txt"), "a");
    EXPECT_EQ(test::ReadAll(target + "sub\\b.txt"), "b");
    EXPECT_EQ(state.savedFiles, 2u);

    // A source without subdirectories gains one during its own files.
    tree.write("leaf\\c.txt", "c", kOld);
    const std::string leaf = tree.path("leaf\\");
    answers.then(mrOk, "Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.\r\nQuellverzeichnis: " +
                           leaf + "Sich\\");
    RunSettings settings;
    settings.entries.push_back({leaf, " ja", "*.txt", leaf + "Sich\\"});
    settings.showSummary = false;
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(test::ReadAll(leaf + "Sich\\c.txt"), "c");
}

TEST_F(BackupTest, SameSourceAndTargetIsSkippedAndAllSilencesIt)
{
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\x\\b.txt", "b", kOld);
    tree.write("src\\y\\c.txt", "c", kOld);
    {
        ScriptedAnswerer answers;
        answers.then(mrOk, "Fehler: Zielverzeichnis und Quellverzeichnis sind identisch.\r\nQuellverzeichnis: " +
                               src() + "\r\nZielverzeichnis:    " + UpperCaseUmlaut(src()) +
                               "\r\nDieses Verzeichnis wird übersprungen.");
        answers.then(mrAll, "Fehler: Zielverzeichnis und Quellverzeichnis");
        EXPECT_EQ(runEntry("*.txt", ConflictMode::always, true, UpperCaseUmlaut(src())), RunOutcome::finished);
    }
    EXPECT_EQ(state.checkedFiles, 0u);
    EXPECT_TRUE(state.skipSameDirPrompt);
    EXPECT_EQ(test::ListNames(src()), "a.txt x\\ y\\");
}

TEST_F(BackupTest, TooLittleSpaceAsksForAnotherMediumAndHandsTheFileOverAgain)
{
    tree.write("src\\f.bin", std::string(1000, 'x'), kOld);
    fs.setFreeSpace(999);
    ScriptedAnswerer answers;
    answers.thenDo(mrOk, [&] { fs.setFreeSpace(1000); });
    EXPECT_EQ(runEntry("f.bin"), RunOutcome::finished);
    ASSERT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.asked()[0].text, "Nicht genug Platz auf Ziellaufwerk " + dst().substr(0, 2) + " \r\nBitte wechseln!");
    EXPECT_EQ(state.checkedFiles, 1u);  // counted once although handed over twice
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(test::ReadAll(dst() + "f.bin"), std::string(1000, 'x'));
}

TEST_F(BackupTest, DriveNotReadyForTheFreeSpaceAsksAndNoCopiesAnyway)
{
    tree.write("src\\f.bin", "data", kOld);
    tree.mkdir("dst");
    fs.inject({FaultOp::freeSpace, "", errDriveNotReady});
    fs.inject({FaultOp::list, dst().substr(0, 3), errDriveNotReady, 0, -1, true});
    ScriptedAnswerer answers;
    answers.then(mrOk, "Ziellaufwerk " + dst().substr(0, 2) + " ist nicht bereit.");
    answers.then(mrYes, "Konnte freien Platz auf Ziellaufwerk " + dst().substr(0, 2) +
                            " nicht ermitteln.\r\nLaufwerk ist nicht bereit.\r\nErneut versuchen ?");
    answers.then(mrNo);
    EXPECT_EQ(runEntry("f.bin"), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 1u);
}

TEST_F(BackupTest, FailedCopiesLeaveNoFileUnderTheRealName)
{
    tree.write("src\\short.bin", std::string(200000, 's'), kOld);
    tree.write("src\\broken.bin", std::string(200000, 'b'), kOld);
    tree.write("src\\fine.bin", "fine", kOld);
    fs.inject({FaultOp::shortWrite, "", 0, 70000});
    fs.inject({FaultOp::read, "broken.bin", 30, 65536});
    ScriptedAnswerer answers;
    // Listing order decides which comes first; both texts are checked below.
    answers.then(mrOk).then(mrOk);
    EXPECT_EQ(runEntry("short.bin;broken.bin"), RunOutcome::finished);
    fs.clear();
    EXPECT_EQ(runEntry("fine.bin"), RunOutcome::finished);

    std::vector<std::string> texts;
    for (const auto& p : answers.asked())
        texts.push_back(p.text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Fehler: Von der Datei \"" + dst() + "short.bin\" konnten 61072 bytes nicht geschrieben werden.");
    EXPECT_EQ(texts[1], "Fehler: Konnte Datei \"" + src() + "broken.bin\" nicht kopieren.");
    EXPECT_EQ(test::ListNames(dst()), "fine.bin");
}

TEST_F(BackupTest, LockedSourceIsRetriedSkippedOrCancels)
{
    tree.write("src\\locked.txt", "locked", kOld);
    tree.write("src\\later.txt", "later", kOld);
    fs.inject({FaultOp::openRead, "locked.txt", 32, 0, 2});
    ScriptedAnswerer answers;
    answers.then(mrRetry, "Fehler: Zugriff auf Quelldatei \"" + src() +
                              "locked.txt\" verweigert.\r\nSchließen Sie die zugehörige Anwendung und klicken Sie "
                              "auf \"Wiederholen\"\r\noder klicken Sie auf \"OK\", um diese Datei zu überspringen.");
    answers.then(mrRetry);  // the lock is gone on the third try
    EXPECT_EQ(runEntry("locked.txt"), RunOutcome::finished);
    EXPECT_EQ(test::ReadAll(dst() + "locked.txt"), "locked");

    fs.inject({FaultOp::openRead, "locked.txt", 32});
    tree.write("src\\locked.txt", "changed", kNew);
    answers.then(mrCancel);
    EXPECT_EQ(runEntry("locked.txt;later.txt"), RunOutcome::cancelled);
    EXPECT_FALSE(test::Exists(dst() + "later.txt"));
    EXPECT_EQ(test::ReadAll(dst() + "locked.txt"), "locked");

    // A locked file that the conflict mode passes over needs no reading: an
    // unattended run does not stop to ask about it, and it is not opened.
    tree.write("src\\locked.txt", "locked", kOld);
    const int opens = fs.calls(FaultOp::openRead);
    EXPECT_EQ(runEntry("locked.txt"), RunOutcome::finished);
    EXPECT_EQ(runEntry("locked.txt", ConflictMode::skip), RunOutcome::finished);
    EXPECT_EQ(fs.calls(FaultOp::openRead), opens);
    EXPECT_EQ(state.checkedFiles, 1u);
    // Where it would be copied or the user decides, it is opened first.
    answers.then(mrOk, "Fehler: Zugriff auf Quelldatei");
    EXPECT_EQ(runEntry("locked.txt", ConflictMode::always), RunOutcome::finished);
    answers.then(mrOk, "Fehler: Zugriff auf Quelldatei");
    EXPECT_EQ(runEntry("locked.txt", ConflictMode::ask), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(test::ReadAll(dst() + "locked.txt"), "locked");
}

TEST_F(BackupTest, CancelFromTheProgressWindowStopsAtTheNextPump)
{
    for (int i = 0; i < 5; ++i)
        tree.write("src\\f" + std::to_string(i) + ".txt", "data", kOld);
    tree.write("src\\sub\\g.txt", "data", kOld);
    // The second file's hand-over pump sees the cancel; the first copy is
    // complete and takes its name.
    view.onPump = [&](int) {
        if (fs.calls(FaultOp::createWrite) == 1)
            state.cancel();
    };
    RunSettings settings;
    settings.entries.push_back({src(), " ja", "*.txt;*.doc", dst()});
    settings.entries.push_back({src(), " ja", "*.*", tree.path("other\\")});
    settings.showSummary = false;
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::cancelled);
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(test::ListNames(dst()).find("~"), std::string::npos);
    EXPECT_FALSE(test::Exists(dst() + "sub"));
    EXPECT_FALSE(test::Exists(tree.path("other")));
    EXPECT_EQ(view.status.back(), "Backup wurde durch Nutzer abgebrochen.");
}

TEST_F(BackupTest, MasksAreSplitAtSemicolons)
{
    tree.write("src\\a.doc", "d", kOld);
    tree.write("src\\b.xls", "x", kOld);
    tree.write("src\\c.txt", "t", kOld);
    tree.write("src\\sub\\d.doc", "d", kOld);
    EXPECT_EQ(runEntry("*.doc; *.xls;"), RunOutcome::finished);
    EXPECT_EQ(test::ListNames(dst()), "a.doc b.xls sub\\");
    EXPECT_EQ(state.checkedFiles, 3u);

    // An empty mask finds nothing but still walks the subdirectories.
    test::RemoveTree(dst());
    EXPECT_EQ(runEntry(";;*.txt"), RunOutcome::finished);
    EXPECT_EQ(test::ListNames(dst()), "c.txt");
}

// Left out by an entry's list or by the list for every entry, at any depth:
// never opened, counted or copied, and every directory left out is named
// once, however many masks the entry walks. An entry's own source is
// never left out.
TEST_F(BackupTest, ExclusionsLeaveFilesAndDirectoriesOutUnseen)
{
    for (const char* file : {"a.doc", "~$a.doc", "b.tmp", "THUMBS.DB", "sub\\c.txt", "sub\\d.TMP", "Cache\\e.doc",
                             "sub\\cache\\f.doc", "sub\\node_modules\\g.txt", "sub\\keep\\h.doc"})
        tree.write(std::string("src\\") + file, file, kOld);
    test::StringLog file;
    RunLog log{file};
    RunSettings settings;
    settings.entries.push_back(entry("*.*;*.doc;-~$*;-cache\\"));
    settings.entries.push_back({src() + "Cache", "", "-Cache\\", tree.path("other\\")});
    settings.exclusions = "*.tmp;Thumbs.db;node_modules\\";
    settings.showSummary = false;
    settings.log = &log;
    ScriptedAnswerer answers;  // fails on any prompt
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);

    EXPECT_EQ(test::ListNames(dst()), "a.doc sub\\");
    EXPECT_EQ(test::ListNames(dst() + "sub\\"), "c.txt keep\\");
    EXPECT_EQ(test::ListNames(dst() + "sub\\keep\\"), "h.doc");
    EXPECT_EQ(test::ListNames(tree.path("other\\")), "e.doc");
    // The second mask checks a.doc and h.doc again, as any file two masks match.
    EXPECT_EQ(state.checkedFiles, 6u);
    EXPECT_EQ(state.savedFiles, 4u);
    for (const auto& [op, path] : fs.journal()) {
        EXPECT_EQ(path.find("~$"), std::string::npos) << path;
        EXPECT_EQ(path.find("node_modules"), std::string::npos) << path;
        EXPECT_EQ(path.find("sub\\cache"), std::string::npos) << path;
    }

    auto times = [&](const std::string& line) {
        size_t count = 0;
        for (size_t at = 0; (at = file.text.find(line, at)) != std::string::npos; at += line.size())
            ++count;
        return count;
    };
    EXPECT_EQ(times("Ausnahmen für alle Einträge: *.tmp;Thumbs.db;node_modules\\\r\n"), 1u) << file.text;
    for (const char* directory : {"Cache\\", "sub\\cache\\", "sub\\node_modules\\"})
        EXPECT_EQ(times("  Verzeichnis ausgelassen (Ausnahme): " + src() + directory + "\r\n"), 1u) << file.text;
    // ~$a.doc for both masks; b.tmp, THUMBS.DB and d.TMP for the one they match.
    EXPECT_EQ(times("  ausgelassen (Ausnahmen): 5 Dateien, 3 Verzeichnisse\r\n"), 1u) << file.text;
    EXPECT_EQ(times("  ausgelassen (Ausnahmen): 0 Dateien, 0 Verzeichnisse\r\n"), 1u) << file.text;
}

// Exclusions that match nothing cost no call of the file system: a run
// with them asks exactly what a run without asks.
TEST_F(BackupTest, ExclusionsThatMatchNothingAddNoRequest)
{
    tree.write("src\\a.doc", "a", kOld);
    tree.write("src\\sub\\b.doc", "b", kOld);
    tree.write("src\\sub\\deep\\c.txt", "c", kOld);
    // Directories changed a moment ago are listed afresh, and the flusher
    // writes its calls beside the run's: both runs see settled directories,
    // and the calls are compared as a whole, not in their order.
    for (const char* directory : {"src\\", "src\\sub\\", "src\\sub\\deep\\"})
        test::SetLastWrite(tree.path(directory), kOld);
    auto calls = [&] {
        auto journal = fs.journal();
        std::sort(journal.begin(), journal.end());
        return journal;
    };
    ScriptedAnswerer answers;
    RunSettings settings;
    settings.entries.push_back(entry("*.doc;*.txt"));
    settings.showSummary = false;
    ASSERT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    const auto without = calls();
    const uint64_t checked = state.checkedFiles;

    test::RemoveTree(dst());
    fs.clear();
    settings.entries[0].masks = "*.doc;-*.xyz;*.txt;-nirgends\\";
    settings.exclusions = "~$*;Cache\\";
    ASSERT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(calls(), without);
    EXPECT_EQ(state.checkedFiles, checked);
    EXPECT_EQ(test::ReadAll(dst() + "sub\\deep\\c.txt"), "c");
}

TEST_F(BackupTest, SourceThatCannotBeEnteredEndsTheRunWithoutResult)
{
    tree.write("src\\a.txt", "a", kOld);
    RunSettings settings;
    settings.entries.push_back({tree.path("missing"), "", "*.*", dst()});
    settings.entries.push_back({src(), "", "*.*", dst()});
    ScriptedAnswerer answers;
    answers.then(mrOk, "Fehler: Konnte nicht in das Quellverzeichnis \"" + tree.path("missing\\") + "\" wechseln.");
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::sourceFailed);
    EXPECT_TRUE(view.status.empty());
    EXPECT_FALSE(test::Exists(dst()));
}

TEST_F(BackupTest, SummaryBoxTellsWhatWasSaved)
{
    tree.write("src\\a.txt", std::string(1536, 'a'), kOld);
    ScriptedAnswerer answers;
    answers.then(mrOk, "Backup beendet.\r\n1 Dateien wurden gesichert.\r\n\r\ngeprüft :     1,500 KBytes  (1 536 Bytes)"
                       "    \r\ngesichert :  1,500 KBytes  (1 536 Bytes)");
    RunSettings settings;
    settings.entries.push_back({src(), "", "*.*", "<Standardziel><Quellpfad>"});
    settings.stdZiel = tree.path("std");
    EXPECT_EQ(run.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(answers.asked().at(0).text.size(), answers.asked().at(0).text.rfind("Bytes)") + 6);
    EXPECT_EQ(test::ReadAll(ResolveTarget("<Standardziel><Quellpfad>", src(), settings.stdZiel) + "a.txt"),
              std::string(1536, 'a'));
}

}  // namespace
}  // namespace tresorix

namespace tresorix {
namespace {

TEST_F(BackupTest, TargetThatCannotBeMadeAsksWithTheRealCauseAndNoPassesItsFilesOver)
{
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\b.txt", "b", kOld);
    // The second level cannot be made: Yes retries, No passes the files
    // meant for it over, the second one without asking again.
    fs.inject({FaultOp::createDirectory, "Neu", errAccessDenied});
    ScriptedAnswerer answers;
    const std::string level = dst() + "Neu\\";
    answers.then(mrYes, "Konnte Verzeichnis \"" + level + "\" nicht anlegen bzw. überprüfen.\r\nFehlermeldung: " +
                            ErrorText(5) + "\r\nErneut versuchen ?");
    answers.then(mrNo);
    EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, false, level), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(fs.calls(FaultOp::createWrite), 0);
    EXPECT_EQ(state.made.MdListe(), std::vector<std::string>{UpperCaseUmlaut(dst())});
}

TEST_F(BackupTest, FilesOfTwoGibibytesAndMoreAreCopiedAndCounted)
{
    // A sparse source: only its last bytes are written.
    const uint64_t size = (uint64_t(1) << 31) + 12345;
    auto tailOf = [&](const std::string& path, bool write) {
        HANDLE h = CreateFileW((L"\\\\?\\" + Widen(path)).c_str(), write ? GENERIC_WRITE : GENERIC_READ, 0,
                               nullptr, write ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
        LARGE_INTEGER at;
        at.QuadPart = int64_t(size) - 4;
        SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
        char tail[5] = "tail";
        DWORD n = 0;
        if (write)
            WriteFile(h, tail, 4, &n, nullptr);
        else
            ReadFile(h, tail, 4, &n, nullptr);
        CloseHandle(h);
        return std::string(tail, n);
    };
    tree.mkdir("src");
    tailOf(src() + "big.bin", true);

    EXPECT_EQ(runEntry("big.bin"), RunOutcome::finished);
    EXPECT_EQ(state.checkedBytes, size);
    EXPECT_EQ(state.savedBytes, size);
    EXPECT_EQ(entryOf(dst() + "big.bin").size, size);
    EXPECT_EQ(tailOf(dst() + "big.bin", false), "tail");
    EXPECT_EQ(view.lastFileProgress, 100);
}

}  // namespace
}  // namespace tresorix
