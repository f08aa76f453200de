// The run as a whole: every entry and mask in turn, the prompts, the
// counters and the summary.
#include "engine/Backup.h"

#include "engine/DirectoryVisit.h"
#include "engine/EntryWalk.h"
#include "engine/Flusher.h"
#include "engine/Format.h"
#include "engine/Mirror.h"
#include "engine/VersionKeeping.h"
#include "ui/Prompts.h"

namespace tresorix {

namespace {

// Removes the first occurrence of `placeholder` and a backslash right after
// it, and puts `insert` in its place.
void replacePlaceholder(std::string& text, std::string_view placeholder, const std::string& insert)
{
    size_t at = text.find(placeholder);
    if (at == std::string::npos)
        return;
    text.erase(at, placeholder.size());
    if (at < text.size() && text[at] == '\\')
        text.erase(at, 1);
    text.insert(at, insert);
}

// Said only when there were any: the box is otherwise as it always was.
std::string deadLinksLine(uint64_t count)
{
    if (count == 0)
        return {};
    return std::to_string(count) + (count == 1 ? " Verknüpfung ohne Ziel wurde übergangen.\r\n"
                                               : " Verknüpfungen ohne Ziel wurden übergangen.\r\n");
}

}  // namespace

std::string ResolveTarget(const std::string& text, const std::string& source, const std::string& stdZiel)
{
    std::string result = text;
    replacePlaceholder(result, "<Standardziel>", AddBackslash(stdZiel));
    replacePlaceholder(result, "<Lw>", std::string("\\") + (source.empty() ? '\\' : source[0]) + "\\");
    size_t firstSlash = source.find('\\');
    std::string path = firstSlash == std::string::npos ? std::string() : source.substr(firstSlash + 1);
    std::string quellpfad(1, '\\');
    quellpfad += AddBackslash(path);
    replacePlaceholder(result, "<Quellpfad>", quellpfad);
    result = AddBackslash(result);
    // A doubled backslash at the very start names a share and stays.
    for (size_t pair; (pair = result.find("\\\\", 1)) != std::string::npos;)
        result.erase(pair, 1);
    return result;
}

bool IsFullPath(const std::string& target)
{
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (target.size() >= 3 && letter(target[0]) && target[1] == ':' && target[2] == '\\')
        return true;
    if (!target.starts_with("\\\\"))
        return false;
    size_t server = target.find('\\', 2);
    size_t share = server == std::string::npos ? server : target.find('\\', server + 1);
    return server != std::string::npos && server > 2 && share != std::string::npos && share > server + 1;
}

int ExitCode(RunOutcome outcome, const RunCounts& counts)
{
    switch (outcome) {
    case RunOutcome::finished:
        if (counts.targetDriveMissing)
            return kExitEndedByError;
        return counts.passedOverAfterError ? kExitPassedOver : kExitAllSaved;
    case RunOutcome::cancelled:
        return kExitCancelled;
    case RunOutcome::sourceFailed:
    case RunOutcome::endedByError:
        break;
    }
    return kExitEndedByError;
}

BackupRun::BackupRun(FileSystem& fs, RunView& view, RunState& state, RunPrompts* prompts)
    : fs_(fs), view_(view), state_(state), prompts_(prompts), flusher_(std::make_unique<Flusher>())
{
}

BackupRun::~BackupRun() = default;

RunOutcome BackupRun::BackUpStart(const RunSettings& settings)
{
    state_.restartCounts();
    caches_ = {};
    log_ = settings.log;
    mode_ = settings.mode;
    versions_ = std::make_unique<VersionKeeper>(*this, settings.versionDays, settings.startedAt);
    mirror_ = std::make_unique<Mirror>(*this, settings.mirror);
    mirror_->begin(versions_->keepsVersions());
    struct Release {
        BackupRun& run;
        ~Release()
        {
            // The last visit's target is let go of with the run; left by
            // an exception, an unfinished copy is no copy.
            run.flusher_->wait();
            run.visit_.reset();
        }
    } release{*this};
    view_.setChecked(0, 0);
    view_.setSaved(0, 0);
    caches_.everyEntry = ParseExclusionList(settings.exclusions);
    if (log_) {
        log_->begin(settings.setFile, settings.modeText, settings.versionDays);
        for (const std::string& message : settings.startMessages)
            log_->prompt(message, "OK", true);
        if (!caches_.everyEntry.empty())
            log_->exclusions(settings.exclusions);
    }
    if (versions_->keepsVersions()) {
        std::vector<std::string> targets;
        for (const BackupEntry& entry : settings.entries)
            targets.push_back(ResolveTarget(entry.target, AddBackslash(entry.source), settings.stdZiel));
        versions_->prepare(targets);
    }
    flushLog();
    if (!settings.startMessages.empty())
        state_.passedOverAfterError = true;

    int number = 0;
    for (const BackupEntry& entry : settings.entries) {
        bool sourceFailed = !backUpEntry(entry, ++number, settings.stdZiel);
        finishCopies();
        flushLog();
        if (sourceFailed) {
            mirror_->mirror(false, settings.entries.size());
            versions_->pruneVersions();
            view_.flush();
            endRecord(RunOutcome::sourceFailed, "Backup wegen eines Fehlers im Quellverzeichnis beendet.");
            return RunOutcome::sourceFailed;
        }
        if (state_.cancelled())
            break;
    }

    // Once every copy is complete, cancelled or not; the moves first, so
    // that the pruning knows their run folder.
    mirror_->mirror(!state_.cancelled() && !caches_.endedByError && !caches_.entryNotWalked,
                    settings.entries.size());
    versions_->pruneVersions();
    // A cancel or a close that comes from here on finds every file saved:
    // it cuts nothing short, and the record says that the run finished.
    const bool cutShort = state_.cancelled();
    // What the user typed or clicked during the last copy reaches the
    // windows it was meant for, not the summary box.
    view_.processMessages();
    view_.flush();
    if (cutShort) {
        // Nobody cancelled: a prompt that offered no way past ended the run.
        if (caches_.endedByError) {
            view_.setStatusText("Backup wurde durch eine Meldung ohne Ausweg beendet.");
            endRecord(RunOutcome::endedByError, "Backup wurde durch eine Meldung ohne Ausweg beendet.");
            return RunOutcome::endedByError;
        }
        view_.setStatusText("Backup wurde durch Nutzer abgebrochen.");
        endRecord(RunOutcome::cancelled, "Backup wurde durch Nutzer abgebrochen.");
        return RunOutcome::cancelled;
    }
    view_.setStatusText("Backup beendet.   " + FormatBytes(state_.savedBytes) + " von " +
                        FormatBytes(state_.checkedBytes) + " wurden gesichert.");
    const std::string summary =
        "Backup beendet.\r\n" + std::to_string(state_.savedFiles) + " Dateien wurden gesichert.\r\n" +
        deadLinksLine(state_.deadLinks) + "\r\ngeprüft :     " + FormatBytes(state_.checkedBytes) + "  (" +
        GroupDigits(int64_t(state_.checkedBytes), " ") + " Bytes)    " + "\r\ngesichert :  " +
        FormatBytes(state_.savedBytes) + "  (" + GroupDigits(int64_t(state_.savedBytes), " ") + " Bytes)";
    // Written before the box: a run whose box nobody closes is on record.
    endRecord(RunOutcome::finished, summary);
    // Whoever asked to stop (or to close the program) is not kept waiting.
    if (settings.showSummary && !state_.cancelled()) {
        view_.flush();
        Prompt report{PromptKind::info, summary, btnOK};
        report.report = true;
        askThrough(report);
    }
    return RunOutcome::finished;
}

// Every mask of one entry; false when a source directory could not be
// entered, which ends the run.
bool BackupRun::backUpEntry(const BackupEntry& entry, int number, const std::string& stdZiel)
{
    const std::string source = AddBackslash(entry.source);
    const std::string target = ResolveTarget(entry.target, source, stdZiel);
    const bool recurse = HasSubdirs(entry.subdirs);
    caches_.entryTargets.push_back(target);
    // On disk at once: a run killed in a long entry shows where it was.
    if (log_) {
        log_->entry(number, source, recurse, entry.masks, target);
        flushLog();
    }
    // A relative or empty target would put the files wherever the program
    // happens to stand, a bare "\" into the root of the current drive.
    if (!IsFullPath(target)) {
        ask(false,
            "Eintrag " + std::to_string(number) + " (" + entry.source + ") wird nicht gesichert:\r\nsein Ziel \"" +
                target + "\" ist kein vollständiger Pfad.",
            btnOK, {mrOk, source});
        caches_.entryNotWalked = true;
        return true;
    }
    MaskList list = ParseMaskList(entry.masks);
    list.excluded.add(caches_.everyEntry);
    if (mirror_->recording())
        mirror_->startEntry(number, source, target, list.masks, list.excluded);
    EntryWalk walk(*this, list.excluded);
    caches_.targetDriveGone = false;
    const uint64_t savedBefore = state_.savedFiles;
    for (const std::string& mask : list.masks) {
        walk.BackupDirectory(source, mask, target, recurse);
        if (caches_.sourceFailed || state_.cancelled() || caches_.targetDriveGone)
            break;
    }
    if (log_ && !list.excluded.empty())
        log_->leftOut(walk.leftOutFiles(), walk.leftOutDirectories());
    if (mirror_->recording())
        mirror_->entryEnded(!caches_.sourceFailed && !state_.cancelled() && !caches_.targetDriveGone);
    // The other entries still run; a drive unplugged halfway leaves what
    // was saved before it went.
    if (caches_.targetDriveGone && state_.savedFiles == savedBefore)
        state_.targetDriveMissing = true;
    return !caches_.sourceFailed;
}

void BackupRun::endRecord(RunOutcome outcome, const std::string& summary)
{
    if (!log_)
        return;
    const char* how = "Durch einen Fehler beendet.";
    if (outcome == RunOutcome::finished)
        how = "Beendet.";
    else if (outcome == RunOutcome::cancelled)
        how = "Abgebrochen.";
    log_->end(summary, state_.checkedFiles, state_.checkedBytes, state_.savedFiles, state_.savedBytes, how,
              ExitCode(outcome, state_), state_.passedOver, state_.failedFiles);
    flushLog();
}

// A log that cannot be written is told once and otherwise left alone: the
// backup itself matters more than its record.
void BackupRun::flushLog()
{
    if (!log_)
        return;
    if (!log_->flush()) {
        view_.setStatusText("Protokoll kann nicht geschrieben werden; das Backup läuft ohne Protokoll weiter.");
        log_ = nullptr;
    }
}

void BackupRun::noteCopied(const std::string& sourceFile, uint64_t size)
{
    if (log_)
        log_->copied(sourceFile, size);
}

void BackupRun::noteMadeDirectory(const std::string& directory)
{
    if (log_)
        log_->madeDirectory(directory);
}

void BackupRun::notePassedOver(const std::string& what)
{
    ++state_.passedOver;
    if (log_)
        log_->passedOver(what);
}

namespace {

std::string caption(ButtonResult result)
{
    for (const ButtonInfo& button : kButtons) {
        if (button.result != result)
            continue;
        std::string text;
        for (char c : std::string_view(button.caption))
            if (c != '&')
                text += c;
        return text;
    }
    return std::to_string(result);
}

}  // namespace

void BackupRun::letGoBeforePrompt()
{
    if (!visit_)
        return;
    visit_->finishCopies();
    visit_->hold = {};
}

void BackupRun::finishCopies()
{
    if (visit_)
        visit_->finishCopies();
}

Answer BackupRun::askThrough(const Prompt& prompt)
{
    if (prompts_)
        return prompts_->ask(prompt);
    letGoBeforePrompt();
    return {ShowPrompt(prompt), false};
}

ButtonResult BackupRun::ask(bool confirm, const std::string& text, uint32_t buttons, const PassOver& pass)
{
    finishCopies();
    view_.flush();
    // On record before the box: a run nobody answers is found waiting here.
    if (log_)
        flushLog();
    const Answer given = askThrough({confirm ? PromptKind::confirm : PromptKind::info, text, buttons, pass.button});
    const ButtonResult answer = given.result;
    // Nobody cancelled: a prompt without a way past ended an unattended run.
    caches_.endedByError = caches_.endedByError || (given.unattended && answer == mrCancel);
    if (answer == mrCancel && (buttons & btnCancel))
        state_.cancel();
    // All is OK for this directory and the later ones alike.
    const bool passed = pass.button && (answer == pass.button || (pass.button == mrOk && answer == mrAll));
    // Nobody chose when the program answered.
    if (passed && (!pass.choice || given.unattended))
        state_.passedOverAfterError = true;
    if (passed)
        ++state_.passedOver;
    if (log_) {
        log_->prompt(text, caption(answer), given.unattended);
        if (passed)
            log_->passedOver(pass.what);
        flushLog();
    }
    // Once cancelled, by this box or from outside while it showed, the run
    // takes no other answer.
    return state_.cancelled() ? mrCancel : answer;
}

}  // namespace tresorix
