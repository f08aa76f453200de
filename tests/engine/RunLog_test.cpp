// The run's record and its exit code, over an in-memory file system and an
// in-memory log file.
#include "engine/Backup.h"
#include "engine/RunLog.h"
#include "run/UnattendedAnswer.h"
#include "support/MemoryFileSystem.h"
#include "support/RecordingView.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tresorix {
namespace {

class MemoryLog : public LogFile {
public:
    uint64_t size() override { return bytes.size() + grownBy; }
    bool rollOver() override
    {
        rolledOver = bytes;
        bytes.clear();
        grownBy = 0;
        return true;
    }
    bool append(std::string_view more) override
    {
        if (broken)
            return false;
        bytes += more;
        return true;
    }
    std::string now() override { return "07.12.2026 03:00:00"; }
    std::string tail(size_t count) override { return bytes.substr(bytes.size() - std::min(count, bytes.size())); }

    std::string bytes, rolledOver;
    uint64_t grownBy = 0;  // pretends the file is larger than its bytes
    bool broken = false;
};

class RunLogTest : public ::testing::Test {
protected:
    RunOutcome run(std::vector<BackupEntry> entries, ConflictMode mode = ConflictMode::newer, bool skipErrors = false)
    {
        RunSettings settings;
        settings.entries = std::move(entries);
        settings.mode = mode;
        settings.showSummary = false;
        settings.log = &runLog;
        settings.setFile = "C:\\Sets\\daten.tsi";
        settings.modeText = "nachfragen";
        UnattendedPrompts unattended;
        BackupRun backup(fs, view, state, skipErrors ? &unattended : nullptr);
        outcome = backup.BackUpStart(settings);
        return outcome;
    }
    int exitCode() const { return ExitCode(outcome, state); }
    bool logHas(const std::string& line) const { return log.bytes.find(line + "\r\n") != std::string::npos; }

