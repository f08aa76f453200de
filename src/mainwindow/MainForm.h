// The main window TmForm: the entry list, the default target, the conflict
// mode and the automation switches are the live backup set; the toolbar and
// the keyboard carry the commands; start-up and close read and write the
// settings file.
//
// The window shows a BackupSet and changes it through its handlers. The
// other windows reach it through its links, which program main wires. Its
// runs are its RunController's, which shows them in the progress window
// with this window as the status view and SetStatus as the lock.
#pragma once

#include "dialogs/ProgramVersion.h"
#include "engine/Backup.h"
#include "run/RunController.h"
#include "set/BackupSet.h"
#include "set/Profile.h"
#include "ui/Controls.h"
#include "ui/DialogFiles.h"
#include "ui/Form.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tresorix {

inline constexpr wchar_t kMainFormClass[] = L"TmForm";
inline constexpr char kSetFileFilter[] = "Tresorix-Dateien (*.tsi)|*.tsi";
inline constexpr char kWebPage[] = TRESORIX_WEB;

// What start-up takes from outside the window.
struct StartupInfo {
    std::string programPath;             // full path of tresorix.exe
    std::vector<std::string> arguments;  // the command line after the program's name
};

// The system's dialogs behind the default links: the open or save dialog
// for set files, starting in `directory`, and the network drive dialogs.
std::optional<std::string> ShowSetFileDialog(HWND owner, const std::string& directory, bool save);
void ShowNetworkDialog(HWND owner, bool connect);

// How the save question ended. `saveChosen` also when the file dialog that
// followed was cancelled: the caller goes on as after No. A save that
// failed ends as `cancelled`, keeping the window and the set as they are.
enum class SaveAnswer { notAsked, saveChosen, discardChosen, cancelled };

// What saving the set did; only saving under a new name can end with the
// file dialog cancelled.
enum class SaveOutcome { saved, failed, dialogCancelled };

// What loading a set file did. A missing file that stands for none
// (NONAME.TSI) is no failure, and a load the user cancelled at the save
// question loads nothing without having failed either.
enum class LoadOutcome { loaded, cancelled, nonameMissing, failed };

// The commands the keyboard reaches (FormKeyDown).
enum class MainCommand {
    none,
    ende,
    bearbeiten,
    start,
    info,
    fileOpen,
    fileSave,
    disconnect,
    fileSaveAs,
    connect,
    allesLoeschen,
    entfernen,
    neu,
};
// The command of a key with its modifiers (ssAlt, ssCtrl; Shift is never
// looked at).
MainCommand KeyCommand(unsigned key, unsigned shift);

class TmForm : public Form, public RunView {
public:
    enum Row {
        BtnFileOpen, BtnFileSave, BtnFileSaveAs, Bevel1,
        BtnNeu, BtnBearbeiten, BtnEntfernen, BtnAllesLoeschen, Bevel2,
        BtnStart, Bevel3,
        BtnConnect, BtnDisconnect, Bevel4,
        BtnInfo, Bevel5,
        BtnEnde, ToolLine,
        BtnStdZiel, LbStdZielBox, StdZielBox, Liste,
        BackUpMode, Mode0, Mode1, Mode2, Mode3,
        WinAutoLoad, AutoStart, AutoClose,
        Label1, Label2, LbBlindLabel,
        StatusBar,
        kRowCount
    };

    // The window as designed, hidden; FormCreate then applies the settings,
    // the registry and the command line.
    TmForm();
    ~TmForm() override;

    // Links to the other windows and to the system. Program main sets the
    // first ones; the others have working defaults, which tests replace.
    struct Links {
        // Entry editing in the source dialog; true for a new entry.
        std::function<void(bool newEntry)> editEntry;
        // The program information dialog, modal.
        std::function<void()> showInfo;
        // The target dialog of BtnStdZiel, preset to the proposed path; the
        // chosen directory, or nothing when cancelled or kept shut.
        std::function<std::optional<std::string>(const std::string& proposal)> pickStdZiel;
        // The open (false) or save (true) dialog for set files; nothing
        // when cancelled.
        std::function<std::optional<std::string>(bool save)> chooseSetFile;
        // The system's dialog to connect (true) or disconnect a network drive.
        std::function<void(bool connect)> networkDialog;
        std::function<void(const std::string& address)> openWebPage;
        // After FormClose: program main ends its message loop here.
        std::function<void()> closed;
    };
    Links links;

