#include "set/Filters.h"

#include "set/Text.h"

#include <algorithm>

namespace tresorix {

std::vector<Filter> ParseFilterList(std::string_view filterList)
{
    std::vector<Filter> filters;
    while (!filterList.empty()) {
        size_t bar = filterList.find('|');
        if (bar == std::string_view::npos)
            break;
        Filter filter;
        filter.description = filterList.substr(0, bar);
        filterList.remove_prefix(bar + 1);
        size_t next = filterList.find('|');
        filter.masks = filterList.substr(0, next);
        filters.push_back(std::move(filter));
        if (next == std::string_view::npos)
            break;
        filterList.remove_prefix(next + 1);
    }
    return filters;
}

std::optional<Filter> MakeNewFilter(std::string description, std::string masks)
{
    TrimSpaces(masks, true, true);
    TrimSpaces(description, true, true);
    if (masks.ends_with(';'))
        masks.pop_back();
    if (masks.empty())
        return std::nullopt;
    std::string label = description.empty() ? masks : description + " (" + masks + ")";
    return Filter{std::move(label), std::move(masks)};
}

namespace {

// Split as a run always split an entry's list: a ";" at the very end adds
// no item, two in a row give an empty one.
std::vector<std::string> maskItems(std::string_view masks)
{
    std::vector<std::string> items;
    for (size_t start = 0;;) {
        const size_t end = masks.find(';', start);
        std::string item(masks.substr(start, end - start));
        TrimSpaces(item, true, true);
        items.push_back(std::move(item));
        if (end == std::string_view::npos || end + 1 == masks.size())
            return items;
        start = end + 1;
    }
}

bool isDirectoryItem(std::string_view item)
{
    return item.ends_with('\\');
}

enum class ItemKind { mask, fileExclusion, directoryExclusion };

ItemKind kindOf(std::string_view item)
{
    if (item.size() < 2 || item[0] != '-')
        return ItemKind::mask;
    // A name never ends in a backslash, so "-Cache\" alone is no file's name.
    if (isDirectoryItem(item))
        return ItemKind::directoryExclusion;
    return item.find_first_of("*?") != std::string_view::npos ? ItemKind::fileExclusion : ItemKind::mask;
}

}  // namespace

void Exclusions::add(const Exclusions& more)
{
    files.insert(files.end(), more.files.begin(), more.files.end());
    directories.insert(directories.end(), more.directories.begin(), more.directories.end());
}

MaskList ParseMaskList(std::string_view masks)
{
    MaskList list;
    for (std::string& item : maskItems(masks)) {
        switch (kindOf(item)) {
        case ItemKind::mask:
            list.masks.push_back(std::move(item));
            break;
        case ItemKind::fileExclusion:
            list.excluded.files.push_back(item.substr(1));
            break;
        case ItemKind::directoryExclusion:
            list.excluded.directories.push_back(item.substr(1, item.size() - 2));
            break;
        }
    }
    if (list.masks.empty())
        list.masks.push_back("*.*");
    return list;
}

std::string WrittenMasks(const std::string& masks)
{
    if (masks.empty())
        return "*.*";
    const std::vector<std::string> items = maskItems(masks);
    if (std::any_of(items.begin(), items.end(), [](const std::string& item) { return kindOf(item) == ItemKind::mask; }))
        return masks;
    return "*.*;" + masks;
}

Exclusions ParseExclusionList(std::string_view list)
{
    Exclusions excluded;
    for (std::string& item : maskItems(list)) {
        if (item.empty())
            continue;
        if (isDirectoryItem(item)) {
            item.pop_back();
            if (!item.empty())
                excluded.directories.push_back(std::move(item));
        } else {
            excluded.files.push_back(std::move(item));
        }
    }
    return excluded;
}

std::optional<std::string> ExclusionListFault(std::string_view list)
{
    for (const std::string& item : maskItems(list)) {
        if (item.empty())
            continue;
        const std::string quoted = "Die Ausnahme \"" + item + "\"";
        if (item[0] == '-')
            return quoted + " beginnt mit \"-\".\r\nHier steht jede Ausnahme ohne \"-\": sie gilt für alle Einträge.";
        const bool directory = isDirectoryItem(item);
        std::string_view name(item.data(), item.size() - (directory ? 1 : 0));
        // A lone backslash is the root's path.
        if (name.empty() || name.find('\\') != std::string_view::npos)
            return quoted + " ist ein Pfad.\r\nEine Ausnahme nennt nur einen Namen oder eine Maske; ein Verzeichnis "
                            "endet mit \"\\\".";
        // "*.*" matches every name, with a dot or without, and "?*" every
        // name, as none is empty.
        if (name.ends_with(".*"))
            name.remove_suffix(2);
        if (name.find('*') != std::string_view::npos && name.find_first_not_of("*?") == std::string_view::npos &&
            std::count(name.begin(), name.end(), '?') <= 1)
            return quoted + (directory ? " ließe alle Unterverzeichnisse aus." : " ließe alle Dateien aus.");
    }
    return std::nullopt;
}

}  // namespace tresorix
