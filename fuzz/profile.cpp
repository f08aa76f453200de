// The settings file is read at every start; a damaged one must still give
// settings, and writing them back must give a file that reads the same.
#include "set/Filters.h"
#include "set/Profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The filter list is stored pair by pair, and keys beyond the pairs stay in
// the file: only a list whose values are one pair each reads back as it was.
bool filtersArePairs(const tresorix::Profile& profile)
{
    for (int i = 1;; ++i) {
        std::string value = profile.readString("FILTER", std::to_string(i), "");
        if (value.empty())
            return true;
        if (value.find('|') == std::string::npos || value.find('|') != value.rfind('|'))
            return false;
    }
}

// The list for every entry: each item a name or mask, never empty; one the
// dialog would take holds no path and no leading "-".
void checkExclusions(const std::string& list)
{
    const tresorix::Exclusions excluded = tresorix::ParseExclusionList(list);
    const bool taken = !tresorix::ExclusionListFault(list);
    for (const auto* items : {&excluded.files, &excluded.directories})
        for (const std::string& item : *items)
            if (item.find(';') != std::string::npos ||
                (taken && (item.empty() || item[0] == '-' || item.find('\\') != std::string::npos)))
                std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tresorix::Profile profile(bytes);
    tresorix::Settings first = tresorix::ReadSettings(profile, 1024, 768);
    bool pairs = filtersArePairs(profile);
    checkExclusions(first.exclusions);
    tresorix::WriteSettings(profile, first, !first.maximized, true);
    tresorix::Settings again = tresorix::ReadSettings(tresorix::Profile(profile.bytes()), 1024, 768);

    if (!pairs)
        again.filterList = first.filterList;
    if (!(again == first))
        std::abort();
    return 0;
}
