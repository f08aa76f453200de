// Target boxes: an editable combo box whose list is the history of target
// directories, oldest first, and whose selected item is the target in force.
// The main window's StdZielBox and the source dialog's ZielBox both are one.
#pragma once

#include "platform/FileSystem.h"
#include "ui/Controls.h"

#include <string>

namespace tresorix {

class TmForm;

// Wherever a target is empty or none is selected.
inline constexpr char kFallbackTarget[] = "C:\\BACKUP";
// Items kept when a new one is appended: the history holds at most 9.
inline constexpr int kKeptTargets = 8;

// Trims blanks (tabs stay), takes the fallback for an empty path, creates
// the directory when asked (never for a placeholder path, one with ">"),
// then selects the equal item (exact, letter case included; the last of
// several) or appends the path as the newest. A directory that cannot be
// made is reported and the path is remembered all the same.
void AddTargetToBox(ComboBox box, std::string path, bool checkDirectory, FileSystem& fs);
// The same on the real file system.
void AddTargetToBox(ComboBox box, std::string path, bool checkDirectory);

// The selected item, or "" when none is.
std::string SelectedTarget(ComboBox box);

// Hooks the edit field of the main window's StdZielBox: released keys and
// double-clicks go to the form's handlers.
void SubclassStdZielEdit(TmForm& form);

}  // namespace tresorix
