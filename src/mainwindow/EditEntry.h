// Adding and editing an entry in the source dialog: ListeBearbeiten after
// its checks, the part that presets the dialog, shows it and builds the row.
#pragma once

namespace tresorix {

class TDirWahl;
class TmForm;

inline constexpr char kNoEntrySelected[] = "Kein Eintrag zum Bearbeiten ausgewählt !";

// A new entry is appended at the end of the list, unselected; an edit
// changes the selected row. Whatever happens, the dialog's filter selector
// gets the program's filter list back.
void EditEntry(TmForm& form, TDirWahl& dialog, bool newEntry);

}  // namespace tresorix
