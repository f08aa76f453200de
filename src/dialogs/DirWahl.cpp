#include "dialogs/DirWahl.h"

#include "dialogs/TargetBox.h"
#include "engine/Mask.h"
#include "platform/Win32FileSystem.h"
#include "set/Text.h"
#include "ui/Prompts.h"
#include "ui/Subclass.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <utility>

namespace tresorix {

namespace {

// The file list is a one-column report view without a header that draws
// its names from the matching-file list itself: a directory of thousands of
// files shows at once, without an insert per name.
constexpr DWORD kFileListStyle = LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_OWNERDATA;

// The Lb... rows name the input after them for screen readers: hidden
// statics, which the system's accessibility layer takes as the label of the
// next control in z-order, visible or not.
constexpr ControlRow kLayout[] = {
    {"LbFilterComboBox", Kind::label, "Dateifilter", nullptr, 8, 8, 1, 1, rowHidden},
    {"FilterComboBox", Kind::comboBox, "", nullptr, 8, 8, 426, 21, 0, mrNone, CBS_DROPDOWNLIST},
    {"LbDriveComboBox", Kind::label, "Laufwerk", nullptr, 8, 38, 1, 1, rowHidden},
    {"DriveComboBox", Kind::comboBox, "", nullptr, 8, 38, 209, 21, 0, mrNone, CBS_DROPDOWNLIST},
    {"DirView", Kind::treeView, "", nullptr, 8, 66, 209, 196},
    {"BtnNeuerFilter", Kind::button, "&Neuen Filter anlegen", "Hier klicken, um einen neuen Dateifilter anzulegen",
     225, 37, 209, 23},
    {"LbFileList", Kind::label, "Dateien", nullptr, 225, 66, 1, 1, rowHidden},
    {"FileList", Kind::listView, "", nullptr, 225, 66, 209, 196, 0, mrNone, kFileListStyle},
    {"MitSubDirs", Kind::checkBox, " mit &Unterverzeichnissen sichern ",
     "wenn ausgewählt, werden Dateien in Unterverzeichnissen des Quellverzeichnisses mit verarbeitet", 8, 268, 209,
     17},
    {"LbZielBox", Kind::label, "Ziel", nullptr, 89, 298, 1, 1, rowHidden},
    {"ZielBox", Kind::comboBox, "", nullptr, 89, 298, 345, 21},
    {"MitLw", Kind::checkBox, " &Laufwerksbuchstabe übernehmen",
     "wenn ausgewählt, wird der Laufwerksbuchstabe in den Backup-Pfad übernommen", 8, 330, 260, 17},
    {"PfadAnlegen", Kind::checkBox, " &Quellpfad in das Zielverzeichnis übernehmen",
     "wenn ausgewählt, wird der Quellpfad in den Backup-Pfad übernommen", 8, 352, 260, 17},
    {"BtnOk", Kind::button, "&OK", nullptr, 278, 356, 75, 23, rowDefault, mrOk},
    {"BtnCancel", Kind::button, "&Abbruch", nullptr, 359, 356, 75, 23, rowCancel, mrCancel},
    {"BtnZielWahl", Kind::button, "  &Ziel :", "Klicken Sie hier, um das Zielverzeichnis für diesen Eintrag festzulegen",
     8, 297, 75, 23},
    {"LbFileCtr", Kind::label, "0 Dateien", nullptr, 225, 269, 0, 0},
};
static_assert(std::size(kLayout) == TDirWahl::kRowCount);

// The file list: a click on blank space below the names would clear the
// selected file, and OK would then store the filter's masks instead of the
// file the user picked. It changes nothing; only the focus moves there.
bool fileListMessage(HWND list, UINT msg, WPARAM, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: {
        LVHITTESTINFO hit{};
        hit.pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (CallControl(list, LVM_HITTEST, 0, LPARAM(&hit)) < 0) {
            SetFocus(list);
            return true;
        }
        break;
    }
    }
    return false;
}

// The directory itself when it exists, else its nearest parent that does,
// else its drive's root.
std::string existingDirectory(FileSystem& fs, std::string path)
{
    for (;;) {
        uint32_t attributes = 0;
        if (path.size() <= 3 || (fs.getAttributes(path, attributes) == 0 && (attributes & attrDirectory)))
            return path;
        size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos)
            return path;
        path.resize(std::max<size_t>(slash, 3));
    }
}

}  // namespace

