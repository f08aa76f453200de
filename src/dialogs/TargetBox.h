// Target boxes: an editable combo box whose list is the history of target
// directories, oldest first, and whose selected item is the target in force.
// The main window's StdZielBox and the source dialog's ZielBox both are one.
#pragma once

#include "platform/FileSystem.h"
#include "set/BackupSet.h"
#include "ui/Controls.h"

#include <functional>
#include <string>
#include <vector>

namespace tresorix {

// Before a tidied target is taken: creates its directory (never for a
// placeholder path, one with ">"). A directory that cannot be made is
// reported and the target is taken all the same; a device name is
// reported and refused (false).
bool PrepareTargetDirectory(const std::string& path, FileSystem& fs);
// The same through DialogFileSystem().
bool PrepareTargetDirectory(const std::string& path);

// The box shows the history, oldest first, with `selected` in its edit
// field (-1: none).
void ShowTargets(ComboBox box, const std::vector<std::string>& targets, int selected);

// A box that is its own history: the path is tidied (TidyTarget), prepared
// when asked (PrepareTargetDirectory), and goes through the history's rule
// (AddToTargetHistory) on the box's items.
void AddTargetToBox(ComboBox box, std::string path, bool checkDirectory, FileSystem& fs);
// The same through DialogFileSystem().
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
