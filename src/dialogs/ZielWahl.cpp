#include "dialogs/ZielWahl.h"

#include "ui/Prompts.h"

namespace tresorix {

namespace {

// The tree takes the place of the hidden first row.
constexpr ControlRow kLayout[] = {
    {"DirView", Kind::treeView, "", nullptr, 8, 37, 255, 193},
    {"BtnVerzeichnisAnlegen", Kind::button, "&Neues Verzeichnis anlegen", nullptr, 8, 286, 255, 23},
    {"BtnOk", Kind::button, "&OK", nullptr, 107, 315, 75, 23, rowDefault, mrOk},
    {"BtnCancel", Kind::button, "&Abbruch", nullptr, 188, 315, 75, 23, rowCancel, mrCancel},
    // The drive box's name for screen readers (a hidden static before it).
    {"LbDriveComboBox", Kind::label, "Laufwerk", nullptr, 8, 8, 1, 1, rowHidden},
    {"DriveComboBox", Kind::comboBox, "", nullptr, 8, 8, 255, 21, 0, mrNone, CBS_DROPDOWNLIST},
    {"GroupBox1", Kind::groupBox, "", nullptr, 8, 234, 255, 46},
    {"Label1", Kind::label,
     "Durch Doppelklick auf einen Ordner können Sie weitere Verzeichnisse aufklappen.", nullptr, 16, 249, 239,
     26},
};

char upperLetter(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

}  // namespace

TZielwahl::TZielwahl()
{
    create({kZielwahlClass, " Zielwahl", 271, 346, WS_POPUP | WS_CAPTION}, kLayout);
    DirView.create(*this, DirViewPlace);
    DriveComboBox.attach(control(DriveComboBoxRow));
    DriveComboBox.OnChange = [this] { DriveComboBoxChange(); };
    centerOnScreen();
}

TZielwahl::Choice TZielwahl::Pick(const std::string& proposal)
{
    // The drives are listed when they are needed, not at start-up, where
    // the volume queries would only cost time.
    DriveComboBox.fill();
    driveProbeResult_ = 0;
    if (!proposal.empty())
        DriveComboBox.SetDrive(proposal[0]);
    if (driveProbeResult_ == 0)
        ShowDirectoryInTree(DirView, proposal);
    if (driveProbeResult_ != 0)
        return {mrNone, DirView.Directory()};
    ButtonResult result = showModal();
    return {result, DirView.Directory()};
}

void TZielwahl::FormShow()
{
    DirView.Repaint();
    send(WM_NEXTDLGCTL, WPARAM(DirView.handle()), TRUE);
}

void TZielwahl::DriveComboBoxChange()
{
    if (driveProbeResult_ == 0) {
        char previous = DirView.Drive();
        char letter = DriveComboBox.Drive();
        driveProbeResult_ = ProbeDrive(*fs_, letter);
        if (driveProbeResult_ == errDriveNotReady) {
            std::string text = "Wechsel zu Laufwerk ";
            text += upperLetter(letter);
            text += ": ist nicht möglich.\r\nUrsache: Laufwerk ist nicht bereit.";
            ShowInfo(text);
            DriveComboBox.SetDrive(previous);
        } else {
            DirView.SetDrive(letter);
            DirView.Repaint();
        }
    }
    if (visible())
        send(WM_NEXTDLGCTL, WPARAM(DirView.handle()), TRUE);
}

void TZielwahl::BtnVerzeichnisAnlegenClick()
{
    if (!mdForm_)
        return;
    std::optional<std::string> made = mdForm_->Create(DirView.Directory());
    if (!made)
        return;
    DirView.BeginUpdate();
    DirView.Add(*made);
    DirView.SetDirectory(*made);
    DirView.EndUpdate();
}

void TZielwahl::onCommand(int row, int code)
{
    if (row == BtnVerzeichnisAnlegen && code == BN_CLICKED)
        BtnVerzeichnisAnlegenClick();
    else if (row == DriveComboBoxRow && code == CBN_SELCHANGE)
        DriveComboBox.userChanged();
}

bool TZielwahl::onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_NOTIFY:
        return DirView.handleNotify(lp, result);
    case WM_DEVICECHANGE:
        DriveComboBox.deviceChanged(wp);
        return false;
    case WM_SHOWWINDOW:
        // Posted: the modal run focuses the default button after showing.
        if (wp)
            post(kFormShow);
        return false;
    case kFormShow:
        FormShow();
        result = 0;
        return true;
    }
    return false;
}

}  // namespace tresorix
