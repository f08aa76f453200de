# Portable core: includes no Windows header; also built natively for the
# sanitizer tests and the fuzzers.
set(CORE_SOURCES
    src/engine/FileHelpers.cpp
    src/engine/FileList.cpp
    src/engine/Finish.cpp
    src/engine/Flusher.cpp
    src/engine/Format.cpp
    src/engine/MadeDirectories.cpp
    src/engine/Mask.cpp
    src/engine/Mirror.cpp
    src/engine/MirrorMarker.cpp
    src/engine/Run.cpp
    src/engine/RunLog.cpp
    src/engine/TargetDirectory.cpp
    src/engine/VersionKeeping.cpp
    src/engine/Versions.cpp
    src/engine/Transfer.cpp
    src/engine/Walk.cpp
    src/platform/DeviceName.cpp
    src/platform/TextConv.cpp
    src/set/BackupSet.cpp
    src/set/CommandLine.cpp
    src/set/Filters.cpp
    src/set/Profile.cpp
    src/set/SetFile.cpp
    src/set/Text.cpp
    src/ui/Prompts.cpp
)
# How the run's threads wait for each other: on Windows through the
# system's own slim lock, the one place the core calls the system.
if(WIN32)
    list(APPEND CORE_SOURCES src/platform/Win32Monitor.cpp)
else()
    list(APPEND CORE_SOURCES src/platform/Monitor.cpp)
endif()

# Win32 code: platform, widget layer and windows.
set(WIN_SOURCES
    src/dialogs/AusnahmenForm.cpp
    src/dialogs/DirWahl.cpp
    src/dialogs/DirWahlEntry.cpp
    src/dialogs/DirWahlTarget.cpp
    src/dialogs/DirectoryOutline.cpp
    src/dialogs/DirectoryOutlineMessages.cpp
    src/dialogs/FilterForm.cpp
    src/dialogs/InfoForm.cpp
    src/dialogs/MdForm.cpp
    src/dialogs/ProgressWindow.cpp
    src/dialogs/TargetBox.cpp
    src/dialogs/VersionenForm.cpp
    src/dialogs/ZielWahl.cpp
    src/mainwindow/EditEntry.cpp
    src/mainwindow/MainForm.cpp
    src/mainwindow/MainFormCommands.cpp
    src/mainwindow/MainFormDefaultTarget.cpp
    src/mainwindow/MainFormEvents.cpp
    src/mainwindow/MainFormSetFile.cpp
    src/mainwindow/Startup.cpp
    src/platform/AnsweringFileSystem.cpp
    src/platform/Win32Directory.cpp
    src/platform/Win32Drives.cpp
    src/platform/Win32FileSystem.cpp
    src/platform/Win32Files.cpp
    src/platform/Win32Path.cpp
    src/platform/Win32Registry.cpp
    src/run/RunController.cpp
    src/run/RunLogFile.cpp
    src/set/AutoRun.cpp
    src/set/FileIO.cpp
    src/ui/Accessible.cpp
    src/ui/Controls.cpp
    src/ui/DialogFiles.cpp
    src/ui/DriveSelector.cpp
    src/ui/Form.cpp
    src/ui/FormModal.cpp
    src/ui/Gauge.cpp
    src/ui/Metrics.cpp
    src/ui/MessageDialog.cpp
    src/ui/Pictures.cpp
    src/ui/Placement.cpp
    src/ui/ProcessMessages.cpp
    src/ui/Subclass.cpp
    src/ui/ToolButton.cpp
    src/ui/ValueLabel.cpp
    src/ui/UiError.cpp
    src/ui/Window.cpp
)

set(APP_SOURCES
    src/app/main.cpp
)

# Fuzz targets in fuzz/, by file name without extension.
set(FUZZ_TARGETS
    commandline
    mirrormarker
    profile
    setfile
)