    // The runs this window starts; the close query cancels through it.
    RunController& run() { return run_; }
    // Set files, the settings file and the default target's directory go
    // through this file system (DialogFileSystem by default); set it
    // before FormCreate.
    void setFileSystem(FileSystem& fs) { files_ = &fs; }

    // --- The backup set the window shows. Each control's handler updates
    // it as the control changes; a target still being typed into the
    // default-target box enters it when the box is left.
    const BackupSet& set() const { return set_; }
    // The program's filter list, as the source dialog gives it back.
    void setFilterList(std::string list) { set_.filterList = std::move(list); }
    // Changes that the window shows at once.
    void addEntry(const BackupEntry& entry);
    void setEntry(int index, const BackupEntry& entry);
    void setMode(ConflictMode mode);
    void setFileName(std::string name) { set_.fileName = std::move(name); }
    // Through the history's rule; `checkDirectory` first prepares the
    // directory (PrepareTargetDirectory), which may refuse it.
    void addTarget(const std::string& path, bool checkDirectory = false);
    // As a click on the box would, when the state changes (AutoSettingsClick).
    void setChecked(Row box, bool on);

    // --- Start-up and close.
    void FormCreate(const StartupInfo& startup);
    void FormShow();
    // Runs after the close query allowed closing; then the window hides.
    void FormClose();

    // --- Status bar, modified flag, lock.
    void WriteStatusBar(int panel, uint64_t number, const std::string& text);
    void SetModified(bool flag);
    void SetStatus(bool enabled);
    SaveAnswer AskSave();

    // --- Commands; each does nothing while its button is disabled
    // (BtnInfoClick excepted).
    void BtnFileOpenClick();
    void BtnFileSaveClick();
    void BtnFileSaveAsClick();
    void ListeBearbeiten(bool newEntry);
    void BtnEntfernenClick();
    void BtnAllesLoeschenClick();
    void BtnStartClick();
    void BtnConnectClick();
    void BtnDisconnectClick();
    void BtnInfoClick();
    void BtnEndeClick();
    void BtnStdZielClick();

    // --- The set file.
    // Where set files named without a folder lie: the program's folder, or
    // the user's Documents where this user cannot write into the former.
    const std::string& setFileFolder();
    std::string setFilePath(const std::string& name);
    SaveOutcome SaveSetFile(const std::string& fileName);
    LoadOutcome LoadSetFile(const std::string& fileName);

    // --- Reached by the default-target box's edit field, which reports
    // released keys and where the focus goes before the box tells that it
    // lost it.
    void StdZielBoxKeyUp(unsigned key);
    void setStdZielNextFocus(HWND next) { stdZielNextFocus_ = next; }
    ComboBox stdZielBox() const { return item<ComboBox>(StdZielBox); }

    // The narrowest the window may be: AutoClose's right edge plus 20 pixels;
    // and the lowest.
    int minimumWidth() const;
    int minimumHeight() const { return scale(350); }
    // The command line's switches, as start-up took them.
    const std::string& switches() const { return switches_; }

    // RunView: the run's two status-bar values.
    void setSaved(uint64_t files, uint64_t bytes) override;
    void setStatusText(const std::string& text) override;

protected:
    void onCommand(int row, int code) override;
    LRESULT onNotify(int row, NMHDR& header) override;
    bool onKeyDown(UINT key, unsigned shift) override;
    bool onCloseQuery() override;
    void onClose() override;
    void onResize(int width, int height) override;
    void onDpiChanged(int oldDpi) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // Private messages, posted to run after the handler that asks for them.
    static constexpr UINT kFocusStdZielButton = WM_APP + 1;
    static constexpr UINT kClampColumns = WM_APP + 2;
    // The system menu's "Ersetzte Dateien aufbewahren" (below 0xF000, a
    // multiple of 16 as the system's own commands are).
    static constexpr UINT kVersionsCommand = 0x0110;
    // And "Ausnahmen", beside it.
    static constexpr UINT kExclusionsCommand = 0x0120;

