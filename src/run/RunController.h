// The run as its own object: it starts a backup in the progress window and
// owns what a run needs beyond the engine — the run state, the file system,
// the run log, the lock of the main window, the prompt handler a run puts
// in front, and the unattended policy: what the command line says about
// runs, which prompts nobody answers, and the process's exit code.
#pragma once

#include "dialogs/ProgressWindow.h"
#include "engine/Backup.h"
#include "platform/AnsweringFileSystem.h"
#include "platform/Win32FileSystem.h"
#include "run/RunLogFile.h"
#include "ui/Prompts.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tresorix {

// What the command line says about runs, read once at start-up.
struct RunSwitches {
    // /SKIPERRORS: nobody watches. Prompts that offer a way past are
    // answered so, the others end the run, and questions about the run
    // itself are answered Yes; all of it goes into the log.
    bool skipErrors = false;
    // /LOG=<file> as written; empty: tresorix.log beside the settings file.
    std::string logArgument;
    // /START without /NOSTART: a run begins as the window shows, when the
    // set's AutoStart is ticked.
    bool startAtShow = false;
    // Started by the autostart value (/HKLMRUN first): no summary box.
    bool startedByAutoRun = false;
    // /VERSIONEN=<days> for this start's runs, over the setting.
    std::optional<int> versionDays;
    // The /VERSIONEN= argument as written when it names no day count.
    std::string unreadableVersions;
    // /SPIEGELN: every run of this start mirrors, unsaved.
    bool mirror = false;
};
// `switches`: as the command line's reading gathered them.
RunSwitches ReadRunSwitches(const std::string& switches, const std::vector<std::string>& arguments);

class RunController : public RunDriver, public RunPrompts {
public:
    RunController() = default;
    ~RunController() override;
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    // The main window: owner of the progress window, view of the run's two
    // status-bar values, and locked (lock(false)) while a run goes on.
    void setMainWindow(HWND owner, RunView& status, std::function<void(bool)> lock);
    // A progress window made elsewhere; without one the first run makes it.
    void setProgressWindow(TProgress& window);
    void takeSwitches(RunSwitches switches) { switches_ = std::move(switches); }
    const RunSwitches& switches() const { return switches_; }
    // The days to keep versions: the setting's at start-up unless the
    // command line says otherwise; a later pick of the user's wins over
    // both for this session's runs.
    void takeVersionSetting(int days) { versionDays_ = switches_.versionDays.value_or(days); }
    void pickVersionDays(int days) { versionDays_ = days; }
    int versionDays() const { return versionDays_; }
    // Opens the log where the switches or the settings file's folder say.
    void openLog(const std::string& settingsPath);

    // One whole run: locks the main window, shows the progress window, runs
    // every entry, shows the final values, unlocks and hides, also after an
    // exception. Fills in what the policy decides (versions, log, start
    // time). A call while a run goes on does nothing and gives cancelled.
    RunOutcome start(RunSettings& settings);
    bool running() const { return running_; }
    // Counters stay readable after the run; cancel() reaches a running one.
    RunState& state() { return state_; }
    bool unattended() const { return switches_.skipErrors; }
    // The summary box ends a run that nobody set to close after it and
    // that the autostart value did not start.
    bool showsSummary(bool autoClose) const { return !autoClose && !switches_.startedByAutoRun; }
    // Whether a window set to close after a run may close after this one:
    // any run that nobody cancelled, whatever ended it. A cancel (or the
    // window's close) once every file was saved finishes the run but still
    // asks for no close after it.
    bool closesAfter(RunOutcome outcome) const;

    // Nobody is there to read a box: /SKIPERRORS, a start by the autostart
    // value, or Windows ending the session.
    bool nobodyWatches() const;
    // A message outside a run: shown, or where nobody watches, put on
    // record with an exit code of at least 1 instead, as a box nobody
    // closes would keep a scheduled task from ever ending.
    void tell(const std::string& text);
    // Start-up: a message that a scheduled run would wait for in vain goes
    // into the log with the start's run, or with the start that found
    // nothing to run; told otherwise.
    void tellAtStart(const std::string& text, bool starting);
    // Start-up is over: what it told and no run took on record is put on
    // record now; it is no news for a later start.
    void startedUp();
    // A start that finds nothing to back up, on record. True when it was
    // answered for an unattended start, so nobody saw it.
    bool nothingToRun(const std::string& text, const std::string& setFile, const std::string& modeText,
                      bool starting);
    // The set named on the command line could not be read.
    void nothingRan() { exitCode_ = kExitNothingRan; }
    // 0 all saved ... 4 nothing could run, as the log names it.
    int exitCode() const { return exitCode_; }
    std::string logPath() const { return logFile_ ? logFile_->path() : std::string(); }

    // RunDriver: the progress window's cancel and the main window's close.
    ButtonResult askAboutRun(const std::string& question) override;
    void cancelRun() override;
    // RunPrompts: the run's own prompts, answered here for an unattended run.
    Answer ask(const Prompt& prompt) override;

    // Windows ends the session: a running backup's record ends now, as the
    // process may not live to end it; nothing more is written to it.
    void endSession();
    // Windows ends the session: from now on nothing modal may show.
    void sessionEnds() { sessionEnding_ = true; }

    // Tests replace the backup itself; the rest of a run stays as it is.
    std::function<RunOutcome(const RunSettings&)> backup;

private:
    TProgress& progress();
    void finish();
    // A box is about to show: the running backup lets go of the target.
    void beforeBox();

    RunSwitches switches_;
    Win32FileSystem fs_;
    // What the run asks of the file system: calls that wait for a medium
    // leave the windows answering.
    AnsweringFileSystem answering_{fs_};
    RunState state_;
    BackupRun* engine_ = nullptr;  // while it runs
    int versionDays_ = 0;
    std::unique_ptr<RunLogFile> logFile_;
    std::unique_ptr<RunLog> log_;
    HWND owner_ = nullptr;
    RunView* status_ = nullptr;
    std::function<void(bool)> lock_;
    TProgress* progress_ = nullptr;
    std::unique_ptr<TProgress> ownProgress_;
    PromptHandler previousPrompt_;
    std::vector<std::string> startMessages_;
    bool running_ = false;
    bool sessionEnding_ = false;
    int exitCode_ = 0;
};

}  // namespace tresorix
