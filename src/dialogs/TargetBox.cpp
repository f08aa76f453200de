#include "dialogs/TargetBox.h"

#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "platform/DeviceName.h"
#include "set/BackupSet.h"
#include "set/Text.h"
#include "ui/DialogFiles.h"
#include "ui/Prompts.h"
#include "ui/Subclass.h"

#include <stdexcept>

namespace tresorix {

bool PrepareTargetDirectory(const std::string& path, FileSystem& fs)
{
    // Typed as "D:\\Sicherung\\con", Windows would take the last part for a
    // device; a directory of that name could never be opened by name.
    if (IsDeviceName(path)) {
        AskInfo("\"" + path + "\" ist ein Gerätename von Windows und kann kein Zielverzeichnis sein.", btnOK);
        return false;
    }
    if (path.find('>') == std::string::npos) {
        uint32_t code = ForceDirectory(fs, path);
        if (code != 0 && code != errAlreadyExists && code != errDirectoryExists && code != errCancelled)
            AskInfo("Konnte Verzeichnis \"" + path + "\" nicht anlegen bzw. überprüfen." + "\r\nFehlerMeldung: " +
                        ErrorText(uint16_t(code)),
                    btnOK);
    }
    return true;
}

bool PrepareTargetDirectory(const std::string& path)
{
    return PrepareTargetDirectory(path, DialogFileSystem());
}

void ShowTargets(ComboBox box, const std::vector<std::string>& targets, int selected)
{
    // A history only loses its oldest items and gains new ones at its end:
    // the box drops as many from its front as it must, so that what it
    // keeps begins the history, and appends the rest. Each item changed
    // costs a repaint.
    int count = box.count();
    int drop = 0;
    for (; drop < count; ++drop) {
        size_t kept = size_t(count - drop);
        bool prefix = kept <= targets.size();
        for (size_t i = 0; prefix && i < kept; ++i)
            prefix = box.item(drop + int(i)) == targets[i];
        if (prefix)
            break;
    }
    for (int i = 0; i < drop; ++i)
        box.remove(0);
    for (size_t i = size_t(count - drop); i < targets.size(); ++i)
        box.add(targets[i]);
    box.select(selected);
}

void AddTargetToBox(ComboBox box, std::string path, bool checkDirectory, FileSystem& fs)
{
    path = TidyTarget(std::move(path));
    if (checkDirectory && !PrepareTargetDirectory(path, fs))
        return;
    std::vector<std::string> targets;
    for (int i = 0; i < box.count(); ++i)
        targets.push_back(box.item(i));
    int selected = box.selected();
    AddToTargetHistory(targets, selected, path);
    ShowTargets(box, targets, selected);
}

void AddTargetToBox(ComboBox box, std::string path, bool checkDirectory)
{
    AddTargetToBox(box, std::move(path), checkDirectory, DialogFileSystem());
}

std::string SelectedTarget(ComboBox box)
{
    int index = box.selected();
    return index >= 0 ? box.item(index) : std::string();
}

void HookTargetEdit(ComboBox box, TargetEditEvents events)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(box, &info) || !info.hwndItem)
        throw std::runtime_error("Das Eingabefeld eines Zielfelds fehlt.");
    SubclassControl(info.hwndItem, [events = std::move(events)](HWND edit, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        switch (msg) {
        case WM_GETDLGCODE:
            if (!events.keepEnter || wp != VK_RETURN)
                return false;
            result = CallControl(edit, msg, wp, lp) | DLGC_WANTALLKEYS;
            return true;
        case WM_CHAR:
            // A single-line edit would only beep.
            return events.keepEnter && wp == '\r';
        case WM_KILLFOCUS:
            if (events.focusLost)
                events.focusLost(HWND(wp));
            return false;
        case WM_SYSKEYUP:
            if (!events.altKeys)
                return false;
            [[fallthrough]];
        case WM_KEYUP:
        case WM_LBUTTONDBLCLK:
            result = CallControl(edit, msg, wp, lp);
            if (msg == WM_LBUTTONDBLCLK) {
                if (events.doubleClick)
                    events.doubleClick();
            } else if (events.keyUp) {
                events.keyUp(unsigned(wp));
            }
            return true;
        }
        return false;
    });
}

}  // namespace tresorix
