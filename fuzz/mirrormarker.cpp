// The mirroring marker lies on the target medium, where anything may have
// changed it. What reads as a marker must write back to the same marker;
// anything else matches nothing.
#include "engine/MirrorMarker.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<tresorix::MirrorMarker> marker = tresorix::ParseMirrorMarker(text);
    if (!marker)
        return 0;
    if (marker->sources.empty())
        std::abort();
    for (const tresorix::MirrorSource& source : marker->sources)
        if (source.path.empty() || source.path.back() != '\\')
            std::abort();
    std::optional<tresorix::MirrorMarker> again = tresorix::ParseMirrorMarker(tresorix::MirrorMarkerText(*marker));
    if (!again || !(*again == *marker))
        std::abort();
    return 0;
}
