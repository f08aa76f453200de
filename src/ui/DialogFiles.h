// The file system of the windows outside a run: the dialogs and the
// start-up. Every call that can wait for a medium goes through the
// answering decorator. While one waits, the windows show the wait cursor,
// are painted and stay movable, and the modal form's cancel button (or
// Escape) ends the form at once: the call is dropped, and its answer is let
// go when it comes back. Any other input meanwhile is dropped, so that no
// handler runs in the middle of another.
#pragma once

#include "platform/AnsweringFileSystem.h"
#include "platform/Drives.h"

namespace tresorix {

// Gives `fs` the windows' way of waiting.
void AnswerForWindows(AnsweringFileSystem& fs);
// The process's one, over the real file system.
AnsweringFileSystem& DialogFileSystem();
// The system's drives, their volume labels asked through DialogFileSystem():
// an empty DVD drive or a sleeping disk takes seconds to say.
Drives& DialogDrives();

}  // namespace tresorix
