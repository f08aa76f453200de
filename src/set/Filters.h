// Filter lists as the source dialog's filter selector reads them, and the
// filter that the new-filter dialog's two fields make.
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

}  // namespace tresorix
