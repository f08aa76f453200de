#include "dialogs/VersionenForm.h"

#include "engine/Versions.h"
#include "ui/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace tresorix {

namespace {

// Days offered when the box is first ticked.
constexpr int kFirstDays = 30;

constexpr ControlRow kLayout[] = {
    {"CbKeep", Kind::checkBox, "Ersetzte und überschriebene Dateien aufbewahren", nullptr, 12, 12, 300, 17},
    {"LbDays", Kind::label, "&Tage:", nullptr, 30, 42, 0, 0},
    {"EdDays", Kind::edit, "", nullptr, 72, 38, 60, 21, 0, 0, ES_NUMBER},
    {"BtnOk", Kind::button, "OK", nullptr, 156, 72, 75, 23, rowDefault, mrOk},
    {"BtnCancel", Kind::button, "Abbrechen", nullptr, 237, 72, 75, 23, rowCancel, mrCancel},
};

}  // namespace

TVersionenForm::TVersionenForm()
{
    if (!create({kVersionenFormClass, " Ersetzte Dateien", 324, 105, WS_POPUP | WS_CAPTION}, kLayout))
        return;
    item<Edit>(EdDays).setLimit(4);
    // The arrows sit at the field's right edge and keep its number within
    // the range.
    upDown_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                              WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                  UDS_NOTHOUSANDS,
                              0, 0, 0, 0, handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(upDown_, UDM_SETBUDDY, WPARAM(control(EdDays)), 0);
    SendMessageW(upDown_, UDM_SETRANGE32, 1, kMaxVersionDays);
    centerOnScreen();
}

std::optional<int> TVersionenForm::Pick(int days)
{
    item<CheckBox>(CbKeep).setChecked(days > 0);
    item<Window>(EdDays).setText(std::to_string(days > 0 ? days : kFirstDays));
    showKeep(days > 0);
    if (showModal() != mrOk)
        return std::nullopt;
    return this->days();
}

int TVersionenForm::days() const
{
    if (!item<CheckBox>(CbKeep).checked())
        return 0;
    const int typed = ParseVersionDays(item<Window>(EdDays).text());
    return std::clamp(typed, 1, kMaxVersionDays);
}

void TVersionenForm::showKeep(bool on)
{
    for (Row row : {LbDays, EdDays})
        item<Window>(row).enable(on);
    EnableWindow(upDown_, on);
}

void TVersionenForm::onCommand(int row, int code)
{
    if (row == CbKeep && code == BN_CLICKED)
        showKeep(item<CheckBox>(CbKeep).checked());
}

}  // namespace tresorix
