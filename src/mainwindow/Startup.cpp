// Start-up and close of the main window: the settings file, the autostart
// value, the command line and the set-file type.
#include "mainwindow/MainForm.h"

#include "dialogs/DirWahl.h"
#include "ui/Prompts.h"
#include "set/AutoRun.h"
#include "set/CommandLine.h"
#include "set/FileIO.h"
#include "set/Profile.h"
#include "set/Text.h"
#include "ui/Placement.h"
#include "ui/ProcessMessages.h"

#include <utility>

namespace tresorix {

void TmForm::FormCreate(const StartupInfo& startup)
{
    programPath_ = startup.programPath;
    size_t slash = programPath_.find_last_of("\\:");
    programDir_ = slash == std::string::npos ? std::string() : programPath_.substr(0, slash + 1);
    starting_ = true;

    // The caption without a file.
    setText(WindowTitle({}, false));

    // At 120 dpi the captions grow more than the layout scales (largeFonts).
    if (largeFonts()) {
        RECT r = rect();
        setSize(r.right - r.left, r.bottom - r.top + scale(5));
    }

    // The check boxes stand right of the conflict mode, as wide as the
    // widest caption (measured when the window was made).
    relayout();
    setStatusParts();

    // Autostart: checked when the value starts this very program.
    setChecked(WinAutoLoad, AutoRunMatches(programPath_));

    // The settings file; a missing one gives the defaults. The user's own,
    // once it exists, comes first: it is written only where the program's
    // folder refused the settings, and a file left there by an elevated
    // start would otherwise be read at every start while every change
    // went elsewhere.
    settingsPath_ = SettingsFileName(programPath_);
    if (const std::string user = userSettingsPath(); !user.empty() && FileExists(*files_, user))
        settingsPath_ = user;
    std::string bytes;
    ReadFileBytes(*files_, settingsPath_, bytes);
    settings_ = ReadSettings(Profile(bytes), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    applySettings(settings_);
    // The source dialog's presets are the program's list until the user
    // changes it, and are saved at close whether the dialog opened or not.
    if (set_.filterList.empty())
        set_.filterList = kPresetFilters;

    // The command line: its switches, the log, a set file to load.
    CommandLineInfo commandLine = ReadCommandLine(startup.arguments);
    switches_ = commandLine.switches;
    run_.takeSwitches(ReadRunSwitches(switches_, startup.arguments));
    run_.takeVersionSetting(settings_.versionDays);
    run_.openLog(settingsPath_);
    if (const std::string& unreadable = run_.switches().unreadableVersions; !unreadable.empty())
        tellAtStart(UnreadableVersionSwitchText(unreadable, run_.versionDays()));
    if (commandLine.fileTaken)
        set_.fileName = commandLine.fileName;
    if (!startup.arguments.empty()) {
        if (SwitchChecksAutoStart(switches_))
            setChecked(AutoStart, true);
        if (SwitchChecksAutoClose(switches_))
            setChecked(AutoClose, true);
    }

    // The clicks above have marked the set modified; nothing has changed
    // it yet.
    item<Window>(AutoStart).enable(set_.winAutoLoad);
    set_.modified = false;

    // The set file: the one named on the command line, else the last one
    // when the settings say to load it. A named file that fails means no
    // run will follow.
    if (set_.fileName.empty())
        set_.fileName = kStandardFile;
    if ((settings_.fileAutoLoad || commandLine.fileTaken) && LoadSetFile(set_.fileName) == LoadOutcome::failed &&
        commandLine.fileTaken)
        run_.nothingRan();

    // A history is never empty; the status bar shows the set as loaded.
    if (set_.targets.empty())
        addTarget("c:\\backup");
    WriteStatusBar(0, 0, {});
    WriteStatusBar(1, 0, {});
    WriteStatusBar(2, 0, {});

    // Set files open with this program from the shell.
    std::string failedValue;
    if (!RegisterFileType(".tsi", "Tresorix Sicherungs-Set", OpenCommand(programPath_), failedValue))
        tellAtStart("Konnte Daten für '" + failedValue + "' nicht setzen");
}

void TmForm::applySettings(const Settings& s)
{
    const RECT place = FitIntoWorkArea({s.left, s.top, s.left + s.width, s.top + s.height});
    SetWindowPos(handle(), nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    showMaximized_ = s.maximized;
    // The history goes through its rule, as a load's target does.
    for (const std::string& target : s.backupDirList)
        set_.addTarget(target);
    // Each width makes the list place its header again, unless it waits for
    // the last one.
    liste().setRedraw(false);
    // The file holds widths at 96 dpi, so that it means the same on any screen.
    for (int i = 0; i < 4; ++i)
        liste().setColumnWidth(i, scale(s.columns[size_t(i)]));
    clampColumns();
    liste().setRedraw(true);
    if (!s.backupDir.empty())
        set_.addTarget(s.backupDir);
    showTargets();
    set_.takeSettings(s);
    showMode();
    showSwitches();
}

void TmForm::FormShow()
{
    ProcessMessages();
    ShowWindow(handle(), showMaximized_ ? SW_SHOWMAXIMIZED : SW_SHOW);
    SetForegroundWindow(handle());
    liste().focus();
    if (set_.autoStart && run_.switches().startAtShow)
        BtnStartClick();
    starting_ = false;
    run_.startedUp();
}

Settings TmForm::currentSettings()
{
    Settings s = settings_;
    RECT r = rect();
    s.left = r.left;
    s.top = r.top;
    s.width = r.right - r.left;
    s.height = r.bottom - r.top;
    s.maximized = IsZoomed(handle());
    for (int i = 0; i < 4; ++i)
        s.columns[size_t(i)] = UnscaleFrom(liste().columnWidth(i), dpi());
    set_.putSettings(s);
    return s;
}

void TmForm::FormClose()
{
    // A window that never went through FormCreate has no program to
    // register and no settings file.
    if (programPath_.empty())
        return;
    UpdateAutoRun();
    // Takes a target still being typed into the box first. With the focus on
    // another of our controls nothing is being typed, and moving it would
    // only repaint two controls of a window that is about to go.
    HWND focus = GetFocus();
    if (!focus || focus == control(StdZielBox) || IsChild(control(StdZielBox), focus))
        liste().focus();

    std::string bytes;
    ReadFileBytes(*files_, settingsPath_, bytes);  // keeps what else the file holds
    Profile profile(bytes);
    bool normal = !IsZoomed(handle()) && !IsIconic(handle());
    WriteSettings(profile, currentSettings(), normal, !HasHklmRun(switches_));
    // Written under another name and then swapped in: a failed write
    // leaves the old settings whole. Where the program's folder is closed
    // to this user, the user's own folder takes them, and the next start
    // reads them there. The program closes all the same.
    if (ReplaceFileBytes(*files_, settingsPath_, profile.bytes()) == 0)
        return;
    const std::string user = userSettingsPath();
    if (user.empty() || user == settingsPath_ || ReplaceFileBytes(*files_, user, profile.bytes()) != 0)
        run_.tell("nach " + settingsPath_ + " kann nicht geschrieben werden");
}

std::string TmForm::userSettingsPath() const
{
    const std::string beside = SettingsFileName(programPath_);
    const std::string folder = UserDataFolder();
    return folder.empty() ? folder : folder + beside.substr(beside.find_last_of("\\:") + 1);
}

void TmForm::UpdateAutoRun()
{
    if (programPath_.empty())
        return;
    AutoRunResult result = ::tresorix::UpdateAutoRun(
        set_.winAutoLoad, AutoRunCommand(programPath_, set_.autoStart, set_.autoClose, set_.fileName));
    // Said once: every save and the close would otherwise say it again.
    if (result != AutoRunResult::done && !std::exchange(autoRunFailureTold_, true))
        tellAtStart(AutoRunFailureText(result));
}

}  // namespace tresorix
