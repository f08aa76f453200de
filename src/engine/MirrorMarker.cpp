#include "engine/MirrorMarker.h"

#include <cstdio>

namespace tresorix {

namespace {

constexpr std::string_view kHeader = "Tresorix-Spiegel";
constexpr std::string_view kTarget = "Ziel=";
constexpr std::string_view kSource = "Quelle=";
constexpr std::string_view kMoved = "Verschoben=";

std::string hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
    return text;
}

// Exactly sixteen hexadecimal digits.
std::optional<uint64_t> parseHex(std::string_view text)
{
    if (text.size() != 16)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | uint64_t(digit);
    }
    return value;
}

}  // namespace

std::optional<MirrorMarker> ParseMirrorMarker(std::string_view text)
{
    MirrorMarker marker;
    bool header = false, target = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (!header) {
            if (line != kHeader)
                return std::nullopt;
            header = true;
        } else if (line.starts_with(kTarget)) {
            std::optional<uint64_t> volume = parseHex(line.substr(kTarget.size()));
            if (target || !volume)
                return std::nullopt;
            target = true;
            marker.targetVolume = *volume;
        } else if (line.starts_with(kSource)) {
            // "<volume> <path>": the path may hold blanks, the volume not.
            line.remove_prefix(kSource.size());
            std::optional<uint64_t> volume = parseHex(line.substr(0, 16));
            if (!volume || line.size() < 18 || line[16] != ' ' || line.back() != '\\')
                return std::nullopt;
            marker.sources.push_back({std::string(line.substr(17)), *volume});
        } else if (line.starts_with(kMoved)) {
            std::optional<Stamp> stamp = ParseStamp(line.substr(kMoved.size()));
            if (!stamp)
                return std::nullopt;
            marker.movedInto.push_back(*stamp);
        } else {
            return std::nullopt;
        }
    }
    if (!target || marker.sources.empty())
        return std::nullopt;
    return marker;
}

std::string MirrorMarkerText(const MirrorMarker& marker)
{
    std::string text = std::string(kHeader) + "\r\n" + std::string(kTarget) + hex(marker.targetVolume) + "\r\n";
    for (const MirrorSource& source : marker.sources)
        text += std::string(kSource) + hex(source.volume) + " " + source.path + "\r\n";
    for (const Stamp& stamp : marker.movedInto)
        text += std::string(kMoved) + StampText(stamp) + "\r\n";
    return text;
}

}  // namespace tresorix
