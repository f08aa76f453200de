// The new-filter dialog: a description and a mask list for the source
// dialog's filter selector. The source dialog clears the two fields before
// every showing and builds the filter from them after OK.
#pragma once

#include "ui/Form.h"

#include <string>

namespace tresorix {

inline constexpr wchar_t kFilterFormClass[] = L"TFilterForm";

// Refused in either field: "|" separates the pairs of a filter list, so one
// typed into a field would shift every later pair.
inline constexpr char kFilterBarRefused[] =
    "Das Zeichen \"|\" darf weder in der Beschreibung noch im Dateifilter vorkommen.\r\n"
    "Bitte entfernen Sie es.";

class TFilterForm : public Form {
public:
    enum Row { Label1, edBeschreibung, Label2, edFilter, Label3, BtnErstellen, BtnCancel, kRowCount };

    TFilterForm();

    // Empties both fields, shows the dialog modally with the focus on the
    // description and gives the modal result.
    ButtonResult showEmpty();
    // OK, unless a field holds "|": then a message, and the dialog stays
    // open with that field focused.
    void BtnErstellenClick();

    std::string description() const { return item<Edit>(edBeschreibung).text(); }
    std::string masks() const { return item<Edit>(edFilter).text(); }
    void setFields(const std::string& description, const std::string& masks) const;

protected:
    void onCommand(int row, int code) override;
};

}  // namespace tresorix