    test::MemoryFileSystem fs;
    MemoryLog log;
    RunLog runLog{log};
    test::RecordingView view;
    RunState state;
    RunOutcome outcome = RunOutcome::cancelled;
};

TEST(RunLogLines, APromptIsOneLineAndNamesKeepTheirCharacters)
{
    EXPECT_EQ(OneLine("Zieldatei  D:\\a  überschreiben ?\r\nQuelldatei:  x\r\n\r\nEnde"),
              "Zieldatei  D:\\a  überschreiben ? / Quelldatei:  x /  / Ende");
    EXPECT_EQ(OneLine("a\nb\rc"), "a / b / c");
    MemoryLog file;
    RunLog record(file);
    record.begin("", "nur Dateien mit neuerem Datum sichern", 1);
    record.copied("C:\\Daten\\Ωμέγα 日本.txt", 12);
    record.prompt("Fehler: Zugriff auf Quelldatei \"C:\\Дача\\x\" verweigert.\r\nSchließen Sie", "OK", true);
    record.flush();
    EXPECT_EQ(file.bytes,
              "\xEF\xBB\xBF=== 07.12.2026 03:00:00  Backup gestartet. Set: (noch nicht gespeichert)  "
              "Modus: nur Dateien mit neuerem Datum sichern  Versionen: 1 Tag\r\n"
              "  kopiert: C:\\Daten\\Ωμέγα 日本.txt  (12 Bytes)\r\n"
              "  Meldung: Fehler: Zugriff auf Quelldatei \"C:\\Дача\\x\" verweigert. / Schließen Sie  Antwort: OK "
              "(ohne Anzeige, /SKIPERRORS)\r\n");
}

TEST_F(RunLogTest, RecordHoldsEntriesCopiesDirectoriesPromptsAndTheEnd)
{
    fs.addDirectory("C:\\Q");
    fs.addFile("C:\\Q\\neu.txt", "12345");
    fs.addFile("C:\\Q\\alt.txt", "abc");
    fs.addDirectory("D:\\Z");
    fs.addFile("D:\\Z\\alt.txt", "xyz");
    test::ScriptedAnswerer answers;
    answers.then(mrNo, "Zieldatei  D:\\Z\\alt.txt  überschreiben ?\r\n");
    ASSERT_EQ(run({{"C:\\Q", "", "*.txt", "D:\\Z\\neu"}, {"C:\\Q", "", "alt.txt", "D:\\Z"}}, ConflictMode::ask),
              RunOutcome::finished);
    EXPECT_TRUE(log.bytes.starts_with("\xEF\xBB\xBF=== 07.12.2026 03:00:00  Backup gestartet. Set: "
                                      "C:\\Sets\\daten.tsi  Modus: nachfragen  Versionen: aus\r\n"));
    EXPECT_TRUE(logHas("Eintrag 1: C:\\Q\\ (ohne Unterverzeichnisse)  Dateien: *.txt  Ziel: D:\\Z\\neu\\"));
    EXPECT_TRUE(logHas("  Verzeichnis angelegt: D:\\Z\\neu\\"));
    EXPECT_TRUE(logHas("  kopiert: C:\\Q\\neu.txt  (5 Bytes)"));
    EXPECT_TRUE(logHas("  kopiert: C:\\Q\\alt.txt  (3 Bytes)"));
    EXPECT_NE(log.bytes.find(" überschreiben ? / Quelldatei:  "), std::string::npos);
    EXPECT_NE(log.bytes.find(" bytes  Antwort: Nein\r\n  übergangen: D:\\Z\\alt.txt\r\n"), std::string::npos);
    // Declining to overwrite is the user's choice, not a failure.
    EXPECT_EQ(exitCode(), 0);
    EXPECT_TRUE(log.bytes.ends_with(
        " / geprüft :     11 Bytes  (11 Bytes)     / gesichert :  8 Bytes  (8 Bytes)  Geprüft: 3 Dateien, 11 Bytes; "
        "gesichert: 2 Dateien, 8 Bytes; übergangen: 1; fehlgeschlagen: 0.  Beendet.  Exitcode 0\r\n"));
    EXPECT_EQ(log.bytes.find("\n"), log.bytes.find("\r\n") + 1);
    EXPECT_EQ(std::count(log.bytes.begin(), log.bytes.end(), '\n'),
              std::count(log.bytes.begin(), log.bytes.end(), '\r'));
}

TEST_F(RunLogTest, SkipErrorsPassesOverWhereItCanAndEndsTheRunWhereItCannot)
{
    fs.addDirectory("C:\\Q");
    fs.addFile("C:\\Q\\a.txt", "aaaa");
    fs.addFile("C:\\Q\\b.txt", "bbbb");
    fs.addDirectory("D:\\Z");
    fs.addFile("D:\\Z\\a.txt", "old");
    test::ScriptedAnswerer noPrompt;  // any box shown fails the test
    EXPECT_EQ(run({{"C:\\Q", "", "*.txt", "D:\\Z"}}, ConflictMode::ask, true), RunOutcome::finished);
    EXPECT_EQ(fs.contents("D:\\Z\\a.txt"), "old");
    EXPECT_EQ(fs.contents("D:\\Z\\b.txt"), "bbbb");
    EXPECT_NE(log.bytes.find("  Antwort: Nein (ohne Anzeige, /SKIPERRORS)\r\n  übergangen: D:\\Z\\a.txt\r\n"),
              std::string::npos);
    // Nobody chose to keep the old copy.
    EXPECT_EQ(exitCode(), 1);

    // Too little room: a prompt with no way past ends the run, by an error.
    fs.free = 2;
    fs.addFile("C:\\Q\\c.txt", "cccc");
    EXPECT_EQ(run({{"C:\\Q", "", "c.txt", "D:\\Z"}, {"C:\\Q", "", "a.txt", "D:\\Y"}}, ConflictMode::newer, true),
              RunOutcome::endedByError);
    EXPECT_EQ(exitCode(), 3);
    EXPECT_TRUE(logHas("  Meldung: Nicht genug Platz auf Ziellaufwerk D:  / Bitte wechseln!  Antwort: Abbrechen "
                       "(ohne Anzeige, /SKIPERRORS)"));
    EXPECT_FALSE(fs.exists("D:\\Y"));
    EXPECT_TRUE(log.bytes.ends_with("Durch einen Fehler beendet.  Exitcode 3\r\n"));
    EXPECT_TRUE(noPrompt.asked().empty());
}

TEST_F(RunLogTest, AnEntryWithoutAFullTargetIsPassedOverWithAMessage)
{
    fs.addDirectory("C:\\Q");
    fs.addFile("C:\\Q\\a.txt", "aaaa");
    test::ScriptedAnswerer answers;
    answers.then(mrOk, "Eintrag 1 (C:\\Q) wird nicht gesichert:\r\nsein Ziel \"\\\" ist kein vollständiger Pfad.");
    answers.then(mrOk, "Eintrag 2 (C:\\Q) wird nicht gesichert:\r\nsein Ziel \"extra line\\\" ist kein");
    answers.then(mrOk, "Eintrag 3 (C:\\Q) wird nicht gesichert:\r\nsein Ziel \"\\\\nas\\\" ist kein");
    EXPECT_EQ(run({{"C:\\Q", "", "*", ""},
                   {"C:\\Q", "", "*", "extra line"},
                   {"C:\\Q", "", "*", "\\\\nas"},
                   {"C:\\Q", "", "*", "D:\\Z"}}),
              RunOutcome::finished);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(fs.contents("D:\\Z\\a.txt"), "aaaa");
    EXPECT_EQ(fs.created(), (std::vector<std::string>{"D:\\Z"}));
    EXPECT_EQ(state.checkedFiles, 1u);
    EXPECT_EQ(exitCode(), 1);
    EXPECT_TRUE(logHas("  übergangen: C:\\Q\\"));

    EXPECT_TRUE(IsFullPath("c:\\"));
    EXPECT_TRUE(IsFullPath("\\\\server\\share\\"));
    EXPECT_FALSE(IsFullPath("\\\\server\\\\"));
    EXPECT_FALSE(IsFullPath("C:relativ\\"));
    EXPECT_FALSE(IsFullPath("1:\\"));
}

TEST_F(RunLogTest, ALargeLogIsMovedAsideAndABrokenOneStopsNothing)
{
    fs.addDirectory("C:\\Q");
    fs.addFile("C:\\Q\\a.txt", "aaaa");
    log.bytes = "\xEF\xBB\xBF" "alt\r\n";
    log.grownBy = kLogRollOverSize - log.bytes.size();
    run({{"C:\\Q", "", "*", "D:\\Z"}});
    EXPECT_TRUE(log.rolledOver.empty());  // exactly 10 MiB stays
    log.grownBy += 1;
    run({{"C:\\Q", "", "*", "D:\\Z"}});
    EXPECT_TRUE(log.rolledOver.starts_with("\xEF\xBB\xBF" "alt\r\n"));
    EXPECT_TRUE(log.bytes.starts_with("\xEF\xBB\xBF=== "));
    EXPECT_EQ(log.bytes.find("=== ", 10), log.bytes.rfind("=== "));  // one record: start and end

    log.broken = true;
    fs.addFile("C:\\Q\\b.txt", "bbbb");
    view.status.clear();
    EXPECT_EQ(run({{"C:\\Q", "", "*", "D:\\Z"}}), RunOutcome::finished);
    EXPECT_EQ(fs.contents("D:\\Z\\b.txt"), "bbbb");
    EXPECT_EQ(std::count(view.status.begin(), view.status.end(),
                         "Protokoll kann nicht geschrieben werden; das Backup läuft ohne Protokoll weiter."),
              1);
    EXPECT_EQ(exitCode(), 0);
}

// A run killed in the middle, or cut off by a power failure, leaves a
// record without its end: the next record says so, and only then.
TEST_F(RunLogTest, TheNextRecordTellsOfOneThatHasNoEnd)
{
    const std::string noEnd = "  Der vorige Bericht hat kein Ende: jene Sicherung wurde beendet, ohne abzuschließen "
                              "(Programm beendet, Absturz oder Stromausfall).";
    run({});
    run({});
    EXPECT_FALSE(logHas(noEnd)) << log.bytes;
    runLog.begin("C:\\Sets\\daten.tsi", "nachfragen", 0);
    runLog.copied("C:\\Daten\\halb.txt", 7);
    runLog.flush();
    run({});
    EXPECT_TRUE(logHas(noEnd)) << log.bytes;
    const size_t at = log.bytes.find(noEnd);
    EXPECT_EQ(log.bytes.find(noEnd, at + 1), std::string::npos) << "said once";
}

}  // namespace
}  // namespace tresorix
