// The main window's default-target box, StdZielBox: a target box
// (dialogs/TargetBox.h) whose edit field reports to the main window.
#pragma once

#include "dialogs/TargetBox.h"

namespace tresorix {

class TmForm;

// Hooks the edit field of the main window's StdZielBox: released keys and
// double-clicks go to the form's handlers.
void SubclassStdZielEdit(TmForm& form);

}  // namespace tresorix
