// The run controller around real runs: what it does before and after the
// engine (locking the main window, showing and hiding the progress window),
// the prompts it puts in front, and its policy for unattended runs.
#include "run/RunController.h"

#include "engine/Format.h"
#include "support/RecordingView.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tresorix {
namespace {

using test::ScriptedAnswerer;

class RunControllerTest : public ::testing::Test {
protected:
    RunControllerTest()
    {
        controller.setMainWindow(nullptr, main, [this](bool on) { locks.push_back(on); });
        controller.setProgressWindow(progress);
    }

    std::string src() const { return tree.path("src\\"); }
    std::string dst() const { return tree.path("dst\\"); }

    RunOutcome run(std::string source = {}, ConflictMode mode = ConflictMode::newer)
    {
        RunSettings settings;
        settings.entries.push_back({source.empty() ? src() : source, "ja", "*.txt", dst()});
        settings.mode = mode;
        settings.showSummary = false;
        return controller.start(settings);
    }
    // As /SKIPERRORS /LOG=lauf.log: nobody watches, the log is in the tree.
    void startUnattended()
    {
        RunSwitches switches;
        switches.skipErrors = true;
        switches.logArgument = tree.path("lauf.log");
        controller.takeSwitches(switches);
        controller.openLog(tree.path("tresorix.INI"));
    }
    std::string text(TProgress::Text value) const { return progress.shownText(value); }

