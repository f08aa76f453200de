// The pumps besides the modal loops of the forms (Form::showModal).
#pragma once

namespace tresorix {

// Lets the pending messages through and returns when the queue is empty.
// A WM_QUIT stops it and is posted again, so the loop that owns it ends.
void ProcessMessages();

// The program's main loop; returns the WM_QUIT exit code.
int RunMessageLoop();

}  // namespace tresorix
