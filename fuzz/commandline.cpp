// The command line is whatever the shell or the Run key hands over. What it
// asks for must survive being written into the autostart command and read
// from there again.
#include "set/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view commandLine(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> all = tresorix::SplitCommandLine(commandLine);
    tresorix::CommandLineInfo first = tresorix::ReadCommandLine({all.begin() + (all.empty() ? 0 : 1), all.end()});
    bool autoStart = tresorix::SwitchChecksAutoStart(first.switches);
    bool autoClose = tresorix::SwitchChecksAutoClose(first.switches);
    tresorix::StartsBackupAtShow(first.switches, autoStart);
    std::string switches = first.switches;
    tresorix::RemoveHklmRun(switches);

    // The program's own name, wherever it stands, with or without blanks.
    std::string program = all.empty() ? std::string("C:\\Programme\\Tresorix\\tresorix.exe") : all.front();
    std::string command = tresorix::AutoRunCommand(program, autoStart, autoClose, first.fileName);
    std::vector<std::string> split = tresorix::SplitCommandLine(command);
    tresorix::CommandLineInfo again = tresorix::ReadCommandLine(tresorix::CommandLineArguments(command));

    if (split.empty() || split.front() != program || !tresorix::StartedByAutoRun({split.begin() + 1, split.end()}) ||
        !tresorix::AutoRunStartsProgram(command, program))
        std::abort();
    if (again.fileName != first.fileName || tresorix::SwitchChecksAutoStart(again.switches) != autoStart ||
        tresorix::SwitchChecksAutoClose(again.switches) != autoClose)
        std::abort();
    std::vector<std::string> open = tresorix::SplitCommandLine(tresorix::OpenCommand(program));
    if (open.size() != 2 || open[0] != program || open[1] != "%1")
        std::abort();
    return 0;
}
