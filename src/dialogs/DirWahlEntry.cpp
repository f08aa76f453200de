// The source dialog as entry editing uses it: preset from an entry (or as
// designed for a new one), shown, and read back into an entry.
#include "dialogs/DirWahl.h"

#include "dialogs/TargetBox.h"
#include "set/Text.h"

namespace tresorix {

namespace {

// Gives the selector the program's list back on every way out.
class FilterListReturn {
public:
    explicit FilterListReturn(TDirWahl& dialog) : dialog_(dialog) {}
    ~FilterListReturn() { dialog_.setFilter(dialog_.programFilters()); }
    FilterListReturn(const FilterListReturn&) = delete;
    FilterListReturn& operator=(const FilterListReturn&) = delete;

private:
    TDirWahl& dialog_;
};

}  // namespace

SourceDialogResult TDirWahl::edit(const SourceDialogInput& input)
{
    setProgramFilters(input.filterList);
    FilterListReturn giveBack(*this);
    standardTarget_ = input.standardTarget;

    ComboBox targets = zielBox();
    targets.clear();
    for (const std::string& target : input.targets)
        targets.add(target);
    AddTargetToBox(targets, std::string(kStdZiel), false);

    BackupEntry entry;
    if (input.entry) {
        entry = *input.entry;
        presetFromEntry(entry);
    } else {
        SelectionChanged = true;
    }
    setText(input.caption);

    IgnoreNextChange = true;
    SourceDialogResult result;
    result.ok = showDialog() == mrOk;
    if (result.ok)
        result.entry = readBack(entry);
    result.filterList = programFilters_;
    return result;
}

void TDirWahl::presetFromEntry(const BackupEntry& entry)
{
    presetSource(entry.source, entry.masks);
    AddTargetToBox(zielBox(), GetZielBasis(entry), false);
    setChecked(PfadAnlegen, UsesQuellpfad(entry));
    setChecked(MitSubDirs, HasSubdirs(entry.subdirs));
    setChecked(MitLw, UsesLw(entry));
    SelectionChanged = false;
}

// The entry's texts as the dialog now gives them; the file column only
// when the user changed the directory, the filter or the file.
BackupEntry TDirWahl::readBack(BackupEntry entry) const
{
    entry.source = directory();
    if (SelectionChanged) {
        std::string file = selectedFile();
        entry.masks = file.empty() ? currentMask() : file;
    }
    entry.target = MakeTargetText(SelectedTarget(zielBox()), checked(MitLw), checked(PfadAnlegen));
    entry.subdirs = SubdirText(checked(MitSubDirs));
    return entry;
}

}  // namespace tresorix
