#include "set/Filters.h"

#include "set/Text.h"

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

}  // namespace tresorix
