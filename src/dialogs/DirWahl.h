// The source and file selection dialog: a drive, a directory of the tree,
// one file of the file list or a filter of the filter selector, the entry's
// target and three options. Entry editing presets it, shows it modally and
// reads it back.
#pragma once

#include "dialogs/DirectoryOutline.h"
#include "dialogs/FilterForm.h"
#include "engine/FileList.h"
#include "platform/FileSystem.h"
#include "set/Filters.h"
#include "set/SetFile.h"
#include "ui/Controls.h"
#include "ui/DriveSelector.h"
#include "ui/Form.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tresorix {

inline constexpr wchar_t kDirWahlClass[] = L"TDirWahl";

// The filters the dialog offers before the user adds any.
inline constexpr char kPresetFilters[] =
    "Alle Dateien (*.*)|*.*|Textdateien (*.txt)|*.txt|Dokumente (*.doc)|*.doc|"
    "Pascal-/Delphi-Dateien (*.pas;*.dpr;*.bpg;*.dfm;*.dof;*.cfg;*.res;*.dpk;*.inc)|"
    "*.pas;*.dpr;*.bpg;*.dfm;*.dof;*.cfg;*.res;*.dpk;*.inc|"
    "HTML/WEB-Dateien (*.htm*;*.shtm*;*.dhtm*;*.css;*.class;*.js)|*.htm*;*.shtm*;*.dhtm*;*.css;*.class;*.js|"
    "Windows-Systemdateien (*.SYS;WIN.INI;SYSTEM.INI;*.DAT)|*.SYS;WIN.INI;SYSTEM.INI;*.DAT|"
    "Programmdateien (*.EXE;*.COM)|*.exe;*.com|DLL-Dateien (*.DLL;*.OCX;*.VBX;*.VXD)|*.DLL;*.OCX;*.VBX;*.VXD";

// "0 Dateien", "1 Datei", "2 Dateien".
std::string FileCounterText(size_t files);

// What entry editing hands the source dialog.
struct SourceDialogInput {
    std::string caption;
    // The program's filter list; empty stands for the presets.
    std::string filterList;
    // The default-target history, which the target box offers together
    // with <Standardziel>.
    std::vector<std::string> targets;
    // What <Standardziel> stands for when the target button proposes a
    // directory.
    std::string standardTarget;
    // The entry to edit; none for a new one.
    std::optional<BackupEntry> entry;
};

// What the dialog gives back, whether it ended with OK or not.
struct SourceDialogResult {
    bool ok = false;
    // After OK: the entry as the dialog makes it.
    BackupEntry entry;
    // The program's filter list with the filters the user added, which
    // stay even when the dialog is cancelled.
    std::string filterList;
};

class TDirWahl : public Form {
public:
    // Layout rows, in table (and tab) order.
    enum Row {
        LbFilterComboBox, FilterComboBox, LbDriveComboBox, DriveComboBox, DirView, BtnNeuerFilter, LbFileList,
        FileList, MitSubDirs, LbZielBox, ZielBox, MitLw, PfadAnlegen, BtnOk, BtnCancel, BtnZielWahl, LbFileCtr,
        kRowCount
    };

    // The selector starts with the presets, which are the program's list
    // until an edit brings another.
    explicit TDirWahl(FileSystem& fs);

    // Presets the dialog, shows it modally and reads it back. However it
    // ends, the selector shows the program's list again afterwards, so
    // that it never keeps the order an edit gave it.
    SourceDialogResult edit(const SourceDialogInput& input);

    // The dialog sets it when the user changes the directory, the filter or
    // the file; only entry editing clears it.
    bool SelectionChanged = false;
    // Makes the next directory or filter change leave SelectionChanged
    // alone; showing the dialog ends it (FormShow).
    bool IgnoreNextChange = false;

    // --- Links to the other windows; program main sets them.
    TFilterForm* filterForm = nullptr;
    // Opens the target dialog at `proposal`; the chosen directory after OK,
    // nothing after Cancel or when the dialog could not be shown.
    std::function<std::optional<std::string>(const std::string& proposal)> chooseTarget;

