// The dialog behind the main window's system menu item "Ersetzte Dateien
// aufbewahren": whether a run keeps the copies it replaces, and for how
// many days.
#pragma once

#include "ui/Form.h"

#include <optional>

namespace tresorix {

inline constexpr wchar_t kVersionenFormClass[] = L"TVersionenForm";

class TVersionenForm : public Form {
public:
    enum Row { CbKeep, LbDays, EdDays, UdDays, BtnOk, BtnCancel, kRowCount };

    TVersionenForm();

    // Opens with `days` (0: off); the days chosen with OK (0: off), or
    // nothing when cancelled.
    std::optional<int> Pick(int days);

    // The days the dialog holds now: 0 when the box is not ticked, else the
    // number of the field; nothing while that is no day count from 1 to the
    // most there is, and OK stays disabled.
    std::optional<int> days() const;

protected:
    void onCommand(int row, int code) override;

private:
    void showKeep(bool on);
    void enableOk();
};

}  // namespace tresorix
