#include "set/CommandLine.h"

#include "set/Text.h"

namespace tresorix {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

constexpr std::string_view kHklmRun = "/HKLMRUN";

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> arguments;
    size_t i = 0;
    while (i < commandLine.size()) {
        if (isBlank(commandLine[i])) {
            ++i;
            continue;
        }
        std::string argument;
        bool quoted = false;
        while (i < commandLine.size() && (quoted || !isBlank(commandLine[i]))) {
            if (commandLine[i] == '"') {
                quoted = !quoted;
                ++i;
                continue;
            }
            // Up to the next quote, or outside quotes the next blank, at once.
            size_t end = i;
            while (end < commandLine.size() && commandLine[end] != '"' && (quoted || !isBlank(commandLine[end])))
                ++end;
            argument.append(commandLine.substr(i, end - i));
            i = end;
        }
        if (!argument.empty())
            arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::vector<std::string> CommandLineArguments(std::string_view commandLine)
{
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    return arguments;
}

CommandLineInfo ReadCommandLine(const std::vector<std::string>& arguments)
{
    CommandLineInfo info;
    for (const std::string& argument : arguments) {
        if (argument.starts_with('/')) {
            info.switches += argument;
            info.switches += ' ';
        } else if (!info.fileTaken) {
            info.fileName = argument;
            info.fileTaken = true;
        }
    }
    info.switches = UpperCaseUmlaut(info.switches);
    return info;
}

bool SwitchChecksAutoStart(std::string_view switches)
{
    return contains(switches, "/START ");
}

bool SwitchChecksAutoClose(std::string_view switches)
{
    return contains(switches, "/CLOSE ");
}

bool StartsBackupAtShow(std::string_view switches, bool autoStartChecked)
{
    return autoStartChecked && contains(switches, "/START") && !contains(switches, "/NOSTART");
}

bool HasHklmRun(std::string_view switches)
{
    return contains(switches, kHklmRun);
}

void RemoveHklmRun(std::string& switches)
{
    size_t at = switches.find(kHklmRun);
    if (at != std::string::npos)
        switches.erase(at, kHklmRun.size());
}

bool SwitchSkipsErrors(std::string_view switches)
{
    return contains(switches, "/SKIPERRORS ");
}

bool SwitchMirrors(std::string_view switches)
{
    return contains(switches, "/SPIEGELN ");
}

std::string LogFileArgument(const std::vector<std::string>& arguments)
{
    // The switch string is upper-cased; the file's name keeps its case here.
    constexpr std::string_view kLog = "/LOG=";
    std::string file;
    for (const std::string& argument : arguments)
        if (argument.size() >= kLog.size() && UpperCaseUmlaut(argument.substr(0, kLog.size())) == kLog)
            file = argument.substr(kLog.size());
    return file;
}

VersionSwitch VersionDaysArgument(const std::vector<std::string>& arguments)
{
    constexpr std::string_view kVersions = "/VERSIONEN=";
    const std::string* last = nullptr;
    for (const std::string& argument : arguments)
        if (argument.size() >= kVersions.size() && UpperCaseUmlaut(argument.substr(0, kVersions.size())) == kVersions)
            last = &argument;
    VersionSwitch result;
    if (!last)
        return result;
    // "30d" or "-5" read as 0 would turn versions off over the setting,
    // the opposite of what the user asked for.
    result.days = ReadVersionDays(std::string_view(*last).substr(kVersions.size()));
    if (!result.days)
        result.unreadable = *last;
    return result;
}

std::string UnreadableVersionSwitchText(std::string_view argument, int daysInForce)
{
    return "Der Schalter " + std::string(argument) + " nennt keine Zahl von Tagen (0 bis " +
           std::to_string(kMaxVersionDays) + ") und wird nicht beachtet.\r\n" +
           "Es bleibt bei der Einstellung (Versionen: " + VersionDaysText(daysInForce) + ").";
}

bool StartedByAutoRun(const std::vector<std::string>& arguments)
{
    return !arguments.empty() && arguments.front() == kHklmRun;
}

std::string CommandPath(std::string_view programPath)
{
    std::string path;
    bool blank = programPath.find_first_of(" \t") != std::string_view::npos;
    if (blank)
        path += '"';
    path += programPath;
    if (blank)
        path += '"';
    return path;
}

std::string AutoRunCommand(std::string_view programPath, bool autoStart, bool autoClose,
                           std::string_view fileName)
{
    std::string command = CommandPath(programPath);
    command += " /HKLMRUN";
    if (autoStart)
        command += " /START";
    if (autoClose)
        command += " /CLOSE";
    command += " \"";
    command += fileName;
    command += '"';
    return command;
}

bool AutoRunStartsProgram(std::string_view value, std::string_view programPath)
{
    return value.starts_with(programPath) || value.starts_with(CommandPath(programPath));
}

std::string OpenCommand(std::string_view programPath)
{
    return CommandPath(programPath) + " \"%1\"";
}

std::string FileTypeExtension(std::string_view extension)
{
    std::string dotted;
    if (!extension.starts_with('.'))
        dotted += '.';
    dotted += extension;
    return dotted;
}

std::string FileTypeClass(std::string_view extension)
{
    return FileTypeExtension(extension).substr(1) + "file";
}

} // namespace tresorix
