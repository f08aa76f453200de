// The dialog behind the main window's system menu item "Ersetzte Dateien
// aufbewahren": whether a run keeps the copies it replaces, for how many
// days, and whether the current set mirrors into those versions.
#pragma once

#include "ui/Form.h"

#include <optional>

namespace tresorix {

inline constexpr wchar_t kVersionenFormClass[] = L"TVersionenForm";

class TVersionenForm : public Form {
public:
    enum Row { CbKeep, LbDays, EdDays, UdDays, CbMirror, BtnOk, BtnCancel, kRowCount };

    TVersionenForm();

    // Before Pick: whether the current set is mirrored; nothing for a set
    // without a file yet, whose box stays disabled.
    void setMirror(std::optional<bool> mirror) { mirror_ = mirror; }
    // The box's state after OK; nothing while it could not be changed.
    std::optional<bool> mirror() const;

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

    std::optional<bool> mirror_;
};

}  // namespace tresorix