std::string FileCounterText(size_t files)
{
    return std::to_string(files) + (files == 1 ? " Datei" : " Dateien");
}

TDirWahl::TDirWahl(FileSystem& fs) : fs_(fs)
{
    create({kDirWahlClass, " Verzeichnis- und Dateiauswahl", 442, 389, WS_POPUP | WS_CAPTION}, kLayout);
    ListView list = item<ListView>(FileList);
    list.setExtendedStyle(LVS_EX_FULLROWSELECT);
    list.addColumn(0, "", 0);
    fitFileColumn();
    SubclassControl(list, fileListMessage);
    zielBox().send(CB_SETMINVISIBLE, 9);
    setChecked(PfadAnlegen, true);
    // Enter stays in the box: it commits the target there instead of
    // closing the dialog.
    TargetEditEvents events;
    events.keyUp = [this](unsigned key) { ZielBoxKeyUp(key); };
    events.doubleClick = [this] { BtnZielWahlClick(); };
    events.keepEnter = true;
    HookTargetEdit(zielBox(), std::move(events));
    fileList_.OnChange = [this] { FileListChange(); };
    dirView_.setFileSystem(fs_);
    dirView_.create(*this, DirView);
    hints().addTool(handle(), dirView_.handle(), "öffnen und schließen Sie die Ordner durch einen Doppelklick");
    dirView_.OnChange = [this] { DirViewChange(); };
    driveComboBox_.attach(control(DriveComboBox));
    driveComboBox_.OnChange = [this] { DriveComboBoxChange(); };
    // Filled now, not when a drive is first set: started in a network
    // directory, the dialog has no drive to set before the user picks one.
    driveComboBox_.fill();

    setProgramFilters({});
    centerOnScreen();
}

// The one column fills the list beside its scroll bar.
void TDirWahl::fitFileColumn()
{
    ListView list = item<ListView>(FileList);
    list.setColumnWidth(0, list.clientRect().right - SystemMetric(SM_CXVSCROLL, dpi()));
}

void TDirWahl::onDpiChanged(int)
{
    fitFileColumn();
    dirView_.setDpi(dpi());
}

ButtonResult TDirWahl::showDialog()
{
    driveComboBox_.fill();
    // Before any entry has preset it, the dialog opens where the program
    // was started, when that is on a drive, else at the root of the drive
    // Windows is on: the tree is never without a directory OK could take.
    if (!dirView_.Drive()) {
        std::string cwd = WorkingDirectory();
        if (cwd.size() < 3 || cwd[1] != ':') {
            std::wstring windows(GetSystemWindowsDirectoryW(nullptr, 0), L'\0');
            windows.resize(GetSystemWindowsDirectoryW(windows.data(), UINT(windows.size())));
            cwd = Narrow(windows).substr(0, 3);
        }
        if (cwd.size() >= 3 && cwd[1] == ':')
            showDirectory(cwd);
    }
    // A directory deleted since the dialog last showed it must not become an
    // entry's source unseen: the dialog opens on what is left of it.
    if (dirView_.Drive() && !directory().empty()) {
        std::string existing = existingDirectory(fs_, directory());
        if (existing != directory())
            showDirectory(existing);
    }
    centerOnScreen();
    FormShow();
    return showModal();
}

void TDirWahl::FormShow()
{
    // IgnoreNextChange is there for a change notification that the controls
    // raise on their own while the dialog opens. Ours raise none, so the
    // flag would swallow the user's first real change of directory or
    // filter, and OK would keep the old file column: it ends here.
    IgnoreNextChange = false;
    focusTree();
}

