#include "dialogs/VersionenForm.h"

#include "engine/Versions.h"
#include "ui/Controls.h"

#include <commctrl.h>

#include <string>

namespace tresorix {

namespace {

// Days offered when the box is first ticked.
constexpr int kFirstDays = 30;

constexpr ControlRow kLayout[] = {
    {"CbKeep", Kind::checkBox, "Ersetzte und überschriebene Dateien aufbewahren", nullptr, 12, 12, 300, 17},
    {"LbDays", Kind::label, "&Tage:", nullptr, 30, 42, 0, 0},
    {"EdDays", Kind::edit, "", nullptr, 72, 38, 60, 21, 0, mrNone, ES_NUMBER},
    // Sits at the field's right edge, which it takes from the field.
    {"UdDays", Kind::upDown, "", nullptr, 0, 0, 0, 0},
    {"CbMirror", Kind::checkBox, "Was in der Quelle fehlt, aus dem Ziel in die Versionen verschieben", nullptr, 12, 70,
     386, 17},
    {"BtnOk", Kind::button, "OK", nullptr, 242, 102, 75, 23, rowDefault, mrOk},
    {"BtnCancel", Kind::button, "Abbrechen", nullptr, 323, 102, 75, 23, rowCancel, mrCancel},
};

}  // namespace

TVersionenForm::TVersionenForm()
{
    create({kVersionenFormClass, " Ersetzte Dateien", 410, 135, WS_POPUP | WS_CAPTION}, kLayout);
    item<Edit>(EdDays).setLimit(4);
    item<Window>(UdDays).send(UDM_SETRANGE32, 1, kMaxVersionDays);
    centerOnScreen();
}

std::optional<int> TVersionenForm::Pick(int days)
{
    item<CheckBox>(CbKeep).setChecked(days > 0);
    item<Window>(EdDays).setText(std::to_string(days > 0 ? days : kFirstDays));
    item<CheckBox>(CbMirror).setChecked(mirror_.value_or(false));
    showKeep(days > 0);
    if (showModal() != mrOk)
        return std::nullopt;
    return this->days();
}

std::optional<int> TVersionenForm::days() const
{
    if (!item<CheckBox>(CbKeep).checked())
        return 0;
    // An empty field or 0 read as a count would turn versions off while
    // the box says they are kept.
    std::optional<int> typed = ReadVersionDays(item<Window>(EdDays).text());
    if (typed && *typed < 1)
        return std::nullopt;
    return typed;
}

std::optional<bool> TVersionenForm::mirror() const
{
    if (!mirror_ || !item<CheckBox>(CbKeep).checked())
        return std::nullopt;
    return item<CheckBox>(CbMirror).checked();
}

// Mirroring moves files into the versions: without them, or without a set
// file to hold the choice, there is nothing to choose.
void TVersionenForm::showKeep(bool on)
{
    for (Row row : {LbDays, EdDays, UdDays})
        item<Window>(row).enable(on);
    item<Window>(CbMirror).enable(on && mirror_.has_value());
    enableOk();
}

void TVersionenForm::enableOk()
{
    item<Window>(BtnOk).enable(days().has_value());
}

void TVersionenForm::onCommand(int row, int code)
{
    if (row == CbKeep && code == BN_CLICKED)
        showKeep(item<CheckBox>(CbKeep).checked());
    else if (row == EdDays && code == EN_CHANGE)
        enableOk();
}

}  // namespace tresorix
