// The marker a mirroring run leaves in an entry target's versions folder:
// which sources were mirrored there, on which volumes, and which run folders
// hold files that only the mirroring put there. A later run moves files only
// where the marker it finds matches its own sources and volumes, so a
// medium swapped under the same letter, or a target picked by mistake,
// loses nothing.
#pragma once

#include "engine/Versions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tresorix {

inline constexpr std::string_view kMirrorMarkerName = "Tresorix-Spiegel.txt";

struct MirrorSource {
    std::string path;  // the entry's source, ending in "\"
    uint64_t volume = 0;
    bool operator==(const MirrorSource&) const = default;
};

struct MirrorMarker {
    uint64_t targetVolume = 0;
    std::vector<MirrorSource> sources;
    // Run folders that hold moved files: the pruning for space spares them.
    std::vector<Stamp> movedInto;
    bool operator==(const MirrorMarker&) const = default;
};

// The marker as written; nothing for a text that is not one exactly
// (unknown lines, a missing or doubled target line, no source): a marker
// that cannot be read matches nothing.
std::optional<MirrorMarker> ParseMirrorMarker(std::string_view text);
std::string MirrorMarkerText(const MirrorMarker& marker);

}  // namespace tresorix
