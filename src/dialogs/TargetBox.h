// Target boxes: an editable combo box whose list is the history of target
// directories, oldest first, and whose selected item is the target in force.
// The main window's StdZielBox and the source dialog's ZielBox both are one.
#pragma once

#include "platform/FileSystem.h"
#include "ui/Controls.h"

#include <functional>
#include <string>

namespace tresorix {

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

// What the box's edit field hands to its form. Released keys and
// double-clicks come after the edit field has had them, so that a released
// Enter finds the text complete and a double-click has selected its word.
struct TargetEditEvents {
    std::function<void(unsigned key)> keyUp;
    std::function<void()> doubleClick;
    std::function<void(HWND next)> focusLost;
    bool altKeys = false;    // keys released with Alt down count too
    bool keepEnter = false;  // Enter stays in the box instead of pressing the default button
};
void HookTargetEdit(ComboBox box, TargetEditEvents events);

}  // namespace tresorix
