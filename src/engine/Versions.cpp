#include "engine/Versions.h"

#include "engine/Mask.h"

#include <cstdio>

namespace tresorix {

namespace {

// Days from 1 January 1970 to the date in the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool leapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::string StampText(const Stamp& s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d-%02d", s.year, s.month, s.day, s.hour, s.minute,
                  s.second);
    return text;
}

std::optional<Stamp> ParseStamp(std::string_view name)
{
    // Exactly "YYYY-MM-DD hh-mm-ss": the separators where they belong, digits
    // everywhere else.
    constexpr std::string_view kShape = "0000-00-00 00-00-00";
    if (name.size() != kShape.size())
        return std::nullopt;
    for (size_t i = 0; i < name.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kShape[i] == '0' ? !digit : name[i] != kShape[i])
            return std::nullopt;
    }
    auto number = [&](size_t at, size_t length) {
        int value = 0;
        for (size_t i = at; i < at + length; ++i)
            value = value * 10 + (name[i] - '0');
        return value;
    };
    Stamp s{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
    if (s.month < 1 || s.month > 12 || s.day < 1 || s.day > daysInMonth(s.year, s.month) || s.hour > 23 ||
        s.minute > 59 || s.second > 59)
        return std::nullopt;
    return s;
}

int64_t StampSeconds(const Stamp& s)
{
    return daysFromCivil(s.year, s.month, s.day) * 86400 + s.hour * 3600 + s.minute * 60 + s.second;
}

Stamp NextSecond(const Stamp& stamp)
{
    Stamp s = stamp;
    if (++s.second < 60)
        return s;
    s.second = 0;
    if (++s.minute < 60)
        return s;
    s.minute = 0;
    if (++s.hour < 24)
        return s;
    s.hour = 0;
    if (++s.day <= daysInMonth(s.year, s.month))
        return s;
    s.day = 1;
    if (++s.month <= 12)
        return s;
    s.month = 1;
    ++s.year;
    return s;
}

bool VersionExpired(const Stamp& folder, const Stamp& runStart, int days)
{
    return StampSeconds(folder) < StampSeconds(runStart) - int64_t(days) * 86400;
}

std::optional<std::string> VersionPath(std::string_view entryTarget, const Stamp& runStart,
                                       std::string_view targetFile)
{
    if (entryTarget.empty() || entryTarget.back() != '\\' || targetFile.size() <= entryTarget.size() ||
        !EqualsIgnoreCase(targetFile.substr(0, entryTarget.size()), entryTarget))
        return std::nullopt;
    return std::string(entryTarget) + std::string(kVersionsFolder) + "\\" + StampText(runStart) + "\\" +
           std::string(targetFile.substr(entryTarget.size()));
}

}  // namespace tresorix