void TDirWahl::focusTree()
{
    // Posted: before a modal run starts, its own choice of the first control
    // would come after ours.
    post(WM_NEXTDLGCTL, WPARAM(dirView_.handle()), TRUE);
}

// --- Filter selector.

void TDirWahl::setProgramFilters(const std::string& filterList)
{
    programFilters_ = filterList.empty() ? std::string(kPresetFilters) : filterList;
    setFilter(programFilters_);
}

void TDirWahl::setFilter(const std::string& filterList)
{
    if (EqualsIgnoreCase(filterList, filter_))
        return;
    filter_ = filterList;
    filters_ = ParseFilterList(filter_);
    ComboBox box = item<ComboBox>(FilterComboBox);
    box.setRedraw(false);
    box.clear();
    for (const Filter& f : filters_)
        box.add(f.description);
    box.setRedraw(true);
    box.invalidate();
    chooseFilter(0);
}

void TDirWahl::chooseFilter(int index)
{
    item<ComboBox>(FilterComboBox).select(index);
    applyMask(currentMask());
    FilterComboBoxChange();
}

std::string TDirWahl::currentMask() const
{
    if (filters_.empty())
        return "*.*";
    ComboBox box = item<ComboBox>(FilterComboBox);
    int index = box.selected();
    if (index < 0 || size_t(index) >= filters_.size()) {
        index = int(filters_.size()) - 1;
        box.select(index);
    }
    return filters_[size_t(index)].masks;
}

void TDirWahl::applyMask(const std::string& masks)
{
    // The list keeps its directory; before it has one there is nothing to
    // read again.
    if (!fileList_.directory().empty())
        fillFileList(fileList_.directory(), masks);
}

void TDirWahl::FilterComboBoxChange()
{
    choiceChanged();
}

// --- Directory.

void TDirWahl::presetSource(const std::string& source, const std::string& masks)
{
    ListView list = item<ListView>(FileList);
    list.setRedraw(false);
    dirView_.BeginUpdate();
    setDrive(source.empty() ? 0 : source[0]);
    setFilter(FilterToFront(filter_, masks));
    ShowDirectoryInTree(dirView_, source);
    fillFileList(source, masks);
    dirView_.EndUpdate();
    list.setRedraw(true);
    list.invalidate();
}

void TDirWahl::setDrive(char letter)
{
    driveComboBox_.SetDrive(letter);
}

void TDirWahl::DriveComboBoxChange()
{
    char previous = dirView_.Drive();
    char letter = driveComboBox_.Drive();
    driveProbeResult_ = ProbeDrive(fs_, letter);
    if (driveProbeResult_ == errDriveNotReady) {
        ShowInfo(std::string("Laufwerk ") + char(letter - 'a' + 'A') + ": ist nicht bereit.");
        // Runs this handler once more, for the drive the tree still shows.
        driveComboBox_.SetDrive(previous);
    } else {
        dirView_.SetDrive(letter);
        dirView_.Repaint();
    }
    if (visible())
        focusTree();
}

void TDirWahl::showDirectory(const std::string& path)
{
    setDrive(path.empty() ? 0 : path[0]);
    ShowDirectoryInTree(dirView_, path);
}

void TDirWahl::DirViewChange()
{
    choiceChanged();
}

// A new directory or filter: the entry's file column is chosen anew,
// unless the program itself made this change.
void TDirWahl::choiceChanged()
{
    if (IgnoreNextChange)
        IgnoreNextChange = false;
    else
        SelectionChanged = true;
    if (!directory().empty())
        fillFileList(directory(), currentMask());
}

// --- File list.

uint32_t TDirWahl::fillFileList(const std::string& directory, const std::string& masks)
{
    ListView list = item<ListView>(FileList);
    list.setRedraw(false);
    // A directory that cannot be listed leaves the list empty ("0 Dateien"):
    // a file picked there would be stored with the wrong directory.
    uint32_t error = FillFileList(fs_, fileList_, directory, masks);
    if (error != 0)
        fileList_.clear();
    list.setRedraw(true);
    list.invalidate();
    return error;
}

