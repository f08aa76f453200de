// The autostart value under the Run key and the set-file type. Machine-wide
// first; where that key cannot be written, the current user's key instead.
#pragma once

#include "platform/Registry.h"

#include <string>

namespace tresorix {

// Whether an autostart value "Tresorix" exists (machine-wide or per user)
// whose text begins with `programPath` (as many characters, compared exactly).
bool AutoRunMatches(const std::string& programPath);
enum class AutoRunResult { done, notWritten, notRemoved };
// Writes the value with `command` when `enabled`, else deletes it. Never
// leaves two values that would start the program twice.
AutoRunResult UpdateAutoRun(bool enabled, const std::string& command);
// What the user is told when the value could not be set as asked; empty
// for `done`.
std::string AutoRunFailureText(AutoRunResult result);
// Writes ".tsi" -> class, class -> description, class\shell\open\command ->
// command, class\DefaultIcon -> the program's first icon. On failure gives
// false and the name of the value that could not be set (empty for a
// default value).
bool RegisterFileType(std::string extension, const std::string& description, const std::string& command,
                      std::string& failedValue);
// The same through `registry`; the ones above use the system's.
bool AutoRunMatches(Registry& registry, const std::string& programPath);
AutoRunResult UpdateAutoRun(Registry& registry, bool enabled, const std::string& command);
bool RegisterFileType(Registry& registry, std::string extension, const std::string& description,
                      const std::string& command, std::string& failedValue);

}  // namespace tresorix
