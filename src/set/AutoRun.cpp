#include "set/AutoRun.h"

#include "platform/FileSystem.h"
#include "set/CommandLine.h"

#include <string_view>
#include <utility>

namespace tresorix {

namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kValueName[] = "Tresorix";
constexpr char kUserClasses[] = "Software\\Classes\\";
constexpr RegistryRoot kMachine = RegistryRoot::machine, kUser = RegistryRoot::user;

bool readRunValue(Registry& registry, RegistryRoot root, std::string& text)
{
    return registry.readText(root, kRunKey, kValueName, text) == 0;
}

// True when no value is left behind under this root.
bool deleteRunValue(Registry& registry, RegistryRoot root)
{
    const uint32_t error = registry.deleteValue(root, kRunKey, kValueName);
    if (error == 0 || error == errFileNotFound)
        return true;
    // The key may be closed to us and still hold nothing of ours.
    std::string ignored;
    return !readRunValue(registry, root, ignored);
}

// The keys of the set-file type under one root; false at the first
// value that cannot be written. A value that already holds its text is
// left as it is, and `changed` tells whether any was written.
bool writeFileType(Registry& registry, RegistryRoot root, const std::string& prefix, const std::string& extension,
                   const std::string& className, const std::string& description, const std::string& command,
                   bool& changed)
{
    // The program the open command starts gives the files their icon, so
    // that Explorer does not show them as unknown.
    const size_t argument = command.rfind(" \"%1\"");
    const std::string icon = command.substr(0, argument) + ",0";
    const std::pair<std::string, const std::string&> keys[] = {
        {extension, className},
        {className, description},
        {className + "\\shell\\open\\command", command},
        {className + "\\DefaultIcon", icon},
    };
    for (const auto& [path, data] : keys) {
        const std::string keyPath = prefix + path;
        std::string stored;
        if (registry.readText(root, keyPath, "", stored) == 0 && stored == data)
            continue;
        if (registry.writeText(root, keyPath, "", data) != 0)
            return false;
        changed = true;
    }
    return true;
}

}  // namespace

bool AutoRunMatches(const std::string& programPath)
{
    return AutoRunMatches(SystemRegistry(), programPath);
}

bool AutoRunMatches(Registry& registry, const std::string& programPath)
{
    for (RegistryRoot root : {kMachine, kUser}) {
        std::string value;
        if (readRunValue(registry, root, value) && AutoRunStartsProgram(value, programPath))
            return true;
    }
    return false;
}

AutoRunResult UpdateAutoRun(bool enabled, const std::string& command)
{
    return UpdateAutoRun(SystemRegistry(), enabled, command);
}

AutoRunResult UpdateAutoRun(Registry& registry, bool enabled, const std::string& command)
{
    if (!enabled) {
        bool machine = deleteRunValue(registry, kMachine);
        bool user = deleteRunValue(registry, kUser);
        return machine && user ? AutoRunResult::done : AutoRunResult::notRemoved;
    }
    // Windows runs both Run keys: a value left under the other one would
    // start the program twice.
    if (registry.writeText(kMachine, kRunKey, kValueName, command) == 0) {
        deleteRunValue(registry, kUser);
        return AutoRunResult::done;
    }
    // A machine-wide value from an elevated start that this user cannot
    // change still starts the program; a second one of the user's would
    // start it twice.
    std::string machineValue;
    if (readRunValue(registry, kMachine, machineValue))
        return machineValue == command ? AutoRunResult::done : AutoRunResult::notWritten;
    return registry.writeText(kUser, kRunKey, kValueName, command) == 0 ? AutoRunResult::done
                                                                         : AutoRunResult::notWritten;
}

std::string AutoRunFailureText(AutoRunResult result)
{
    switch (result) {
    case AutoRunResult::notWritten:
        return "Tresorix konnte nicht für den Start mit Windows eingetragen werden.";
    case AutoRunResult::notRemoved:
        return "Der Eintrag für den Start mit Windows konnte nicht entfernt werden; Tresorix startet weiter mit "
               "Windows. Er wurde mit Administratorrechten angelegt und lässt sich nur so wieder entfernen.";
    case AutoRunResult::done:
        break;
    }
    return {};
}

bool RegisterFileType(std::string extension, const std::string& description, const std::string& command,
                      std::string& failedValue)
{
    return RegisterFileType(SystemRegistry(), std::move(extension), description, command, failedValue);
}

bool RegisterFileType(Registry& registry, std::string extension, const std::string& description,
                      const std::string& command, std::string& failedValue)
{
    failedValue.clear();
    extension = FileTypeExtension(extension);
    std::string className = FileTypeClass(extension);
    // Wine does not show the per-user classes under HKEY_CLASSES_ROOT, so the
    // machine-wide keys come first even where Windows would merge both.
    bool changed = false;
    if (writeFileType(registry, RegistryRoot::classes, "", extension, className, description, command, changed) ||
        writeFileType(registry, kUser, kUserClasses, extension, className, description, command, changed)) {
        // Explorer shows a new type or command at once, not after a logon.
        // Told of every start, it would rebuild its icons each time, and
        // Wine would start its menu builder beside the run.
        if (changed)
            registry.fileTypesChanged();
        return true;
    }
    // Every value written here is a key's default value, whose name is empty.
    failedValue = "";
    return false;
}

}  // namespace tresorix
