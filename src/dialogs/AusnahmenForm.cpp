#include "dialogs/AusnahmenForm.h"

#include "set/Filters.h"
#include "set/Text.h"
#include "ui/Controls.h"

#include <iterator>

namespace tresorix {

namespace {

// As long as the settings file reads a value.
constexpr int kMaxListLength = 2047;

constexpr ControlRow kLayout[] = {
    {"LbList", Kind::label, "&Dateien und Verzeichnisse, die kein Eintrag sichert:", nullptr, 12, 12, 0, 0},
    {"EdList", Kind::edit, "", nullptr, 12, 31, 436, 21},
    {"LbForm", Kind::label, "Namen oder Masken mit * und ?, durch ; getrennt; ein Verzeichnis endet mit \\ (Cache\\).",
     nullptr, 12, 58, 0, 0, 0, mrNone, SS_NOPREFIX},
    {"BtnVorschlag", Kind::button, "Vorschlag", nullptr, 12, 84, 75, 23},
    // Not closing by itself: the click handler decides.
    {"BtnOk", Kind::button, "OK", nullptr, 292, 84, 75, 23, rowDefault},
    {"BtnCancel", Kind::button, "Abbrechen", nullptr, 373, 84, 75, 23, rowCancel, mrCancel},
};
static_assert(std::size(kLayout) == TAusnahmenForm::kRowCount);

}  // namespace

TAusnahmenForm::TAusnahmenForm()
{
    create({kAusnahmenFormClass, " Ausnahmen", 460, 117, WS_POPUP | WS_CAPTION}, kLayout);
    item<Edit>(EdList).setLimit(kMaxListLength);
    centerOnScreen();
}

std::optional<std::string> TAusnahmenForm::Pick(const std::string& list)
{
    item<Edit>(EdList).setText(list);
    // The dialog manager would start on the default button.
    PostMessageW(handle(), WM_NEXTDLGCTL, WPARAM(control(EdList)), TRUE);
    if (showModal() != mrOk)
        return std::nullopt;
    std::string taken = item<Edit>(EdList).text();
    TrimSpaces(taken, true, true);
    return taken;
}

void TAusnahmenForm::BtnOkClick()
{
    if (std::optional<std::string> fault = ExclusionListFault(item<Edit>(EdList).text())) {
        ShowInfo(*fault);
        send(WM_NEXTDLGCTL, WPARAM(control(EdList)), TRUE);
        return;
    }
    setModalResult(mrOk);
}

void TAusnahmenForm::onCommand(int row, int code)
{
    if (code != BN_CLICKED)
        return;
    if (row == BtnOk)
        BtnOkClick();
    else if (row == BtnVorschlag)
        item<Edit>(EdList).setText(kSuggestedExclusions);
}

}  // namespace tresorix
