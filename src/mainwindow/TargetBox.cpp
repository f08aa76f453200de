#include "mainwindow/TargetBox.h"

#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "ui/Prompts.h"
#include "mainwindow/MainForm.h"
#include "platform/Win32FileSystem.h"
#include "set/Text.h"
#include "ui/DriveSelector.h"

#include <commctrl.h>

#include <exception>

namespace tresorix {

namespace {

LRESULT CALLBACK stdZielEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data)
{
    auto* form = reinterpret_cast<TmForm*>(data);
    switch (msg) {
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, stdZielEditProc, id);
        break;
    case WM_KILLFOCUS:
        form->setStdZielNextFocus(HWND(wp));
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_LBUTTONDBLCLK: {
        // The edit field first, so that a double-click has selected its
        // word and a released Enter finds the text complete.
        LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        guarded([&] {
            if (msg != WM_LBUTTONDBLCLK)
                form->StdZielBoxKeyUp(unsigned(wp));
            else
                form->BtnStdZielClick();
        });
        return result;
    }
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void AddTargetToBox(ComboBox box, std::string path, bool checkDirectory, FileSystem& fs)
{
    TrimSpaces(path, true, true);
    if (path.empty())
        path = kFallbackTarget;

    if (checkDirectory && path.find('>') == std::string::npos) {
        uint32_t code = ForceDirectory(fs, path);
        if (code != 0 && code != 183 && code != 250)
            AskInfo("Konnte Verzeichnis \"" + path + "\" nicht anlegen bzw. überprüfen." + "\r\nFehlerMeldung: " +
                        ErrorText(uint16_t(code)),
                    btnOK);
    }

    // CB_FINDSTRINGEXACT ignores letter case; the history does not.
    for (int i = box.count() - 1; i >= 0; --i) {
        if (box.item(i) == path) {
            box.select(i);
            return;
        }
    }
    while (box.count() > kKeptTargets)
        box.remove(0);
    box.select(box.add(path));
}

void AddTargetToBox(ComboBox box, std::string path, bool checkDirectory)
{
    static Win32FileSystem fs;
    AddTargetToBox(box, std::move(path), checkDirectory, fs);
}

std::string SelectedTarget(ComboBox box)
{
    int index = box.selected();
    return index >= 0 ? box.item(index) : std::string();
}

void SubclassStdZielEdit(TmForm& form)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(form.stdZielBox(), &info) && info.hwndItem)
        SetWindowSubclass(info.hwndItem, stdZielEditProc, 1, DWORD_PTR(&form));
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
    modified_ = true;
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
        modified_ = true;
    SetModified(modified_);
    AddTargetToBox(box, box.text(), false);
    setKeyPreview(true);
    // Posted: moving the focus from inside the focus change that brought us
    // here would leave two windows believing they have it.
    post(kFocusStdZielButton);
}

void TmForm::BtnStdZielClick()
{
    if (!isEnabled(BtnStdZiel) || !pickStdZiel)
        return;
    DriveProbeResult = 0;
    ComboBox box = stdZielBox();
    AddTargetToBox(box, box.text(), true);
    std::string path = SelectedTarget(box);
    if (path.empty())
        path = kFallbackTarget;
    DriveProbeResult = 0;
    if (std::optional<std::string> chosen = pickStdZiel(path)) {
        AddTargetToBox(box, *chosen, true);
        SetModified(true);
    }
}

}  // namespace tresorix
