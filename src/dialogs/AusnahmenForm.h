// The dialog behind the main window's system menu item "Ausnahmen": the
// names that every entry leaves out, as one list.
#pragma once

#include "ui/Form.h"

#include <optional>
#include <string>

namespace tresorix {

inline constexpr wchar_t kAusnahmenFormClass[] = L"TAusnahmenForm";

// What "Vorschlag" fills in: Office's lock files, temporary files and the
// pictures and folder views Windows keeps beside the user's files.
inline constexpr char kSuggestedExclusions[] = "~$*;*.tmp;Thumbs.db;desktop.ini";

class TAusnahmenForm : public Form {
public:
    enum Row { LbList, EdList, LbForm, BtnVorschlag, BtnOk, BtnCancel, kRowCount };

    TAusnahmenForm();

    // Opens with `list`; the list taken with OK, stripped of blanks at its
    // ends, or nothing when cancelled.
    std::optional<std::string> Pick(const std::string& list);

    // OK, unless an item would leave every file out, is a path or begins
    // with "-": then a message, and the dialog stays open on the list.
    void BtnOkClick();

protected:
    void onCommand(int row, int code) override;
};

}  // namespace tresorix
