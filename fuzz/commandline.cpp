// The command line is whatever the shell or the Run key hands over. What it
// asks for must survive being written into the autostart command and read
// from there again.
#include "set/CommandLine.h"
#include "set/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view commandLine(reinterpret_cast<const char*>(data), size);
    // The program's own name, wherever it stands, with or without blanks.
    std::vector<std::string> arguments = tresorix::SplitCommandLine(commandLine);
    std::string program = "C:\\Programme\\Tresorix\\tresorix.exe";
    if (!arguments.empty()) {
        program = std::move(arguments.front());
        arguments.erase(arguments.begin());
    }
    tresorix::CommandLineInfo first = tresorix::ReadCommandLine(arguments);
    // A day count is in range; anything else is named, never taken for off.
    tresorix::VersionSwitch versions = tresorix::VersionDaysArgument(arguments);
    if (versions.days && (*versions.days < 0 || *versions.days > tresorix::kMaxVersionDays ||
                          !versions.unreadable.empty()))
        std::abort();
    if (!versions.unreadable.empty() &&
        tresorix::UnreadableVersionSwitchText(versions.unreadable, 0).find(versions.unreadable) == std::string::npos)
        std::abort();
    tresorix::LogFileArgument(arguments);
    tresorix::SwitchSkipsErrors(first.switches);
    // The switch as written, in any case, always asks for mirroring.
    for (const std::string& argument : arguments)
        if (tresorix::UpperCaseUmlaut(argument) == "/SPIEGELN" && !tresorix::SwitchMirrors(first.switches))
            std::abort();
    bool autoStart = tresorix::SwitchChecksAutoStart(first.switches);
    bool autoClose = tresorix::SwitchChecksAutoClose(first.switches);
    tresorix::StartsBackupAtShow(first.switches, autoStart);
    std::string switches = first.switches;
    tresorix::RemoveHklmRun(switches);

    std::string command = tresorix::AutoRunCommand(program, autoStart, autoClose, first.fileName);
    std::vector<std::string> split = tresorix::SplitCommandLine(command);
    if (split.empty() || split.front() != program || !tresorix::AutoRunStartsProgram(command, program))
        std::abort();
    split.erase(split.begin());
    tresorix::CommandLineInfo again = tresorix::ReadCommandLine(split);

    if (!tresorix::StartedByAutoRun(split))
        std::abort();
    if (again.fileName != first.fileName || tresorix::SwitchChecksAutoStart(again.switches) != autoStart ||
        tresorix::SwitchChecksAutoClose(again.switches) != autoClose)
        std::abort();
    std::vector<std::string> open = tresorix::SplitCommandLine(tresorix::OpenCommand(program));
    if (open.size() != 2 || open[0] != program || open[1] != "%1")
        std::abort();
    return 0;
}
