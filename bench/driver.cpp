// Runs one backup of SOURCE into TARGET (subdirectories, every file, mode 0)
// with the engine and a view that shows nothing, and prints the counts.
// With --probe DIR [FILES] it instead times the single file-system calls a
// backup makes per file in DIR, which it fills with FILES files (500) and
// empties again, so that the cost of each step can be set against that of a
// whole small file.
#include "engine/Backup.h"
#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"
#include "run/UnattendedAnswer.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>

using namespace tresorix;

namespace {

double now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

// Prints the milliseconds one call of `step(i)` takes, over `count` calls.
void timeStep(const char* what, int count, const std::function<void(int)>& step)
{
    double start = now();
    for (int i = 0; i < count; ++i)
        step(i);
    std::printf("%-44s %8.3f ms\n", what, (now() - start) * 1000 / count);
}

int probe(const std::string& directory, int n)
{
    Win32FileSystem fs;
    const std::string dir = directory.back() == '\\' ? directory : directory + "\\";
    fs.createDirectory(dir);
    auto name = [&](const char* stem, int i) { return dir + stem + std::to_string(i) + ".dat"; };
    char bytes[100] = {};
    auto create = [&](const std::string& path) {
        std::unique_ptr<tresorix::OpenFile> out;
        uint32_t put;
        if (fs.createWrite(path, out) == 0) {
            out->write(bytes, sizeof bytes, put);
            out->setTimeAndAttributes(132000000000000000ull, attrArchive);
            out->close();
        }
    };
    uint64_t available;
    FileEntry entry;
    timeStep("free space of the target directory", n, [&](int) { fs.freeSpace(dir, available); });
    timeStep("free space of the drive root", n, [&](int) { fs.freeSpace(dir.substr(0, 3), available); });
    uint32_t error = 0;
    if (std::unique_ptr<OpenDirectory> volume = fs.openDirectory(dir, error))
        timeStep("free space of the target directory held open", n, [&](int) { volume->freeSpace(available); });
    timeStep("create, write 100 bytes, stamp, close", n, [&](int i) { create(name("a", i)); });
    timeStep("look up an existing name", n, [&](int i) { fs.find(name("a", i), entry); });
    timeStep("look up a missing name", n, [&](int i) { fs.find(name("x", i), entry); });
    timeStep("open for reading and close", n, [&](int i) {
        std::unique_ptr<tresorix::OpenFile> in;
        if (fs.openRead(name("a", i), in) == 0)
            in->close();
    });
    timeStep("list the directory", 20, [&](int) {
        uint32_t error;
        auto listing = fs.list(dir, error);
        while (listing && listing->next(entry)) {
        }
    });
    timeStep("create under a temporary name, rename", n, [&](int i) {
        create(dir + "~tmp.tmp");
        fs.renameFile(dir + "~tmp.tmp", name("b", i), false);
    });
    timeStep("set attributes by name", n, [&](int i) { fs.setAttributes(name("b", i), attrHidden); });
    timeStep("delete", n, [&](int i) { fs.deleteFile(name("a", i)); });
    for (int i = 0; i < n; ++i) {
        fs.setAttributes(name("b", i), attrArchive);
        fs.deleteFile(name("b", i));
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if ((argc == 3 || argc == 4) && std::wcscmp(argv[1], L"--probe") == 0)
        return probe(Narrow(argv[2]), argc == 4 ? std::max(1, _wtoi(argv[3])) : 500);
    if (argc != 3) {
        std::fputs("usage: bench_driver SOURCE TARGET\n       bench_driver --probe DIRECTORY [FILES]\n", stderr);
        return 2;
    }
    Win32FileSystem fs;
    RunView nullView;
    RunState state;
    // As a scheduled run with /SKIPERRORS: a file that the target refuses (a
    // name that differs from another only in case) is passed over, no box.
    UnattendedPrompts nobody;
    BackupRun run(fs, nullView, state, &nobody);
    RunSettings settings;
    settings.entries.push_back({Narrow(argv[1]), " ja", "*.*", Narrow(argv[2])});
    settings.showSummary = false;
    RunOutcome outcome = run.BackUpStart(settings);
    std::printf("checked %llu files, saved %llu files, %llu bytes\n", (unsigned long long)state.checkedFiles,
                (unsigned long long)state.savedFiles, (unsigned long long)state.savedBytes);
    return outcome == RunOutcome::finished ? 0 : 1;
}
