// File-name masks and case-blind name comparison, the same on every platform:
// the system's own pattern matching also matches 8.3 short names (Windows)
// or lets "*.txt" find "x.txt2" (Wine).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tresorix {

// `*` any run of characters (also none), `?` exactly one character, letters
// without regard to case. A mask ending in ".*" also matches the name without
// that ending, so "*.*" matches every name and "brief.*" matches "brief".
bool MatchesMask(std::string_view name, std::string_view mask);
// Whether one of `masks` matches; none for an empty list, at no cost.
bool MatchesAnyMask(std::string_view name, const std::vector<std::string>& masks);

// Case-blind comparison of UTF-8 names by Unicode's simple case folding, one
// letter for one letter: "ß" is not "SS".
// Latin-1 letters with accents sort next to their plain letters.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
int CompareIgnoreCase(std::string_view a, std::string_view b);
// A key that two names share exactly when EqualsIgnoreCase finds them equal,
// for looking names up in a hash table.
std::string FoldedKey(std::string_view name);

}  // namespace tresorix
