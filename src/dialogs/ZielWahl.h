// The target selection dialog: a target directory is picked in a directory
// tree, with a drive selector and a button that creates a new directory.
// The main window's default-target button and the source dialog's target
// button both open it through Pick.
#pragma once

#include "dialogs/DirectoryOutline.h"
#include "dialogs/MdForm.h"
#include "platform/FileSystem.h"
#include "ui/DialogFiles.h"
#include "ui/DriveSelector.h"
#include "ui/Form.h"
#include "ui/Prompts.h"

#include <string>

namespace tresorix {

inline constexpr wchar_t kZielwahlClass[] = L"TZielwahl";

class TZielwahl : public Form {
public:
    // Table (and tab) order.
    enum Row {
        DirViewPlace, BtnVerzeichnisAnlegen, BtnOk, BtnCancel, LbDriveComboBox, DriveComboBoxRow, GroupBox1, Label1,
        kRowCount
    };

    TZielwahl();

    // The create-directory dialog, made after this one.
    void setCreateDialog(TmdForm& mdForm) { mdForm_ = &mdForm; }
    // Drives are probed and the tree is read through this file system
    // (DialogFileSystem by default).
    void setFileSystem(FileSystem& fs)
    {
        fs_ = &fs;
        DirView.setFileSystem(fs);
    }

    // What Pick gives back: how the dialog ended (mrOk, mrCancel, or mrNone
    // when a probe kept it shut) and the tree's directory then, which is
    // the choice after mrOk.
    struct Choice {
        ButtonResult modalResult = mrNone;
        std::string directory;
        bool chosen() const { return modalResult == mrOk; }
    };
    // Opens the dialog for a proposed path: DriveProbeResult := 0, the drive
    // selector set to the path's drive, and while no probe failed the tree
    // preset to the path and the dialog shown modally.
    Choice Pick(const std::string& proposal);

    // The last probe's result since Pick reset it (ProbeDrive); while it is
    // not 0, a change of drive probes nothing.
    uint8_t DriveProbeResult() const { return driveProbeResult_; }

    void FormShow();
    void DriveComboBoxChange();
    void BtnVerzeichnisAnlegenClick();

    TDirectoryOutline DirView;
    DriveSelector DriveComboBox;

protected:
    void onCommand(int row, int code) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void onDpiChanged(int) override { DirView.setDpi(dpi()); }

private:
    static constexpr UINT kFormShow = WM_APP + 1;

    TmdForm* mdForm_ = nullptr;
    uint8_t driveProbeResult_ = 0;
    FileSystem* fs_ = &DialogFileSystem();
};

}  // namespace tresorix