    test::TempTree tree;
    TProgress progress;
    test::RecordingView main;  // the main window's side: its status-bar values
    std::vector<bool> locks;
    RunController controller;
};

TEST_F(RunControllerTest, APromptShowsTheLatestValuesBehindIt)
{
    tree.write("src\\a.txt", "a");
    tree.write("src\\sub\\b.txt", "bb", test::FileTimeOf(2020, 1, 1, 0, 0, 0));
    tree.write("dst\\sub\\b.txt", "old", test::FileTimeOf(2019, 1, 1, 0, 0, 0));
    // Frozen: only the run's start and the prompt put values into the controls.
    progress.setTickSource([] { return 5u; });
    std::vector<std::string> seen;
    ScriptedAnswerer answers;
    answers.thenDo(mrNo, [&] {
        seen = {text(TProgress::LbFile), text(TProgress::LbQuelle), text(TProgress::LbFileCtr),
                text(TProgress::lbCheckedBytes), main.status.empty() ? "" : main.status.back()};
    });
    EXPECT_EQ(run({}, ConflictMode::ask), RunOutcome::finished);
    ASSERT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(seen, (std::vector<std::string>{"b.txt", src() + "sub\\*.txt", "2", FormatBytes(3),
                                              src() + "sub\\b.txt"}));
}

TEST_F(RunControllerTest, FailedSourceDirectoryStillUnlocksAndHides)
{
    ScriptedAnswerer answers;
    answers.then(mrOk, "Fehler: Konnte nicht in das Quellverzeichnis");
    EXPECT_EQ(run(tree.path("fehlt\\")), RunOutcome::sourceFailed);
    EXPECT_EQ(locks, (std::vector<bool>{false, true}));
    EXPECT_FALSE(progress.visible());
    EXPECT_TRUE(main.status.empty()) << "no result line";
}

// With /SKIPERRORS nobody sees a box: the question takes its way past, the
// log says that nobody answered, and the exit code that something was
// passed over.
TEST_F(RunControllerTest, UnattendedRunTakesThePromptsWayPastWithoutABox)
{
    tree.write("src\\neu.txt", "neu");
    tree.write("src\\alt.txt", "quelle");
    tree.write("dst\\alt.txt", "ziel");
    startUnattended();
    ScriptedAnswerer nobody;  // fails the test at any box
    EXPECT_EQ(run({}, ConflictMode::ask), RunOutcome::finished);
    EXPECT_TRUE(nobody.asked().empty());
    EXPECT_EQ(test::ReadAll(dst() + "neu.txt"), "neu");
    EXPECT_EQ(test::ReadAll(dst() + "alt.txt"), "ziel");
    EXPECT_EQ(controller.exitCode(), kExitPassedOver);
    const std::string log = test::ReadAll(tree.path("lauf.log"));
    EXPECT_NE(log.find("überschreiben ?"), std::string::npos) << log;
    EXPECT_NE(log.find("Antwort: Nein (ohne Anzeige, /SKIPERRORS)\r\n"), std::string::npos) << log;
}

// Nobody watches a scheduled run: one that a prompt without a way past
// ended closes like any other, and a message after it (settings that
// cannot be written) goes on record instead of into a box that would keep
// the task from ever ending.
TEST_F(RunControllerTest, NobodyWatchingMeansNoBoxAndAWindowThatCloses)
{
    startUnattended();
    ScriptedAnswerer nobody;  // fails the test at any box
    // As the engine ends such a run: its answer Cancel cancels the state.
    controller.backup = [&](const RunSettings&) {
        controller.state().cancel();
        return RunOutcome::endedByError;
    };
    EXPECT_EQ(run(), RunOutcome::endedByError);
    EXPECT_TRUE(controller.closesAfter(RunOutcome::endedByError));

    controller.backup = [](const RunSettings&) { return RunOutcome::finished; };
    EXPECT_EQ(run(), RunOutcome::finished);
    EXPECT_EQ(controller.exitCode(), kExitAllSaved);
    controller.tell("nach C:\\T\\tresorix.INI kann nicht geschrieben werden");
    EXPECT_TRUE(nobody.asked().empty());
    EXPECT_EQ(controller.exitCode(), kExitPassedOver);
    const std::string log = test::ReadAll(tree.path("lauf.log"));
    EXPECT_TRUE(log.ends_with("nach C:\\T\\tresorix.INI kann nicht geschrieben werden  Exitcode 1\r\n")) << log;
}

// What start-up had to tell while nobody watched (here a switch value that
// is no number) is on the first run's record after its first line, which
// says how long versions are kept; the exit code says someone should read it.
TEST_F(RunControllerTest, StartMessagesOfAnUnattendedStartAreOnTheRunsRecord)
{
    tree.write("src\\a.txt", "a");
    const std::string logFile = tree.path("lauf.log");
    controller.takeSwitches(ReadRunSwitches("/SKIPERRORS ", {"/LOG=" + logFile, "/VERSIONEN=30d", "/SKIPERRORS"}));
    controller.takeVersionSetting(30);
    controller.openLog(tree.path("tresorix.INI"));
    ScriptedAnswerer nobody;
    const std::string told = "Der Schalter " + controller.switches().unreadableVersions + " ist keine Zahl.\r\nSo.";
    controller.tellAtStart(told, true);
    EXPECT_EQ(run(), RunOutcome::finished);
    EXPECT_EQ(controller.exitCode(), kExitPassedOver);
    EXPECT_EQ(test::ReadAll(dst() + "a.txt"), "a");
    controller.startedUp();
    EXPECT_EQ(run(), RunOutcome::finished);
    EXPECT_EQ(controller.exitCode(), kExitAllSaved) << "told once";
    EXPECT_TRUE(nobody.asked().empty());

    const std::string log = test::ReadAll(logFile);
    const std::string first = "  Versionen: 30 Tage\r\n  Meldung: Der Schalter /VERSIONEN=30d ist keine Zahl. / So.  "
                              "Antwort: OK (ohne Anzeige, /SKIPERRORS)\r\nEintrag 1: ";
    const size_t at = log.find(first);
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find("Meldung", at + first.size()), std::string::npos) << log;
    EXPECT_NE(log.find("  Versionen: 30 Tage\r\nEintrag 1: ", at + first.size()), std::string::npos) << log;
}

// Whoever cancelled the last run, the next one runs to its end.
TEST_F(RunControllerTest, ACancelFromTheLastRunDoesNotStopTheNext)
{
    tree.write("src\\a.txt", "a");
    controller.state().cancel();
    EXPECT_EQ(run(), RunOutcome::finished);
    EXPECT_FALSE(controller.state().cancelled());
    EXPECT_EQ(test::ReadAll(dst() + "a.txt"), "a");
    EXPECT_EQ(controller.exitCode(), kExitAllSaved);
}

}  // namespace
}  // namespace tresorix
