#include "dialogs/FilterForm.h"

#include "ui/Prompts.h"

#include <iterator>

namespace tresorix {

namespace {

constexpr ControlRow kLayout[] = {
    // The edits start after the longer label; the note, wider than they are,
    // starts at the labels' edge.
    {"Label1", Kind::label, "&Beschreibung der Dateien :", nullptr, 8, 12, 0, 0},
    {"edBeschreibung", Kind::edit, "", nullptr, 160, 8, 296, 21},
    {"Label2", Kind::label, "&Dateifilter :", nullptr, 8, 40, 0, 0},
    {"edFilter", Kind::edit, "", nullptr, 160, 36, 296, 21},
    {"Label3", Kind::label, "mehrere Filter durch Semikolon getrennt, z.B.:   *.doc;*.txt;*.wks", nullptr, 8, 61, 0,
     0, 0, mrNone, SS_NOPREFIX},
    // Not closing by itself: the click handler decides.
    {"BtnErstellen", Kind::button, "A&nlegen", nullptr, 300, 82, 75, 23, rowDefault},
    {"BtnCancel", Kind::button, "&Abbruch", nullptr, 381, 82, 75, 23, rowCancel, mrCancel},
};
static_assert(std::size(kLayout) == TFilterForm::kRowCount);

}  // namespace

TFilterForm::TFilterForm()
{
    FormInfo info{kFilterFormClass, " Filter anlegen", 464, 112, WS_POPUP | WS_CAPTION};
    create(info, kLayout);
    centerOnScreen();
}

void TFilterForm::setFields(const std::string& description, const std::string& masks) const
{
    item<Edit>(edBeschreibung).setText(description);
    item<Edit>(edFilter).setText(masks);
}

ButtonResult TFilterForm::showEmpty()
{
    setFields({}, {});
    centerOnScreen();
    // The dialog manager would start on the default button.
    PostMessageW(handle(), WM_NEXTDLGCTL, WPARAM(control(edBeschreibung)), TRUE);
    return showModal();
}

void TFilterForm::BtnErstellenClick()
{
    for (Row field : {edBeschreibung, edFilter}) {
        if (item<Edit>(field).text().find('|') != std::string::npos) {
            ShowInfo(kFilterBarRefused);
            send(WM_NEXTDLGCTL, WPARAM(control(field)), TRUE);
            return;
        }
    }
    setModalResult(mrOk);
}

void TFilterForm::onCommand(int row, int code)
{
    if (row == BtnErstellen && code == BN_CLICKED)
        BtnErstellenClick();
}

}  // namespace tresorix
