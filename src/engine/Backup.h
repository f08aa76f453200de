// The backup run: every entry and mask through the directory walk, every
// matching file through the transfer with its conflict rules and prompts.
// Runs on the user-interface thread; the view's pump lets events through at
// fixed points, and a cancel in the run state is the only way back into
// the run.
#pragma once

#include "engine/FileList.h"
#include "engine/MadeDirectories.h"
#include "engine/RunLog.h"
#include "engine/RunPrompts.h"
#include "engine/Versions.h"
#include "platform/FileSystem.h"
#include "set/Filters.h"
#include "set/Text.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tresorix {

// What one run counts and learns; each run starts it afresh, and the
// controller reads it when the run is over.
struct RunCounts {
    uint64_t checkedFiles = 0, checkedBytes = 0, savedFiles = 0, savedBytes = 0;
    // For the run log's last line: files and directories passed over, copies that failed.
    uint64_t passedOver = 0, failedFiles = 0;
    // Links and junctions passed over as they lead nowhere: the summary says so.
    uint64_t deadLinks = 0;
    MadeDirectories made;
    bool skipSameDirPrompt = false;
    bool skipRecursionPrompt = false;
    // A file or directory was passed over after an error: the exit code says so.
    bool passedOverAfterError = false;
    // An entry saved nothing because its target drive was not there: the
    // run was ended by an error as far as that entry is concerned.
    bool targetDriveMissing = false;
};

class RunState : public RunCounts {
public:
    // A run's start: the counts begin at zero, a cancel given meanwhile stays.
    void restartCounts() { static_cast<RunCounts&>(*this) = RunCounts{}; }

    // The answer word's Cancel: whoever gives it (a prompt, the progress
    // window, the main window's close), the run ends at its next look, and
    // no later answer takes it back.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // Before a run starts: the last run's Cancel does not stop the next one.
    void clearCancel() { cancelled_ = false; }

private:
    bool cancelled_ = false;
};

// What a run shows. The progress window and the main window implement it;
// a null view serves benchmarks.
class RunView {
public:
    virtual ~RunView() = default;
    virtual void setFile(const std::string& name) {}               // LbFile
    virtual void setSource(const std::string& text) {}             // LbQuelle
    virtual void setTarget(const std::string& directory) {}        // LbZiel
    virtual void setFileProgress(int percent) {}                   // FileProg
    virtual void setDirProgress(int percent) {}                    // DirProg
    virtual void setChecked(uint64_t files, uint64_t bytes) {}     // LbFileCtr, lbCheckedBytes
    virtual void setSaved(uint64_t files, uint64_t bytes) {}       // LbCopyFileCtr, lbBUpBytes, panel 0
    virtual void setStatusText(const std::string& text) {}         // status bar panel 1
    virtual void bringToFront() {}
    // Lets pending window messages through; a handler may cancel the run.
    virtual void processMessages() {}
    // Where the run would otherwise not look at its queue for a while (a
    // copy's blocks): answers what other threads send, so Windows never
    // takes the program for hung, but takes no input and shows no prompt.
    // True when input waiting there asks to cancel; the next
    // processMessages() lets it through.
    virtual bool keepAnswering() { return false; }
    // Paints what the view holds now: before a prompt, at a directory's end.
    virtual void flush() {}
};

// The directory that a target text names for a source directory (ending in "\").
std::string ResolveTarget(const std::string& text, const std::string& source, const std::string& stdZiel);

// When both times are known to the packed format they decide; the comparison
// is that of two-second steps, so times beyond 2107 compare too.
bool SourceIsNewer(const FileEntry& source, const FileEntry& target);

// The name a copy is written under until it is complete: the target's name
// with a suffix of ours, so that the leftover of an interrupted run is known
// again. `attempt` counts the names tried when one is taken by a file that
// cannot be removed.
std::string TemporaryName(const std::string& targetFile, int attempt);

// Directory levels a walk goes below its start at most.
constexpr size_t kMaxWalkDepth = 256;

