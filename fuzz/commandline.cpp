// The command line is whatever the shell or the Run key hands over.
#include "set/CommandLine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view commandLine(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments = tresorix::CommandLineArguments(commandLine);
    tresorix::CommandLineInfo info = tresorix::ReadCommandLine(arguments);
    tresorix::StartsBackupAtShow(info.switches, tresorix::SwitchChecksAutoStart(info.switches));
    tresorix::StartedByAutoRun(arguments);
    if (tresorix::HasHklmRun(info.switches))
        tresorix::RemoveHklmRun(info.switches);
    return 0;
}
