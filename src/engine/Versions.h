// Versions of replaced copies: before a run replaces a file in the target,
// the old copy moves into a run folder below the entry's target, named by the
// run's start, and run folders older than the days to keep go at the end of a
// run. Off unless the user asks for it.
#pragma once

#include "set/Text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tresorix {

// The folder below an entry's target that holds the run folders.
inline constexpr std::string_view kVersionsFolder = "Tresorix-Versionen";

// A local time to the second, as a run folder's name holds it.
struct Stamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const Stamp&) const = default;
};

// "YYYY-MM-DD hh-mm-ss".
std::string StampText(const Stamp& stamp);
// The stamp a folder's name holds exactly, or nothing: folders of any other
// name are not ours and are never touched.
std::optional<Stamp> ParseStamp(std::string_view name);
// Seconds since 1 January 1970 of the stamp's calendar time (no time zone).
int64_t StampSeconds(const Stamp& stamp);
// The stamp one second later, across minutes, days and years.
Stamp NextSecond(const Stamp& stamp);
// A run folder stamped `folder` is older than `days` days before `runStart`.
bool VersionExpired(const Stamp& folder, const Stamp& runStart, int days);

// Where the old copy of `targetFile` goes: `entryTarget` (ending in "\") and
// below it the versions folder, the run folder, and the file's path below the
// entry target. Nothing when the file does not lie below the entry target.
std::optional<std::string> VersionPath(std::string_view entryTarget, const Stamp& runStart,
                                       std::string_view targetFile);

}  // namespace tresorix