void TDirWahl::FileListChange()
{
    showFileList();
    setCaption(LbFileCtr, FileCounterText(fileList_.count()));
}

void TDirWahl::showFileList()
{
    ListView list = item<ListView>(FileList);
    syncingList_ = true;
    if (size_t(list.count()) != fileList_.count()) {
        list.send(LVM_SETITEMCOUNT, fileList_.count(), LVSICF_NOSCROLL);
        list.invalidate();
    }
    int shown = list.selected();
    size_t wanted = fileList_.selected();
    if (wanted == MatchingFileList::npos) {
        if (shown >= 0) {
            LVITEMW none{};
            none.stateMask = LVIS_SELECTED;
            list.send(LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&none));
        }
    } else if (size_t(shown) != wanted) {
        list.select(int(wanted));
        list.ensureVisible(int(wanted));
    }
    list.invalidate(false);
    syncingList_ = false;
}

std::string TDirWahl::selectedFile() const
{
    size_t index = fileList_.selected();
    return index < fileList_.count() ? fileList_.names()[index] : std::string();
}

void TDirWahl::clickFile(size_t index)
{
    fileList_.select(index);
    FileListClick();
}

void TDirWahl::FileListClick()
{
    SelectionChanged = true;
}

void TDirWahl::FileListDblClick()
{
    click(BtnOk);
}

// --- New filter.

void TDirWahl::BtnNeuerFilterClick()
{
    if (filterForm && filterForm->showEmpty() == mrOk) {
        if (std::optional<Filter> added = MakeNewFilter(filterForm->description(), filterForm->masks())) {
            std::string pair = added->description + "|" + added->masks;
            setFilter(pair + "|" + filter_);
            programFilters_ += (programFilters_.empty() ? "" : "|") + pair;
        }
    }
    focusTree();
}

// --- Messages.

void TDirWahl::onCommand(int row, int code)
{
    switch (row) {
    case FilterComboBox:
        if (code == CBN_SELCHANGE)
            chooseFilter(item<ComboBox>(FilterComboBox).selected());
        break;
    case DriveComboBox:
        if (code == CBN_SELCHANGE)
            driveComboBox_.userChanged();
        break;
    case BtnNeuerFilter:
        if (code == BN_CLICKED)
            BtnNeuerFilterClick();
        break;
    case ZielBox:
        if (code == CBN_SETFOCUS)
            ZielBoxEnter();
        else if (code == CBN_KILLFOCUS)
            ZielBoxExit();
        break;
    case BtnOk:
        if (code == BN_CLICKED)
            BtnOkClick();
        break;
    case BtnZielWahl:
        if (code == BN_CLICKED)
            BtnZielWahlClick();
        break;
    default:
        break;
    }
}

bool TDirWahl::onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == WM_DEVICECHANGE)
        driveComboBox_.deviceChanged(wp);
    return msg == WM_NOTIFY && dirView_.handleNotify(lp, result);
}

LRESULT TDirWahl::onNotify(int row, NMHDR& header)
{
    if (row != FileList)
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
        size_t index = size_t(info.item.iItem);
        if ((info.item.mask & LVIF_TEXT) && index < fileList_.count()) {
            shownName_ = Widen(fileList_.names()[index]);
            info.item.pszText = shownName_.data();
        }
        return 0;
    }
    case LVN_ITEMCHANGED: {
        auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        // Only the selection counts; the focus mark has notifications of its own.
        if (syncingList_ || !(change.uChanged & LVIF_STATE) || !((change.uOldState ^ change.uNewState) & LVIS_SELECTED))
            return 0;
        int selected = item<ListView>(FileList).selected();
        fileList_.select(selected < 0 ? MatchingFileList::npos : size_t(selected));
        // Picking a file with the arrow keys is a click as well.
        FileListClick();
        return 0;
    }
    case NM_CLICK:
        FileListClick();
        return 0;
    case NM_DBLCLK:
        if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0)
            FileListDblClick();
        return 0;
    }
    return 0;
}

}  // namespace tresorix
