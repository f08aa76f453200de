// Filter lists as the source dialog's filter selector reads them, the
// filter that the new-filter dialog's two fields make, and the names a run
// leaves out: an entry's exclusions and the list for every entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tresorix {

struct Filter {
    std::string description;
    std::string masks;

    bool operator==(const Filter&) const = default;
};

// Left to right: a description up to the next "|", its masks up to the
// following "|" or the end. A last description without masks is dropped.
std::vector<Filter> ParseFilterList(std::string_view filterList);

// The filter of the new-filter dialog: both texts trimmed of blanks (not
// tabs), one trailing ";" removed from the masks, the description becoming
// "description (masks)", or just the masks when it is empty. Nothing when
// the masks are empty.
std::optional<Filter> MakeNewFilter(std::string description, std::string masks);

// Names a walk leaves out, as masks: files, and directories at any depth
// below the source (never the source itself).
struct Exclusions {
    std::vector<std::string> files;
    std::vector<std::string> directories;

    bool empty() const { return files.empty() && directories.empty(); }
    void add(const Exclusions& more);
    bool operator==(const Exclusions&) const = default;
};

// An entry's mask list taken apart at ";", each item stripped of blanks as
// the run always split it: "-" with "*" or "?" leaves files out, "-name\"
// leaves directories out, anything else is a mask with a walk of its own.
// A list of exclusions alone walks "*.*". A name with "-" but no wildcard
// stays a file's name ("-liesmich.txt").
struct MaskList {
    std::vector<std::string> masks;
    Exclusions excluded;
};
MaskList ParseMaskList(std::string_view masks);

// The list as the set file keeps it: one of exclusions alone gets the "*.*"
// it walks in front, so that an older reader never finds a list that saves
// nothing.
std::string WrittenMasks(const std::string& masks);

// The settings' list for every entry: items without "-", a directory's
// ending in "\"; empty items are passed over.
Exclusions ParseExclusionList(std::string_view list);

// Why the list for every entry cannot be taken as typed: an item that
// leaves every file out, a path, or one that begins with "-"; nothing when
// it can.
std::optional<std::string> ExclusionListFault(std::string_view list);

}  // namespace tresorix
