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

// Wherever a target is empty or none is selected.
inline constexpr char kFallbackTarget[] = "C:\\BACKUP";
// The longest a target history grows: a new target beyond it pushes out
// the oldest.
inline constexpr size_t kMaxTargets = 9;

// A target as every target history takes it: blanks trimmed (tabs stay),
// the fallback for an empty one.
std::string TidyTarget(std::string path);

// The rule of every target history (oldest first, `selected` the target in
// force): the tidied path selects the equal item (exact, letter case
// included; the last of several) or is appended as the newest. The main
// window's history and the source dialog's box both keep it.
void AddToTargetHistory(std::vector<std::string>& targets, int& selected, const std::string& path);

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
    // The program's one filter list (StoredFilterList): the source dialog
    // shows it and gives it back with the filters the user added.
    std::string filterList;

    // The selected item of the history, or "".
    std::string defaultTarget() const;
    // Through the history's rule (AddToTargetHistory).
    void addTarget(const std::string& path) { AddToTargetHistory(targets, selectedTarget, path); }

    // False for an index outside the list.
    bool removeEntry(int index);

    // The set file's bytes: default target, mode and entries.
    std::string setFileBytes() const;
    // A read set file's mode (when it has a valid one) and entries, which
    // replace the list or are appended to it. Only a replaced list takes the
    // file's name; appended rows leave the set modified. The default target
    // goes through addTarget, which the caller does, as the window shows it.
    void takeSetFile(const SetFileContent& content, bool replace, const std::string& file);

    // What the settings file keeps of the set, into and out of `settings`;
    // the window's own values there stay as they are. The history read
    // from the settings, like a load's default target, goes through
    // addTarget, so takeSettings leaves it to the caller.
    void takeSettings(const Settings& settings);
    void putSettings(Settings& settings) const;
};

}  // namespace tresorix