struct RunSettings {
    std::vector<BackupEntry> entries;
    std::string stdZiel;       // the default target's selected item
    ConflictMode mode = ConflictMode::newer;  // BackUpMode
    bool showSummary = true;   // false with AutoClose or when started by autostart
    RunLog* log = nullptr;     // none: the run leaves no record
    std::string setFile;       // full path; empty when the set has no file yet
    std::string modeText;      // the conflict mode's radio caption
    // Days the old copies a run replaces are kept below each entry's
    // target; 0 keeps none.
    int versionDays = 0;
    // The local time the run started at: the name of its run folders.
    Stamp startedAt;
    // What start-up had to tell while nobody watched: on record after the
    // first line, and the run's exit code is at least 1.
    std::vector<std::string> startMessages;
    // Names every entry leaves out, besides its own (ParseExclusionList).
    std::string exclusions;
    // What the sources no longer hold moves from the targets into the
    // versions; only while versions are kept.
    bool mirror = false;
};

// endedByError: a prompt without a choice to pass over was answered for an
// unattended run.
enum class RunOutcome { finished, cancelled, sourceFailed, endedByError };

// The process's exit codes, as the run log names them.
constexpr int kExitAllSaved = 0;
constexpr int kExitPassedOver = 1;  // something passed over after an error
constexpr int kExitCancelled = 2;
constexpr int kExitEndedByError = 3;
constexpr int kExitNothingRan = 4;  // the process could not run at all
int ExitCode(RunOutcome outcome, const RunCounts& counts);

// An entry's target, resolved, is a full path: "X:\" or "\\server\share\".
bool IsFullPath(const std::string& target);

// How an answer to a prompt passes a file or directory over: the button that
// does, and what it passes over. `choice`: the user's choice rather than a
// reaction to an error (the overwrite question).
struct PassOver {
    ButtonResult button = mrNone;
    std::string what;
    bool choice = false;
};

class Flusher;
class Mirror;
class VersionKeeper;
class DirectoryVisit;

class BackupRun {
    friend class VersionKeeper;
    friend class Mirror;
    friend class DirectoryVisit;
    friend class EntryWalk;
    friend class FileTransfer;

public:
    // Without `prompts` every prompt shows its box.
    BackupRun(FileSystem& fs, RunView& view, RunState& state, RunPrompts* prompts = nullptr);
    ~BackupRun();

    // Before any box shows while the run goes on: the pending copies take
    // their names and the target is let go of, as the user may want to
    // change the medium, and Windows refuses to eject a drive with an open
    // handle.
    void letGoBeforePrompt();

    RunOutcome BackUpStart(const RunSettings& settings);

    // True when the same file is to be handed over again (a medium was changed).
    bool BackupFile(const std::string& source, const std::string& target, const FileEntry& file,
                    uint64_t dirDone, uint64_t dirCount);

private:
    // The current visit's batch, named.
    void finishCopies();
    // Answered by whoever the run was given, or by a box.
    Answer askThrough(const Prompt& prompt);
    // Asks, or has it answered for an unattended run. A Cancel, where the
    // prompt offers one, cancels the run; a cancelled run's answer is Cancel.
    ButtonResult ask(bool confirm, const std::string& text, uint32_t buttons, const PassOver& pass = {});
    void noteCopied(const std::string& sourceFile, uint64_t size);
    void noteMadeDirectory(const std::string& directory);
    void notePassedOver(const std::string& what);
    bool backUpEntry(const BackupEntry& entry, int number, const std::string& stdZiel);
    void endRecord(RunOutcome outcome, const std::string& summary);
    void flushLog();

    FileSystem& fs_;
    RunView& view_;
    RunState& state_;
    RunPrompts* prompts_;
    ConflictMode mode_ = ConflictMode::newer;
    std::unique_ptr<VersionKeeper> versions_;  // of the current run
    std::unique_ptr<Mirror> mirror_;           // of the current run
    RunLog* log_ = nullptr;
    std::unique_ptr<char[]> buffer_;  // the copies', made with the first one and kept for the run
    // The directory visit going on, or the last one: made when a visit
    // starts.
    std::unique_ptr<DirectoryVisit> visit_;
    std::unique_ptr<Flusher> flusher_;  // after visit_: it is stopped before its copies go

    // What one run learns as it goes; reset when it starts.
    struct RunCaches {
        bool sourceFailed = false;
        bool endedByError = false;
        // The current entry's target drive stayed missing: its walk ends.
        bool targetDriveGone = false;
        // Every entry's target, known by identity too (asked only when a
        // link could lead into one), as the directories the run made are.
        std::vector<std::string> entryTargets;
        size_t entryTargetsIdentified = 0;
        std::vector<FileId> entryTargetIds;
        // The settings' exclusions, taken apart once for every entry.
        Exclusions everyEntry;
        // An entry that was not walked at all: its target no full path.
        bool entryNotWalked = false;
    } caches_;
};

}  // namespace tresorix
