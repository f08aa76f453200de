// The run log: one record per run, appended to a text file that a scheduled
// run leaves behind for the person who looks the next morning. UTF-8 with a
// byte-order mark and CR LF, one line per event.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tresorix {

// The file a log is written to. The program's is a real file; tests keep the
// bytes in memory.
class LogFile {
public:
    virtual ~LogFile() = default;
    // Bytes in the file; 0 when there is none.
    virtual uint64_t size() = 0;
    // Moves the file aside to its ".1" name, replacing an older one.
    virtual bool rollOver() = 0;
    // Appends to the end, creating the file when missing.
    virtual bool append(std::string_view bytes) = 0;
    // The file's last `count` bytes; empty where it cannot tell.
    virtual std::string tail(size_t count) { return {}; }
    // Local date and time, "dd.mm.yyyy hh:nn:ss".
    virtual std::string now() = 0;
};

// Larger than this at the start of a run, the file is moved aside.
constexpr uint64_t kLogRollOverSize = 10ull * 1024 * 1024;

// A prompt's text on one line: each line break shows as " / ".
std::string OneLine(std::string_view text);

class RunLog {
public:
    explicit RunLog(LogFile& file) : file_(file) {}

    // Starts a record. `setFile` empty: the set has no file yet.
    // `versionDays`: how long replaced copies are kept, 0 not at all.
    // `started` false: a start that found nothing to run.
    void begin(const std::string& setFile, const std::string& modeText, int versionDays, bool started = true);
    void entry(int number, const std::string& source, bool subdirs, const std::string& masks,
               const std::string& target);
    void copied(const std::string& sourceFile, uint64_t size);
    // Exclusions: the list for every entry, once per record; a directory
    // left out; what an entry with exclusions left out in all.
    void exclusions(const std::string& list);
    void directoryLeftOut(const std::string& directory);
    void leftOut(uint64_t files, uint64_t directories);
    void madeDirectory(const std::string& directory);
    // `unattended`: answered by the program, the box was not shown.
    void prompt(const std::string& text, const std::string& answer, bool unattended);
    void passedOver(const std::string& what);
    void end(const std::string& summary, uint64_t checkedFiles, uint64_t checkedBytes, uint64_t savedFiles,
             uint64_t savedBytes, const std::string& how, int exitCode, uint64_t passedOver = 0,
             uint64_t failed = 0);
    // Versions of replaced copies: an old copy moved into its run folder;
    // a run folder removed, or left where its removal failed (`error` not 0).
    void versionKept(const std::string& targetFile, const std::string& versionFile);
    // A kept old copy put back under its name, as its new copy failed; where
    // that failed too (`error` not 0), where the old copy stays.
    void versionRestored(const std::string& targetFile, const std::string& versionFile, uint32_t error);
    void versionFolderRemoved(const std::string& folder, const std::string& why, uint32_t error);
    // Too little room: the run folders stayed, as removing them all would
    // still not make enough; the old copy stayed, as it is to become a version.
    void versionsWouldNotHelp(const std::string& target);
    void oldCopyKeptForVersion(const std::string& targetFile);
    // Mirroring: why nothing moved, what an entry moved in all; a file
    // moved from the target into its run folder, or left (`error` not 0).
    void mirrorNote(const std::string& text);
    void mirrorMoved(const std::string& targetFile, const std::string& versionFile, uint32_t error);
    // A message outside a run that nobody was there to see (an unattended
    // start, the end of the session): a record of its own, so that the
    // exit code it leads to is the last one the log names.
    void unseenMessage(const std::string& text, int exitCode);
    // Writes what is buffered. False when the file could not be written; the
    // log then stays silent until the next record begins.
    bool flush();

private:
    void line(const std::string& text);

    LogFile& file_;
    std::string buffer_;
    bool failed_ = false;
};

}  // namespace tresorix
