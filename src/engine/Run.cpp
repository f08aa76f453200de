// The run as a whole: every entry and mask in turn, the prompts, the
// counters and the summary.
#include "engine/Backup.h"

#include "engine/Format.h"
#include "ui/Prompts.h"

#include <functional>

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

RunOutcome BackupRun::BackUpStart(const RunSettings& settings)
{
    state_ = RunState{};
    mdKeys_.clear();
    mdKeysIndexed_ = 0;
    sourceFailed_ = false;
    walkPath_.clear();
    entryTargets_.clear();
    ownIds_.clear();
    entryTargetsIdentified_ = madeIdentified_ = 0;
    mode_ = settings.mode;
    // Whoever asks the user anything during the run, the cancel question of
    // the progress window included, the target medium is let go of first:
    // the user may want to change it, and Windows refuses to eject a drive
    // with an open handle.
    struct Release {
        BackupRun& run;
        std::function<void()> previous;
        ~Release()
        {
            run.letGoOfTarget();
            SetBeforePromptHook(std::move(previous));
        }
    } release{*this, SetBeforePromptHook([this] { letGoOfTarget(); })};
    view_.setChecked(0, 0);
    view_.setSaved(0, 0);

    for (const BackupEntry& entry : settings.entries) {
        state_.store(0);
        depthTold_ = false;
        std::string rest = entry.masks;
        do {
            std::string mask;
            size_t semicolon = rest.find(';');
            if (semicolon != std::string::npos) {
                mask = rest.substr(0, semicolon);
                rest.erase(0, semicolon + 1);
            } else {
                mask = std::move(rest);
                rest.clear();
            }
            TrimSpaces(mask, true, true);
            std::string source = AddBackslash(entry.source);
            std::string target = ResolveTarget(entry.target, source, settings.stdZiel);
            if (entryTargets_.empty() || entryTargets_.back() != target)
                entryTargets_.push_back(target);
            state_.store(0);
            BackupDirectory(source, mask, target, HasSubdirs(entry.subdirs));
            if (sourceFailed_) {
                view_.flush();
                return RunOutcome::sourceFailed;
            }
        } while (!rest.empty() && !state_.cancelled());
        if (state_.cancelled())
            break;
    }

    view_.flush();
    if (state_.cancelled()) {
        view_.setStatusText("Backup wurde durch Nutzer abgebrochen.");
        return RunOutcome::cancelled;
    }
    view_.setStatusText("Backup beendet.   " + FormatBytes(state_.savedBytes) + " von " +
                        FormatBytes(state_.checkedBytes) + " wurden gesichert.");
    if (settings.showSummary) {
        view_.flush();
        AskInfo("Backup beendet.\r\n" + std::to_string(state_.savedFiles) + " Dateien wurden gesichert.\r\n" +
                    "\r\ngeprüft :     " + FormatBytes(state_.checkedBytes) + "  (" +
                    GroupDigits(int64_t(state_.checkedBytes), " ") + " Bytes)    " + "\r\ngesichert :  " +
                    FormatBytes(state_.savedBytes) + "  (" + GroupDigits(int64_t(state_.savedBytes), " ") +
                    " Bytes)",
                btnOK);
    }
    return RunOutcome::finished;
}

uint16_t BackupRun::ask(bool confirm, const std::string& text, uint32_t buttons)
{
    view_.flush();
    return confirm ? AskConfirm(text, buttons) : AskInfo(text, buttons);
}

}  // namespace tresorix
