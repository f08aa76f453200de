// The command line, the switch string made from it, and the command texts
// the program puts into the registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tresorix {

// Splits at blanks and tabs; double quotes enclose blanks and are removed.
// Empty arguments ("") are dropped.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);
// The arguments after the program's own name.
std::vector<std::string> CommandLineArguments(std::string_view commandLine);

struct CommandLineInfo {
    std::string switches;   // every "/..." argument plus a blank, upper-cased
    std::string fileName;   // the first other argument
    bool fileTaken = false;
};
CommandLineInfo ReadCommandLine(const std::vector<std::string>& arguments);

// "/START " and "/CLOSE " (with the blank) check AutoStart and AutoClose.
bool SwitchChecksAutoStart(std::string_view switches);
bool SwitchChecksAutoClose(std::string_view switches);
// Whether FormShow starts a backup at once.
bool StartsBackupAtShow(std::string_view switches, bool autoStartChecked);
// While the switches hold /HKLMRUN, AUTOSTART and AUTOCLOSE are not written.
bool HasHklmRun(std::string_view switches);
// Removes the first "/HKLMRUN"; every change of the set does this.
void RemoveHklmRun(std::string& switches);
// "/SKIPERRORS": a run answers its prompts itself.
bool SwitchSkipsErrors(std::string_view switches);
// "/SPIEGELN": this start's runs mirror into the versions, whatever the
// settings say for the set.
bool SwitchMirrors(std::string_view switches);
// The file named by the last "/LOG=<file>" argument, as written; empty when
// there is none.
std::string LogFileArgument(const std::vector<std::string>& arguments);
// The last "/VERSIONEN=<days>" argument: its days (0: off), or nothing
// when there is none or it names no day count; the setting holds then.
struct VersionSwitch {
    std::optional<int> days;
    std::string unreadable;  // the argument as written, when it names no day count
};
VersionSwitch VersionDaysArgument(const std::vector<std::string>& arguments);
// The message for a "/VERSIONEN=" argument that names no day count, with
// the days that hold instead.
std::string UnreadableVersionSwitchText(std::string_view argument, int daysInForce);
// Only an autostart launch, /HKLMRUN as first argument, hides the summary.
bool StartedByAutoRun(const std::vector<std::string>& arguments);

// A path as it stands at the start of a command: in quotes when it holds a
// blank, so that the command line splits back into the same path.
std::string CommandPath(std::string_view programPath);
// The data of the autostart value.
std::string AutoRunCommand(std::string_view programPath, bool autoStart, bool autoClose,
                           std::string_view fileName);
// True when an autostart value starts this program (with or without quotes).
bool AutoRunStartsProgram(std::string_view value, std::string_view programPath);
// The shell's open command of the set-file type.
std::string OpenCommand(std::string_view programPath);
// ".tsi" from "tsi" or ".tsi"; the class name "tsifile" from either.
std::string FileTypeExtension(std::string_view extension);
std::string FileTypeClass(std::string_view extension);

} // namespace tresorix
