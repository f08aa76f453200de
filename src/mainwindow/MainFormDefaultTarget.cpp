// The main window's default-target box, StdZielBox: a target box
// (dialogs/TargetBox.h) that shows the set's history and whose edit field
// reports to the window.
#include "mainwindow/MainForm.h"

#include "dialogs/TargetBox.h"

#include <utility>

namespace tresorix {

void TmForm::hookStdZielEdit()
{
    TargetEditEvents events;
    events.keyUp = [this](unsigned key) { StdZielBoxKeyUp(key); };
    events.doubleClick = [this] { BtnStdZielClick(); };
    events.focusLost = [this](HWND next) { setStdZielNextFocus(next); };
    events.altKeys = true;
    HookTargetEdit(stdZielBox(), std::move(events));
}

// --- The handlers of StdZielBox.

void TmForm::StdZielBoxEnter()
{
    // Entf, Einfg and the number pad's + and - belong to the text while the
    // user types a target.
    setKeyPreview(false);
}

void TmForm::StdZielBoxChange()
{
    // The box moves its selection as the user picks or types; the text
    // itself enters the history only when the box is left.
    set_.selectedTarget = stdZielBox().selected();
    set_.modified = true;
    WriteStatusBar(2, 0, {});
}

void TmForm::StdZielBoxKeyUp(unsigned key)
{
    SetModified(true);
    if (key == VK_RETURN)
        StdZielBoxExit();
}

void TmForm::StdZielBoxExit()
{
    ComboBox box = stdZielBox();
    if (box.selected() < 0)
        set_.modified = true;
    SetModified(set_.modified);
    addTarget(box.text());
    setKeyPreview(true);
    // Posted: moving the focus from inside the focus change that brought us
    // here would leave two windows believing they have it.
    post(kFocusStdZielButton);
}

void TmForm::BtnStdZielClick()
{
    if (!isEnabled(BtnStdZiel) || !links.pickStdZiel)
        return;
    addTarget(stdZielBox().text(), true);
    std::string path = set_.defaultTarget();
    if (path.empty())
        path = kFallbackTarget;
    if (std::optional<std::string> chosen = links.pickStdZiel(path)) {
        addTarget(*chosen, true);
        SetModified(true);
    }
}

}  // namespace tresorix
