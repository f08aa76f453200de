// The run over the real file system under Wine, without the fault-injecting
// layer: copies are created, renamed and removed inside the held target
// directory through the system's own calls, and what other programs do to
// the target or the source meanwhile is done for real. Where a fault cannot
// be made with real files, the fault-injecting file system's journal tells
// what the run asked of the medium and in which order.
#include "engine/BackupTest.h"
#include "engine/Format.h"
#include "platform/TextConv.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace tresorix {
namespace {

using test::Attributes;
using test::BackupTest;
using test::Exists;
using test::FaultOp;
using test::IsDirectory;
using test::kNew;
using test::kOld;
using test::LastWrite;
using test::ListNames;
using test::OnExit;
using test::pattern;
using test::ReadAll;
using test::RecordingView;
using test::RunOneEntry;
using test::RunUnixShell;
using test::ScriptedAnswerer;
using test::SetLastWrite;
using test::UnixPath;

// Every file below `directory`, by its path relative to it, with its bytes.
std::map<std::string, std::string> filesBelow(FileSystem& fs, const std::string& directory,
                                              const std::string& relative = {})
{
    std::map<std::string, std::string> files;
    uint32_t error = 0;
    std::unique_ptr<FileListing> listing = fs.list(directory + relative, error);
    FileEntry entry;
    while (listing && listing->next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        if (entry.isDirectory())
            files.merge(filesBelow(fs, directory, relative + entry.name + "\\"));
        else
            files[relative + entry.name] = ReadAll(directory + relative + entry.name);
    }
    return files;
}

// "n12": GCC 12 warns falsely about "n" + std::to_string(12) once inlined.
std::string numbered(char letter, int number)
{
    std::string text(1, letter);
    text += std::to_string(number);
    return text;
}

bool holdsTemporaryName(const std::map<std::string, std::string>& files)
{
    return std::any_of(files.begin(), files.end(),
                       [](const auto& file) { return file.first.find(".~tresorix") != std::string::npos; });
}

// A view that also lets a test act in the middle of a copy: the file
// progress moves above 0 only between a copy's blocks, after its temporary
// file is made and before its rename.
class CopyWatchingView : public RecordingView {
public:
    void setFileProgress(int percent) override
    {
        RecordingView::setFileProgress(percent);
        if (percent > 0 && onCopying)
            onCopying(status.empty() ? std::string() : status.back());
    }
    // Called with the status text, which names the source file.
    std::function<void(const std::string&)> onCopying;
};

class BackupOnDiskTest : public BackupTest {
protected:
    CopyWatchingView watching;
    // On the real file system alone.
    BackupRun onDisk{real, watching, state};
};

TEST_F(BackupOnDiskTest, ReadOnlyTargetIsReplacedOnlyByACompleteCopy)
{
    const std::string bytes = pattern(200000);
    tree.write("src\\f.bin", bytes, kNew);
    tree.write("dst\\f.bin", "the old copy", kOld, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    // Another program opens the old copy while the new one is written and
    // does not let it be deleted: the rename that would replace it fails.
    HANDLE held = INVALID_HANDLE_VALUE;
    watching.onCopying = [&](const std::string&) {
        if (held == INVALID_HANDLE_VALUE)
            held = CreateFileW(LongPath(dst() + "f.bin").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    };
    const std::string notCreated = "Konnte Zieldatei \"" + dst() + "f.bin\" nicht anlegen.\r\nFehler: ";
    ScriptedAnswerer answers;
    answers.then(mrNo, notCreated);
    EXPECT_EQ(RunOneEntry(onDisk, entry("f.bin"), ConflictMode::always), RunOutcome::finished);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(ReadAll(dst() + "f.bin"), "the old copy");
    EXPECT_EQ(LastWrite(dst() + "f.bin"), kOld);
    EXPECT_TRUE(Attributes(dst() + "f.bin") & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ListNames(dst()), "f.bin");
    EXPECT_EQ(state.savedFiles, 0u);

    // Yes once the other program has let go: the rename is tried again.
    CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    answers.thenDo(mrYes, [&] { CloseHandle(held); });
    EXPECT_EQ(RunOneEntry(onDisk, entry("f.bin"), ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(answers.asked().size(), 2u);
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(ReadAll(dst() + "f.bin"), bytes);
    EXPECT_EQ(LastWrite(dst() + "f.bin"), kNew);
    EXPECT_EQ(Attributes(dst() + "f.bin") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ListNames(dst()), "f.bin");

    // Nobody in the way: replaced without a word, read-only or not.
    watching.onCopying = nullptr;
    test::SetAttributes(dst() + "f.bin", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    const std::string newer = pattern(70000, 'A');
    tree.write("src\\f.bin", newer, kNew + 40'000'000);
    EXPECT_EQ(RunOneEntry(onDisk, entry("f.bin"), ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "f.bin"), newer);
    EXPECT_EQ(ListNames(dst()), "f.bin");
    EXPECT_EQ(answers.asked().size(), 2u);
}

TEST_F(BackupOnDiskTest, NamesInTheWayOfTheTargetAreAskedAboutAndNothingIsLost)
{
    // A file where a target directory belongs: Yes tries again, No passes
    // that directory's files over without another word.
    tree.write("src\\c.txt", "c", kOld);
    tree.write("src\\sub\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    tree.write("dst\\sub", "someone's file", kOld);
    const std::string notMade = "Konnte Verzeichnis \"" + dst() + "sub\\\" nicht anlegen bzw. überprüfen.\r\n" +
                                "Fehlermeldung: " + ErrorText(errAlreadyExists) + "\r\nErneut versuchen ?";
    ScriptedAnswerer answers;
    answers.then(mrYes, notMade).then(mrNo, notMade);
    EXPECT_EQ(RunOneEntry(onDisk, entry("*.txt")), RunOutcome::finished);
    EXPECT_EQ(answers.asked().size(), 2u);
    EXPECT_EQ(ReadAll(dst() + "sub"), "someone's file");
    EXPECT_EQ(ListNames(dst()), "c.txt sub");
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(state.checkedFiles, 3u);

    // Names that appear while a copy is written, after the conflict step
    // found them free: a directory and another program's file. Both send
    // the copy back to the conflict step; a directory is no target to
    // compare or overwrite, so its copy fails and says why.
    test::RemoveTree(src());
    test::RemoveTree(dst());
    tree.write("src\\doc.txt", "new doc", kNew);
    tree.write("src\\note.txt", "new note", kNew);
    tree.mkdir("dst");
    std::set<std::string> appeared;
    watching.onCopying = [&](const std::string& status) {
        if (status == src() + "doc.txt" && appeared.insert(status).second)
            tree.write("dst\\doc.txt\\inner.txt", "inner", kOld);
        if (status == src() + "note.txt" && appeared.insert(status).second)
            tree.write("dst\\note.txt", "written meanwhile", kOld);
    };
    answers.then(mrNo, "Konnte Zieldatei \"" + dst() + "doc.txt\" nicht anlegen.\r\nFehler: ");
    answers.then(mrNo, "Zieldatei  " + dst() + "note.txt  überschreiben ?");
    EXPECT_EQ(RunOneEntry(onDisk, entry("*.txt"), ConflictMode::ask), RunOutcome::finished);
    EXPECT_EQ(appeared.size(), 2u);
    EXPECT_EQ(answers.asked().size(), 4u);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(ListNames(dst()), "doc.txt\\ note.txt");
    EXPECT_EQ(ListNames(dst() + "doc.txt\\"), "inner.txt");
    EXPECT_EQ(ReadAll(dst() + "note.txt"), "written meanwhile");
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(state.checkedFiles, 2u);
}

TEST_F(BackupOnDiskTest, LinksFromTheSourceIntoTheTargetStopAtOnce)
{
    const std::string unixSource = UnixPath(src());
    if (unixSource.empty())
        GTEST_SKIP() << "needs Wine's Unix side to make symbolic links";
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    // One link to the entry's target itself, one to a directory the run
    // makes in it before it walks the link's directory.
    OnExit unlink{"rm -f '" + unixSource + "/sub/totarget' '" + unixSource + "/sub/back'"};
    ASSERT_EQ(RunUnixShell("ln -s ../../dst '" + unixSource + "/sub/totarget' && ln -s ../../dst/sub '" + unixSource +
                           "/sub/back'"),
              0);
    const std::string recursion = "Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.\r\n"
                                  "Quellverzeichnis: ";
    ScriptedAnswerer answers;
    answers.then(mrOk, recursion).then(mrOk, recursion);
    EXPECT_EQ(RunOneEntry(onDisk, entry("*.txt")), RunOutcome::finished);
    ASSERT_EQ(answers.asked().size(), 2u);
    std::set<std::string> told;
    for (const auto& prompt : answers.asked())
        told.insert(prompt.text.substr(0, prompt.text.find("\r\nZielverzeichnis")));
    EXPECT_EQ(told, (std::set<std::string>{recursion + src() + "sub\\back\\", recursion + src() + "sub\\totarget\\"}));
    EXPECT_EQ(ListNames(dst()), "a.txt sub\\");
    EXPECT_EQ(ListNames(dst() + "sub\\"), "b.txt");
    EXPECT_EQ(state.savedFiles, 2u);
}

// Another thread changes the source while a run in mode 0 walks it: files
// grow, come and go, directories come. Each round of changes is started
// from the run's event pump, so every round falls inside the run and the
// rounds run alongside the copies. Whatever the run saw, one quiet run after
// it must leave every source file's bytes in the target.
TEST_F(BackupOnDiskTest, SourceChangedDuringARunIsCompleteAfterOneQuietRun)
{
    // Times of changes lie ahead of the clock, four seconds apart: a file's
    // time while it is written (the clock) is always older than the time
    // that marks the change as done.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t base = (uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime) + 864'000'000'000ull;
    constexpr uint64_t kStep = 40'000'000;
    const std::vector<std::string> dirs = {"", "d1\\", "d2\\"};
    for (const std::string& dir : dirs)
        for (int i = 0; i < 8; ++i)
            tree.write("src\\" + dir + "f" + std::to_string(i) + ".txt", pattern(1000 + i * 19000, char('a' + i)),
                       kOld);
    for (int i = 0; i < 6; ++i)
        tree.write("src\\g" + std::to_string(i) + ".txt", pattern(3000, 'g'), kOld);
    tree.mkdir("stage");
    ScriptedAnswerer quiet;
    ASSERT_EQ(RunOneEntry(onDisk, entry("*.*")), RunOutcome::finished);
    // Every file is newer than its copy now, so the run replaces them all.
    for (const auto& [name, bytes] : filesBelow(real, src()))
        test::SetLastWrite(src() + name, kNew);

    constexpr int kRounds = 24;
    std::mutex m;
    std::condition_variable cv;
    int triggered = 0, done = 0;
    bool ended = false;
    std::set<std::string> deleting;
    std::vector<std::string> unexpected;
    auto change = [&](int round) {
        const uint64_t time = base + kStep * uint64_t(round + 1);
        const FILETIME stamp{DWORD(time), DWORD(time >> 32)};
        const std::string dir = dirs[size_t(round) % dirs.size()];
        // Appended to, then marked with the time of the change; a file
        // grows again some rounds later.
        const std::string grown = src() + dir + "f" + std::to_string(round % 5) + ".txt";
        HANDLE h = CreateFileW(LongPath(grown).c_str(), FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            const std::string tail = pattern(size_t(4000 + round * 997), char('A' + round % 20));
            DWORD put = 0;
            WriteFile(h, tail.data(), DWORD(tail.size()), &put, nullptr);
            SetFileTime(h, nullptr, nullptr, &stamp);
            CloseHandle(h);
        }
        // New files and directories come complete, by a rename.
        const std::string name = numbered('n', round) + ".txt";
        tree.write("stage\\" + name, pattern(size_t(500 + round * 3001), 'n'), time);
        MoveFileW(LongPath(tree.path("stage\\" + name)).c_str(), LongPath(src() + dir + name).c_str());
        if (round % 3 == 0) {
            const std::string sub = numbered('s', round);
            tree.write("stage\\" + sub + "\\x.txt", pattern(size_t(2000 + round), 'x'), time);
            MoveFileW(LongPath(tree.path("stage\\" + sub)).c_str(), LongPath(src() + dir + sub).c_str());
        }
        if (round % 4 == 3) {
            const std::string gone = src() + numbered('g', round / 4) + ".txt";
            {
                std::lock_guard lock(m);
                deleting.insert(gone);
            }
            // Refused while the run reads it; then it simply stays.
            if (!DeleteFileW(LongPath(gone).c_str())) {
                std::lock_guard lock(m);
                deleting.erase(gone);
            }
        }
    };
    std::thread changer([&] {
        for (int round = 0; round < kRounds; ++round) {
            {
                std::unique_lock lock(m);
                cv.wait(lock, [&] { return triggered > round || ended; });
                if (triggered <= round)
                    return;
            }
            change(round);
            {
                std::lock_guard lock(m);
                ++done;
            }
            cv.notify_all();
        }
    });
    // One round at a time, each started at a pump once the one before is done.
    watching.onPump = [&](int) {
        std::unique_lock lock(m);
        if (triggered == kRounds)
            return;
        cv.wait(lock, [&] { return done == triggered; });
        ++triggered;
        cv.notify_all();
    };
    // A file listed and deleted before the run opens it is asked about.
    PromptHandler previous = SetPromptHandler([&](PromptKind, const std::string& text, ButtonSet) -> ButtonResult {
        std::lock_guard lock(m);
        for (const std::string& gone : deleting)
            if (text.starts_with("Fehler: Zugriff auf Quelldatei \"" + gone + "\""))
                return mrOk;
        unexpected.push_back(text);
        return mrCancel;
    });
    const RunOutcome outcome = RunOneEntry(onDisk, entry("*.*"));
    SetPromptHandler(std::move(previous));
    {
        std::lock_guard lock(m);
        ended = true;
    }
    cv.notify_all();
    changer.join();
    watching.onPump = nullptr;
    EXPECT_EQ(outcome, RunOutcome::finished);
    EXPECT_EQ(unexpected, std::vector<std::string>{});
    EXPECT_EQ(done, kRounds);

    EXPECT_EQ(RunOneEntry(onDisk, entry("*.*")), RunOutcome::finished);
    const std::map<std::string, std::string> source = filesBelow(real, src());
    const std::map<std::string, std::string> target = filesBelow(real, dst());
    std::vector<std::string> differing;
    for (const auto& [name, bytes] : source) {
        auto copy = target.find(name);
        if (copy == target.end() || copy->second != bytes)
            differing.push_back(name);
    }
    EXPECT_EQ(differing, std::vector<std::string>{});
    EXPECT_FALSE(holdsTemporaryName(target));
    EXPECT_GE(source.size(), 3u * 8 + kRounds + kRounds / 3);
}

using BackupJournalTest = BackupTest;

TEST_F(BackupJournalTest, EveryCopyIsOnTheMediumBeforeItTakesItsName)
{
    tree.write("src\\new.txt", "new", kNew);
    tree.write("src\\old.txt", pattern(100000), kNew);
    tree.write("dst\\old.txt", "the old copy", kOld);
    ScriptedAnswerer answers;
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 2u);
    // What happened to each temporary copy, in order.
    auto stepsOf = [&](const std::string& name) {
        std::vector<FaultOp> steps;
        for (const auto& [noted, path] : fs.journal()) {
            // Written out for the batch's one flush, or flushed: on the medium either way.
            const FaultOp op = noted == FaultOp::writeOut ? FaultOp::flush : noted;
            if (path == TemporaryName(dst() + name, 0) &&
                (op == FaultOp::createWrite || op == FaultOp::write || op == FaultOp::flush ||
                 op == FaultOp::close || op == FaultOp::renameFile) &&
                (steps.empty() || steps.back() != op))  // one entry for all blocks
                steps.push_back(op);
        }
        return steps;
    };
    const std::vector<FaultOp> steps{FaultOp::createWrite, FaultOp::write, FaultOp::flush, FaultOp::close,
                                     FaultOp::renameFile};
    EXPECT_EQ(stepsOf("old.txt"), steps);
    // A new file too: closing it would not report a write the medium refused.
    EXPECT_EQ(stepsOf("new.txt"), steps);

    // A flush that fails is a failed copy: the old one stays.
    tree.write("src\\old.txt", "newer", kNew + 40'000'000);
    fs.clear();
    fs.inject({FaultOp::flush, "old.txt", 1117});
    answers.then(mrOk, "Fehler: Konnte Datei \"" + src() + "old.txt\" nicht kopieren.");
    EXPECT_EQ(runEntry("old.txt"), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "old.txt"), pattern(100000));
    EXPECT_EQ(ListNames(dst()), "new.txt old.txt");

    // So is a new copy's: no name, no temporary, not counted.
    tree.write("src\\fresh.txt", "fresh", kNew);
    fs.clear();
    fs.inject({FaultOp::flush, "fresh.txt", 1117});
    answers.then(mrOk, "Fehler: Konnte Datei \"" + src() + "fresh.txt\" nicht kopieren.");
    EXPECT_EQ(runEntry("fresh.txt"), RunOutcome::finished);
    EXPECT_EQ(ListNames(dst()), "new.txt old.txt");
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(BackupJournalTest, CopiesHaveTheirNamesAndNoHandleIsHeldWhileTheUserIsAsked)
{
    for (char c = '1'; c <= '6'; ++c)
        tree.write(std::string("src\\f") + c + ".txt", pattern(5000, c), kNew);
    // The file the walk comes to last is refused, so that copies wait in
    // the batch when its prompt comes.
    std::string last;
    uint32_t error = 0;
    auto listing = real.list(src(), error);
    for (FileEntry e; listing && listing->next(e);)
        if (!e.isDirectory())
            last = e.name;
    listing.reset();
    fs.inject({FaultOp::openRead, last, errAccessDenied, 0, 1});
    ScriptedAnswerer answers;
    std::string atPrompt;
    uint64_t savedAtPrompt = 0;
    answers.thenDo(mrOk, [&] {
        atPrompt = ListNames(dst());
        savedAtPrompt = state.savedFiles;
    });
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(savedAtPrompt, 5u);
    EXPECT_EQ(atPrompt.find(".~tresorix"), std::string::npos) << atPrompt;
    EXPECT_EQ(std::count(atPrompt.begin(), atPrompt.end(), ' '), 4) << atPrompt;
    EXPECT_EQ(state.savedFiles, 5u);
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(BackupJournalTest, ListingsThatBreakOffAreNeverTakenForTheWholeDirectory)
{
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\b.txt", "b", kOld);
    tree.write("src\\s1\\c.txt", "c", kOld);
    tree.write("src\\s2\\d.txt", "d", kOld);
    tree.write("src\\s3\\e.txt", "e", kOld);
    const std::string failed = "Fehler: Konnte nicht in das Quellverzeichnis \"" + src() + "\" wechseln.\r\n" +
                               "Fehlermeldung: " + ErrorText(59);
    ScriptedAnswerer answers;

    // The listing of its files.
    fs.inject({FaultOp::listNext, src(), 59, 3, 1, true});
    answers.then(mrOk, failed);
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::sourceFailed);
    EXPECT_EQ(state.savedFiles, 0u);
    EXPECT_EQ(answers.asked().back().text, failed);

    // The listing of its subdirectories, which comes after its files: the
    // run ends there as well, not with the subdirectories it did not see
    // passed over in silence.
    fs.clear();
    test::RemoveTree(dst());
    fs.inject({FaultOp::listNext, src(), 0, 1000, 1, true});  // the files' listing goes through
    fs.inject({FaultOp::listNext, src(), 59, 3, 1, true});
    answers.then(mrOk, failed);
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::sourceFailed);
    EXPECT_EQ(answers.asked().back().text, failed);
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "a");
    EXPECT_EQ(ReadAll(dst() + "b.txt"), "b");
    EXPECT_LT(state.savedFiles, 5u);

    // The target's listing: names it did not reach are not missing. The
    // newer copy of b.txt is found by its name and passed over unopened.
    fs.clear();
    test::RemoveTree(dst());
    tree.write("src\\a.txt", "a", kNew);
    tree.write("dst\\b.txt", "newer b", kNew);
    fs.inject({FaultOp::listNext, dst(), 59, 0, -1, true});
    EXPECT_EQ(runEntry("*.txt", ConflictMode::newer, false), RunOutcome::finished);
    EXPECT_EQ(ReadAll(dst() + "a.txt"), "a");
    EXPECT_EQ(ReadAll(dst() + "b.txt"), "newer b");
    EXPECT_EQ(fs.calls(FaultOp::openRead), 1);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(answers.asked().size(), 2u);
}

// A directory whose stamp has not moved is listed once for its files and
// its subdirectories; one that gains a subdirectory during the visit is
// listed again, and the new subdirectory is walked.
TEST_F(BackupJournalTest, AnUnchangedDirectoryIsListedOnceAndAChangedOneAgain)
{
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\b.txt", "b", kOld);
    SetLastWrite(src() + "sub\\", kOld);
    SetLastWrite(src(), kOld);
    if (!real.directoryStamp(src()))
        GTEST_SKIP() << "this volume keeps no directory times to trust";
    auto listings = [&](const std::string& directory, bool below) {
        return std::count_if(fs.journal().begin(), fs.journal().end(), [&](const auto& call) {
            return call.first == FaultOp::list && (below ? call.second.starts_with(directory) : call.second == directory);
        });
    };
    ScriptedAnswerer answers;
    ASSERT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(listings(src(), true), 2);

    fs.clear();
    const int before = view.pumps;
    view.onPump = [&](int pump) {
        if (pump == before + 2)  // among the files of src\, after their listing
            tree.write("src\\new\\c.txt", "c", kOld);
    };
    ASSERT_EQ(runEntry("*.txt"), RunOutcome::finished);
    view.onPump = nullptr;
    EXPECT_EQ(ReadAll(dst() + "new\\c.txt"), "c");
    EXPECT_EQ(listings(src(), false), 2);
}

}  // namespace
}  // namespace tresorix