    // --- Events.
    void FormKeyDown(unsigned key, unsigned shift);
    bool FormCloseQuery();
    void FormResize();
    void ListeChange();
    void BackUpModeClick();
    void AutoSettingsClick();
    void StdZielBoxEnter();
    void StdZielBoxChange();
    void StdZielBoxExit();
    void UpdateAutoRun();

    bool isEnabled(Row row) const { return item<Window>(row).enabled(); }
    bool checked(Row row) const { return item<CheckBox>(row).checked(); }
    ListView liste() const { return item<ListView>(Liste); }
    // The radios' mode, or none when no button is selected.
    ConflictMode checkedMode() const;
    void showTargets();
    // The box's edit field reports released keys and double-clicks here.
    void hookStdZielEdit();
    // Rows for the set's entries from `first` on, appended to the list.
    void showEntries(size_t first);
    void showMode();
    void showSwitches();

    void setUpControls();
    void layoutControls();
    void relayout();
    void layoutCheckBoxes();
    void setStatusParts();
    void clampColumns();
    void makeLogoFonts();
    void makeStdZielIcons();
    void setLogoColor(COLORREF color);
    void runCommand(MainCommand command);
    void closeWindow();
    // The close that /CLOSE asks for after a run.
    void closeAfterRun();
    std::string modeText() const;
    std::string recordedSetFile() const;
    void tellAtStart(const std::string& text) { run_.tellAtStart(text, starting_); }
    void nothingToRun(const std::string& text);
    // Logoff and shutdown (WM_QUERYENDSESSION, WM_ENDSESSION).
    bool FormQueryEndSession();
    void FormEndSession(bool ending);
    // Drops the reason that blocks the session's end once nothing blocks.
    void releaseEndSession();
    bool focusStaysInWindow(HWND next) const;
    std::optional<std::string> setFileDialog(bool save);
    // Saves under the current name, or asks for one; ignores the buttons'
    // state.
    SaveOutcome saveSet();
    SaveOutcome saveSetAs();
    void applySettings(const Settings& settings);
    Settings currentSettings();
    std::string userSettingsPath() const;
    // The versions item and the exclusions item beside it.
    void addVersionsItem(HMENU systemMenu);
    // The versions dialog; OK sets the setting and this start's days.
    void keepReplacedFiles();
    // The exclusions dialog; OK sets the setting, which the next run takes.
    void editExclusions();

    BackupSet set_;

    RunController run_;
    FileSystem* files_ = &DialogFileSystem();
    // The settings of the run going on, or of the last one; the window's own,
    // so that a switch changed during the run reaches it.
    RunSettings runSettings_;
    HWND stdZielNextFocus_ = nullptr;

    int currentEntry_ = -1;
    std::string switches_;
    std::string programPath_, programDir_;
    std::optional<std::string> setFileFolder_;  // asked when first needed
    // The settings file in use: beside the program when it is there, else
    // the one in the user's folder (UserDataFolder).
    std::string settingsPath_;
    bool versionsItemAdded_ = false;
    bool autoRunFailureTold_ = false;
    Settings settings_;  // as read at start-up; FormClose writes it back changed

    // Design pixels; at 120 dpi the captions grow more than the layout scales.
    bool largeFonts() const { return dpi() == 120; }
    int panel0Width() const { return largeFonts() ? 165 : 140; }
    int panel2Width() const { return largeFonts() ? 125 : 100; }
    int modeWidth() const { return largeFonts() ? 291 : 241; }
    int modeHeight() const { return largeFonts() ? 87 : 92; }
    int checkWidth_ = 0;  // the check boxes' width, from LbBlindLabel

    HFONT logoFont_ = nullptr, logoItalicFont_ = nullptr;
    SIZE logoSize_[2] = {};  // Label1's and Label2's text in their fonts
    COLORREF logoColor_ = RGB(0, 128, 128);
    HICON stdZielIcons_[2] = {};
    bool clampPending_ = false;
    bool layoutPending_ = false;  // sized while hidden: laid out when shown
    bool filling_ = false;  // rows are being added in bulk: one ListeChange at the end
    bool showMaximized_ = false;

    // Start-up until FormShow has run: with /SKIPERRORS its messages go
    // into the log, which is all a scheduled start leaves behind.
    bool starting_ = false;
    // Closing after an unattended run: nobody is there to be asked.
    bool closingUnattended_ = false;
};

}  // namespace tresorix