    // Runs FormShow and the modal loop.
    ButtonResult showDialog();

    // --- The filter selector.
    const std::string& filter() const { return filter_; }
    // The program's list, which new filters are appended to; the selector
    // shows it (empty: the presets).
    const std::string& programFilters() const { return programFilters_; }
    void setProgramFilters(const std::string& filterList);
    // A list that differs ignoring case is read anew, its first filter
    // selected and applied, and the change handler runs.
    void setFilter(const std::string& filterList);
    // As the user's choice of an entry.
    void chooseFilter(int index);
    // The selected filter's masks; with nothing selected the last filter is
    // selected first; without filters "*.*".
    std::string currentMask() const;
    int filterIndex() const { return item<ComboBox>(FilterComboBox).selected(); }
    const std::vector<Filter>& filters() const { return filters_; }

    // --- The file list.
    const MatchingFileList& fileList() const { return fileList_; }
    // FillFileList on this dialog's list; 0 or the error that kept it unread.
    uint32_t fillFileList(const std::string& directory, const std::string& masks);
    void choiceChanged();
    // The selected file's name, or "" when none is.
    std::string selectedFile() const;
    // As a click on the file's line.
    void clickFile(size_t index);
    std::string fileCounter() const { return item<Label>(LbFileCtr).text(); }

    // Entry editing: the drive, tree and file list of an entry's source and
    // file column, the filter that matches the column moved to the front.
    void presetSource(const std::string& source, const std::string& masks);

    // --- The drive selector and the directory tree.
    DriveSelector& driveComboBox() { return driveComboBox_; }
    // The result of the last drive change's probe (ProbeDrive).
    uint8_t DriveProbeResult() const { return driveProbeResult_; }
    TDirectoryOutline& dirView() { return dirView_; }
    // The tree's current directory: the entry's source after OK.
    const std::string& directory() const { return dirView_.Directory(); }
    // The tree on the path's drive, preset to the path.
    void showDirectory(const std::string& path);

    // --- Target box and options.
    ComboBox zielBox() const { return item<ComboBox>(ZielBox); }
    bool checked(Row row) const { return item<CheckBox>(row).checked(); }
    void setChecked(Row row, bool on) const { item<CheckBox>(row).setChecked(on); }
    // True while Enter belongs to the target box instead of OK.
    bool okIsDefault() const { return okDefault_; }
    // What <Standardziel> stands for at the target button.
    void setStandardTarget(std::string path) { standardTarget_ = std::move(path); }

    // --- Handlers.
    void FormShow();
    void DriveComboBoxChange();
    void DirViewChange();
    void FilterComboBoxChange();
    void FileListChange();
    void FileListClick();
    void FileListDblClick();
    void BtnNeuerFilterClick();
    void ZielBoxEnter();
    void ZielBoxKeyUp(unsigned key);
    void ZielBoxExit();
    void BtnOkClick();
    void BtnZielWahlClick();

protected:
    void onCommand(int row, int code) override;
    LRESULT onNotify(int row, NMHDR& header) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void onDpiChanged(int oldDpi) override;

private:
    void applyMask(const std::string& masks);
    void fitFileColumn();
    void showFileList();
    void commitTarget();
    void focusTree();
    void setDrive(char letter);
    void presetFromEntry(const BackupEntry& entry);
    BackupEntry readBack(BackupEntry entry) const;

    FileSystem& fs_;
    std::string programFilters_;
    std::string standardTarget_;

    std::string filter_;
    std::vector<Filter> filters_;
    MatchingFileList fileList_;
    std::wstring shownName_;  // the name the list view is drawing
    bool syncingList_ = false;
    bool okDefault_ = true;
    uint8_t driveProbeResult_ = 0;
    TDirectoryOutline dirView_;
    DriveSelector driveComboBox_;
};

}  // namespace tresorix
