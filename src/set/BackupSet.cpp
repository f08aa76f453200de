#include "set/BackupSet.h"

namespace tresorix {

std::string TidyTarget(std::string path)
{
    TrimSpaces(path, true, true);
    if (path.empty())
        path = kFallbackTarget;
    return path;
}

void AddToTargetHistory(std::vector<std::string>& targets, int& selected, const std::string& path)
{
    const std::string tidy = TidyTarget(path);
    for (size_t i = targets.size(); i-- > 0;) {
        if (targets[i] == tidy) {
            selected = int(i);
            return;
        }
    }
    if (targets.size() >= kMaxTargets)
        targets.erase(targets.begin(), targets.end() - (kMaxTargets - 1));
    targets.push_back(tidy);
    selected = int(targets.size()) - 1;
}

std::string BackupSet::defaultTarget() const
{
    if (selectedTarget < 0 || size_t(selectedTarget) >= targets.size())
        return {};
    return targets[size_t(selectedTarget)];
}

bool BackupSet::removeEntry(int index)
{
    if (index < 0 || size_t(index) >= entries.size())
        return false;
    entries.erase(entries.begin() + index);
    return true;
}

std::string BackupSet::setFileBytes() const
{
    return WriteSetFile(defaultTarget(), int(mode), entries);
}

void BackupSet::takeSetFile(const SetFileContent& content, bool replace, const std::string& file)
{
    if (content.mode)
        mode = ConflictMode(*content.mode);
    if (replace) {
        entries = content.entries;
        fileName = file;
    } else {
        entries.insert(entries.end(), content.entries.begin(), content.entries.end());
    }
    modified = !replace || !content.leftOut.empty() || !content.skipped.empty();
}

void BackupSet::takeSettings(const Settings& settings)
{
    mode = ConflictMode(settings.backupMode);
    fileName = settings.fileName;
    autoStart = settings.autoStart;
    autoClose = settings.autoClose;
    filterList = settings.filterList;
}

void BackupSet::putSettings(Settings& settings) const
{
    settings.backupDirList = targets;
    settings.backupMode = int(mode);
    settings.backupDir = defaultTarget();
    settings.fileName = fileName;
    settings.autoStart = autoStart;
    settings.autoClose = autoClose;
    settings.filterList = filterList;
}

}  // namespace tresorix
