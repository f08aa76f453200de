// The drive selector of the two selection dialogs and their drive probe.
//
// The selector is a drop-down list row of the form's layout (Kind::comboBox
// with CBS_DROPDOWNLIST); the form hands its CBN_SELCHANGE to userChanged.
#pragma once

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "ui/DialogFiles.h"
#include "ui/Controls.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tresorix {

// Lists the drive's root: the low byte of the result, 0 the root could be
// listed, 21 the drive is not ready, else the listing's error. A ready drive
// whose root holds nothing (a new, empty medium) counts as listed.
uint8_t ProbeDrive(FileSystem& fs, char letter);

// "c: [System]", "d:", "n: \\server\share": the letter in lower case, a
// fixed, CD-ROM or RAM drive's volume label, a network drive's connection.
std::string DriveText(char letter);
// The same of `drives`; the one above asks the system's (DialogDrives).
std::string DriveText(Drives& drives, char letter);

class DriveSelector : public ComboBox {
public:
    // The selector is a form's control; the object keeps the drive and the
    // handler, so it is made once and attached when the form is created.
    void attach(HWND combo) { hwnd_ = combo; }
    // The drives it lists (DialogDrives by default).
    void setDrives(Drives& drives) { drives_ = &drives; }

    // One entry per logical drive, in letter order; the current drive stays
    // selected. Filled whenever its dialog shows and when a drive comes or
    // goes, so that a stick plugged in meanwhile is listed.
    void fill() const;
    // A dialog's WM_DEVICECHANGE.
    void deviceChanged(WPARAM event) const;
    // The current drive letter (lower case), 0 before the first.
    char Drive() const;
    // Nothing when an entry is selected and it is this drive (any case);
    // else the drive becomes current, its entry is selected and OnChange fires.
    void SetDrive(char letter);
    // The user picked an entry.
    void userChanged();

    std::function<void()> OnChange;

private:
    Drives* drives_ = &DialogDrives();
    char drive_ = 0;
};

}  // namespace tresorix
