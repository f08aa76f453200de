// Adding and editing an entry in the source dialog: ListeBearbeiten after
// its checks, the part that presets the dialog, shows it and builds the row.
#pragma once

namespace tresorix {

class TDirWahl;
class TmForm;

inline constexpr char kNoEntrySelected[] = "Kein Eintrag zum Bearbeiten ausgewählt !";

// A new entry is appended at the end of the list, unselected; an edit
// changes the selected row. Filters added in the dialog join the set's
// list, also when the dialog is cancelled.
void EditEntry(TmForm& form, TDirWahl& dialog, bool newEntry);

}  // namespace tresorix
