// The source and file selection dialog. So far its window, created in its
// place among the program's windows, and the filter list it owns; nothing
// shows it yet.
#pragma once

#include "ui/Form.h"

#include <string>

namespace tresorix {

// The filters the dialog offers before the user adds any.
inline constexpr char kPresetFilters[] =
    "Alle Dateien (*.*)|*.*|Textdateien (*.txt)|*.txt|Dokumente (*.doc)|*.doc|"
    "Pascal-/Delphi-Dateien (*.pas;*.dpr;*.bpg;*.dfm;*.dof;*.cfg;*.res;*.dpk;*.inc)|"
    "*.pas;*.dpr;*.bpg;*.dfm;*.dof;*.cfg;*.res;*.dpk;*.inc|"
    "HTML/WEB-Dateien (*.htm*;*.shtm*;*.dhtm*;*.css;*.class;*.js)|*.htm*;*.shtm*;*.dhtm*;*.css;*.class;*.js|"
    "Windows-Systemdateien (*.SYS;WIN.INI;SYSTEM.INI;*.DAT)|*.SYS;WIN.INI;SYSTEM.INI;*.DAT|"
    "Programmdateien (*.EXE;*.COM)|*.exe;*.com|DLL-Dateien (*.DLL;*.OCX;*.VBX;*.VXD)|*.DLL;*.OCX;*.VBX;*.VXD";

class TDirWahl : public Form {
public:
    // Created after the main window has read the settings: a saved filter
    // list replaces the presets, and without one the presets become the
    // program's list, so that they are saved at close.
    explicit TDirWahl(std::string& storedFilterList)
    {
        create({L"TDirWahl", "", 300, 200}, {});
        if (storedFilterList.empty())
            storedFilterList = kPresetFilters;
        filter_ = storedFilterList;
    }

    const std::string& filter() const { return filter_; }

private:
    std::string filter_;
};

}  // namespace tresorix
