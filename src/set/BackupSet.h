// The backup set: what the main window shows and edits, what a set file
// holds and what the settings file keeps of it. The window is a view of
// this; set file, settings and entry editing read and write it here.
#pragma once

#include "set/Profile.h"
#include "set/SetFile.h"
#include "set/Text.h"

#include <string>
#include <vector>

namespace tresorix {

struct BackupSet {
    std::vector<BackupEntry> entries;
    // The default target's history, oldest first, and the item in force
    // (-1: none is selected).
    std::vector<std::string> targets;
    int selectedTarget = -1;
    ConflictMode mode = ConflictMode::newer;
    // The three switches of the window's check boxes.
    bool winAutoLoad = false;
    bool autoStart = true;
    bool autoClose = false;
    std::string fileName{kNonameFile};
    bool modified = false;
    // The program's master filter list (StoredFilterList): the source
    // dialog's filter selector takes it and appends to it.
    std::string filterList;

    // The selected item of the history, or "".
    std::string defaultTarget() const;

    // False for an index outside the list.
    bool removeEntry(int index);

    // The set file's bytes: default target, mode and entries.
    std::string setFileBytes() const;
    // A read set file's mode (when it has a valid one) and entries, which
    // replace the list or are appended to it. Only a replaced list takes the
    // file's name; appended rows leave the set modified. The default target
    // goes through the target box's history rule, so it is the caller's.
    void takeSetFile(const SetFileContent& content, bool replace, const std::string& file);

    // What the settings file keeps of the set, into and out of `settings`;
    // the window's own values there stay as they are. The history read
    // from the settings, like a load's default target, goes through the
    // target box's rule (trimmed, at most 9 items), so takeSettings leaves
    // it to the caller.
    void takeSettings(const Settings& settings);
    void putSettings(Settings& settings) const;
};

}  // namespace tresorix
