#include "run/RunController.h"

#include "run/UnattendedAnswer.h"
#include "set/CommandLine.h"

#include <algorithm>
#include <utility>

namespace tresorix {

RunSwitches ReadRunSwitches(const std::string& given, const std::vector<std::string>& arguments)
{
    RunSwitches switches;
    switches.skipErrors = SwitchSkipsErrors(given);
    switches.logArgument = LogFileArgument(arguments);
    switches.startAtShow = StartsBackupAtShow(given, true);
    switches.startedByAutoRun = StartedByAutoRun(arguments);
    VersionSwitch versions = VersionDaysArgument(arguments);
    switches.versionDays = versions.days;
    switches.unreadableVersions = std::move(versions.unreadable);
    switches.mirror = SwitchMirrors(given);
    return switches;
}

// The progress window may outlive us (a test's); it is not touched here.
RunController::~RunController() = default;

void RunController::setMainWindow(HWND owner, RunView& status, std::function<void(bool)> lock)
{
    owner_ = owner;
    status_ = &status;
    lock_ = std::move(lock);
}

void RunController::setProgressWindow(TProgress& window)
{
    progress_ = &window;
    window.setDriver(this);
}

void RunController::openLog(const std::string& settingsPath)
{
    const std::string& argument = switches_.logArgument;
    logFile_ = std::make_unique<RunLogFile>(RunLogPath(argument, settingsPath), argument.empty());
    log_ = std::make_unique<RunLog>(*logFile_);
}

TProgress& RunController::progress()
{
    // Made with the first run: an unattended start that finds nothing to
    // do spares Wine the window.
    if (!progress_) {
        ownProgress_ = std::make_unique<TProgress>(owner_);
        setProgressWindow(*ownProgress_);
    }
    return *progress_;
}

RunOutcome RunController::start(RunSettings& settings)
{
    if (running_)
        return RunOutcome::cancelled;
    running_ = true;
    // The last run's Cancel does not stop this one.
    state_.clearCancel();
    settings.versionDays = versionDays_;
    settings.mirror = settings.mirror || switches_.mirror;
    settings.log = log_.get();
    settings.startMessages = std::exchange(startMessages_, {});
    SYSTEMTIME now;
    GetLocalTime(&now);
    settings.startedAt = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    TProgress& view = progress();
    // Every prompt of the run shows the latest values behind it.
    previousPrompt_ = SetPromptHandler([this](PromptKind kind, const std::string& text, ButtonSet buttons) {
        progress().showNow();
        return previousPrompt_ ? previousPrompt_(kind, text, buttons) : mrCancel;
    });
    RunOutcome outcome = RunOutcome::cancelled;
    try {
        if (lock_)
            lock_(false);
        view.beginRun(status_);
        if (backup) {
            outcome = backup(settings);
        } else {
            BackupRun run(answering_, view, state_, this);
            engine_ = &run;
            outcome = run.BackUpStart(settings);
            engine_ = nullptr;
        }
    } catch (...) {
        engine_ = nullptr;
        finish();
        throw;
    }
    finish();
    exitCode_ = ExitCode(outcome, state_);
    return outcome;
}

void RunController::finish()
{
    SetPromptHandler(std::move(previousPrompt_));
    TProgress& view = progress();
    view.endRun();
    if (lock_)
        lock_(true);
    view.show(false);
    running_ = false;
}

bool RunController::closesAfter(RunOutcome outcome) const
{
    // A prompt answered Cancel for an unattended run ended it, not a user:
    // a scheduled run whose window stays never ends, and Task Scheduler
    // skips every later one. A user who cancelled (or closed the window)
    // once every file was saved finished the run, but asked for no close.
    return outcome != RunOutcome::cancelled && !(outcome == RunOutcome::finished && state_.cancelled());
}

bool RunController::nobodyWatches() const
{
    return switches_.skipErrors || switches_.startedByAutoRun || sessionEnding_;
}

void RunController::tell(const std::string& text)
{
    if (!nobodyWatches()) {
        AskInfo(text, btnOK);
        return;
    }
    exitCode_ = std::max(exitCode_, kExitPassedOver);
    if (log_)
        log_->unseenMessage(text, exitCode_);
}

void RunController::tellAtStart(const std::string& text, bool starting)
{
    if (starting && nobodyWatches())
        startMessages_.push_back(text);
    else
        tell(text);
}

void RunController::startedUp()
{
    for (const std::string& message : std::exchange(startMessages_, {}))
        tell(message);
}

bool RunController::nothingToRun(const std::string& text, const std::string& setFile, const std::string& modeText,
                                 bool starting)
{
    // On record: a scheduled start that did nothing is as much news as one
    // that failed.
    exitCode_ = kExitNothingRan;
    const bool unattended = starting && nobodyWatches();
    if (log_) {
        log_->begin(setFile, modeText, versionDays_, false);
        for (const std::string& message : startMessages_)
            log_->prompt(message, "OK", true);
        log_->prompt(text, "OK", unattended);
        log_->end("Backup nicht gestartet.", 0, 0, 0, 0, "Nichts gesichert.", kExitNothingRan);
    }
    startMessages_.clear();
    if (!unattended)
        AskInfo(text, btnOK);
    return unattended;
}

ButtonResult RunController::askAboutRun(const std::string& question)
{
    // With /SKIPERRORS the question, too, is answered without a box: a
    // close request or an Escape nobody watches ends the run.
    const bool unattended = running_ && switches_.skipErrors;
    if (!unattended)
        beforeBox();
    const ButtonResult answer = unattended ? mrYes : AskConfirm(question, btnYes | btnNo);
    if (running_ && log_) {
        log_->prompt(question, answer == mrYes ? "Ja" : "Nein", unattended);
        log_->flush();
    }
    return answer;
}

Answer RunController::ask(const Prompt& prompt)
{
    // The closing summary is shown whoever watches; it asks for nothing.
    if (switches_.skipErrors && !prompt.report)
        return {UnattendedAnswer(prompt), true};
    beforeBox();
    return {ShowPrompt(prompt), false};
}

void RunController::beforeBox()
{
    if (engine_)
        engine_->letGoBeforePrompt();
}

void RunController::cancelRun()
{
    // Whatever the last prompt gave, the run ends; the main window is free
    // at once, before the run notices.
    state_.cancel();
    if (running_ && lock_)
        lock_(true);
}

void RunController::endSession()
{
    if (!running_)
        return;
    state_.cancel();
    exitCode_ = ExitCode(RunOutcome::cancelled, state_);
    if (log_) {
        log_->end("Backup abgebrochen.", state_.checkedFiles, state_.checkedBytes, state_.savedFiles,
                  state_.savedBytes, "Windows wird beendet.", exitCode_);
    }
    // The process may end any moment now; should it live on, the run's own
    // end must not follow the one just written.
    if (logFile_)
        logFile_->close();
}

}  // namespace tresorix
