// Runs one backup of SOURCE into TARGET (subdirectories, every file, mode 0)
// with the engine and a view that shows nothing, and prints the counts.
#include "engine/Backup.h"
#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"

#include <cstdio>
#include <cwchar>

using namespace tresorix;

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fputs("usage: bench_driver SOURCE TARGET\n", stderr);
        return 2;
    }
    Win32FileSystem fs;
    RunView nullView;
    RunState state;
    BackupRun run(fs, nullView, state);
    RunSettings settings;
    settings.entries.push_back({Narrow(argv[1]), " ja", "*.*", Narrow(argv[2])});
    settings.showSummary = false;
    RunOutcome outcome = run.BackUpStart(settings);
    std::printf("checked %llu files, saved %llu files, %llu bytes\n", (unsigned long long)state.checkedFiles,
                (unsigned long long)state.savedFiles, (unsigned long long)state.savedBytes);
    return outcome == RunOutcome::finished ? 0 : 1;
}
