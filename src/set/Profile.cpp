#include "set/Profile.h"

#include "set/Text.h"

#include <algorithm>
#include <cstdint>

namespace tresorix {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string fold(std::string_view name)
{
    return UpperCaseUmlaut(trimBlanks(name));
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimBlanks(line);
    size_t close = line.rfind(']');
    if (!line.starts_with('[') || close == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

// The key of a line, or nothing for blank and comment lines. A line without
// "=" is a key without value, as the system's reader takes it.
std::optional<std::string_view> keyName(std::string_view line)
{
    line = trimBlanks(line);
    if (line.empty() || line.starts_with(';'))
        return std::nullopt;
    return trimBlanks(line.substr(0, line.find('=')));
}

std::string keyValue(std::string_view line)
{
    size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    std::string_view value = trimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// The reader drops blanks at both ends and one pair of enclosing quotes; a
// value it would change so is written inside quotes, which it drops again.
std::string storedValue(std::string_view value)
{
    bool enclosed = value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
    if (!enclosed && trimBlanks(value).size() == value.size())
        return std::string(value);
    std::string quoted = "\"";
    quoted += value;
    quoted += '"';
    return quoted;
}

bool isBlank(std::string_view line)
{
    return trimBlanks(line).empty();
}

constexpr size_t kMaxTextLength = 2047;

// Text values are cut after 2047 characters, as the program always read them.
std::string limitText(std::string text)
{
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (++characters > kMaxTextLength) {
            text.resize(i);
            break;
        }
    }
    return text;
}

} // namespace

Profile::Profile(std::string_view bytes)
{
    std::string text = DecodeFileText(bytes);
    std::string_view rest = text;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (auto name = sectionName(line)) {
            index_.emplace(fold(*name), sections_.size());
            sections_.emplace_back().lines.emplace_back(line);
            continue;
        }
        Section& section = sections_.back();
        if (isBlank(line)) {
            section.blankTail.emplace_back(line);
            continue;
        }
        for (std::string& blank : section.blankTail)
            section.lines.push_back(std::move(blank));
        section.blankTail.clear();
        if (auto key = keyName(line))
            section.keys.emplace(fold(*key), section.lines.size());
        section.lines.emplace_back(line);
    }
}

const std::string* Profile::findLine(std::string_view section, std::string_view key) const
{
    auto found = index_.find(fold(section));
    if (found == index_.end())
        return nullptr;
    const Section& s = sections_[found->second];
    auto line = s.keys.find(fold(key));
    return line == s.keys.end() ? nullptr : &s.lines[line->second];
}

std::optional<std::string> Profile::value(std::string_view section, std::string_view key) const
{
    const std::string* line = findLine(section, key);
    if (!line)
        return std::nullopt;
    return keyValue(*line);
}

std::string Profile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const
{
    return value(section, key).value_or(std::string(defaultValue));
}

int Profile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    int result;
    auto text = value(section, key);
    return text && ParseProfileInteger(*text, result) ? result : defaultValue;
}

void Profile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    auto found = index_.find(fold(section));
    if (found == index_.end()) {
        Section& last = sections_.back();
        if (!last.lines.empty() && last.blankTail.empty())
            last.blankTail.emplace_back();
        found = index_.emplace(fold(section), sections_.size()).first;
        Section& added = sections_.emplace_back();
        std::string& header = added.lines.emplace_back("[");
        header += trimBlanks(section);
        header += ']';
    }
    Section& s = sections_[found->second];
    std::string_view name = trimBlanks(key);
    auto line = s.keys.find(fold(key));
    if (line != s.keys.end()) {
        std::string& text = s.lines[line->second];
        text = std::string(*keyName(text)) + "=" + storedValue(value);
        return;
    }
    s.keys.emplace(fold(name), s.lines.size());
    s.lines.push_back(std::string(name) + "=" + storedValue(value));
}

void Profile::writeInteger(std::string_view section, std::string_view key, long long value)
{
    writeString(section, key, std::to_string(value));
}

std::vector<std::string> Profile::keys(std::string_view section) const
{
    std::vector<std::string> names;
    auto found = index_.find(fold(section));
    if (found == index_.end())
        return names;
    const Section& s = sections_[found->second];
    for (size_t i = 0; i < s.lines.size(); ++i) {
        std::optional<std::string_view> name = keyName(s.lines[i]);
        // The header, and a later line of a name that is there already.
        if (i == 0 || !name)
            continue;
        auto first = s.keys.find(fold(*name));
        if (first != s.keys.end() && first->second == i)
            names.emplace_back(*name);
    }
    return names;
}

std::string Profile::text() const
{
    std::string out;
    for (const Section& section : sections_)
        for (const auto* part : {&section.lines, &section.blankTail})
            for (const std::string& line : *part) {
                out += line;
                out += "\r\n";
            }
    return out;
}

std::string Profile::bytes() const
{
    return EncodeFileText(text());
}

bool ParseProfileInteger(std::string_view text, int& result)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    // Hexadecimal takes all 32 bits (FFFFFFFF is -1); decimal must fit.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * base + digit;
        if (value > limit)
            return false;
    }
    auto bits = static_cast<uint32_t>(value);
    result = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
}

std::string SettingsFileName(std::string_view programPath)
{
    std::string name(programPath.substr(0, programPath.size() >= 4 ? programPath.size() - 4 : programPath.size()));
    return name + ".INI";
}

Settings DefaultSettings(int screenWidth, int screenHeight)
{
    Settings s;
    s.top = screenHeight / 16;
    s.left = screenWidth / 16;
    // Nearest integer, halves up, without floating point.
    s.width = static_cast<int>((9LL * screenWidth + 5) / 10);
    s.height = static_cast<int>((8LL * screenHeight + 5) / 10);
    return s;
}

namespace {

// Numbered keys "1", "2", ... up to the first one that is missing or empty.
std::vector<std::string> readNumbered(const Profile& profile, std::string_view section)
{
    std::vector<std::string> values;
    for (size_t i = 1;; ++i) {
        std::string value = limitText(profile.readString(section, std::to_string(i), ""));
        if (value.empty())
            return values;
        values.push_back(std::move(value));
    }
}

void writeNumbered(Profile& profile, std::string_view section, const std::vector<std::string>& values)
{
    for (size_t i = 0; i < values.size(); ++i)
        profile.writeString(section, std::to_string(i + 1), values[i]);
}

} // namespace

Settings ReadSettings(const Profile& profile, int screenWidth, int screenHeight)
{
    Settings s = DefaultSettings(screenWidth, screenHeight);
    s.top = profile.readInteger("WINDOW", "TOP", s.top);
    s.left = profile.readInteger("WINDOW", "LEFT", s.left);
    s.width = profile.readInteger("WINDOW", "WIDTH", s.width);
    s.height = profile.readInteger("WINDOW", "HEIGHT", s.height);
    s.maximized = profile.readInteger("WINDOW", "MAXIMIZED", 0) == 1;
    s.backupDirList = readNumbered(profile, "BACKUPDIRLIST");
    for (size_t i = 0; i < s.columns.size(); ++i)
        s.columns[i] = profile.readInteger("COLUMNS", std::to_string(i + 1), s.columns[i]);
    s.backupMode = ClampBackupMode(profile.readInteger("STANDARDS", "BACKUPMODE", 0));
    s.backupDir = limitText(profile.readString("STANDARDS", "BACKUPDIR", ""));
    s.fileAutoLoad = profile.readInteger("STANDARDS", "FILEAUTOLOAD", 1) == 1;
    s.fileName = limitText(profile.readString("STANDARDS", "FILENAME", kNonameFile));
    s.autoStart = profile.readInteger("STANDARDS", "AUTOSTART", 0) == 1;
    s.autoClose = profile.readInteger("STANDARDS", "AUTOCLOSE", 0) == 1;
    s.versionDays = ParseVersionDays(profile.readString("STANDARDS", "VERSIONEN", ""));
    s.exclusions = limitText(profile.readString("STANDARDS", "AUSNAHMEN", ""));
    for (const std::string& setFile : profile.keys("SPIEGELN"))
        if (!setFile.empty() && profile.readInteger("SPIEGELN", setFile, 0) == 1)
            s.mirroredSets.push_back(setFile);
    std::vector<std::string> pairs = readNumbered(profile, "FILTER");
    for (const std::string& pair : pairs) {
        if (!s.filterList.empty())
            s.filterList += '|';
        s.filterList += pair;
    }
    return s;
}

void WriteSettings(Profile& profile, const Settings& s, bool windowNormal, bool writeAutoFlags)
{
    if (windowNormal) {
        profile.writeInteger("WINDOW", "TOP", s.top);
        profile.writeInteger("WINDOW", "LEFT", s.left);
        profile.writeInteger("WINDOW", "WIDTH", s.width);
        profile.writeInteger("WINDOW", "HEIGHT", s.height);
    }
    profile.writeInteger("WINDOW", "MAXIMIZED", s.maximized ? 1 : 0);
    writeNumbered(profile, "BACKUPDIRLIST", s.backupDirList);
    for (size_t i = 0; i < s.columns.size(); ++i)
        profile.writeInteger("COLUMNS", std::to_string(i + 1), s.columns[i]);
    profile.writeInteger("STANDARDS", "BACKUPMODE", s.backupMode);
    profile.writeString("STANDARDS", "BACKUPDIR", s.backupDir);
    profile.writeInteger("STANDARDS", "FILEAUTOLOAD", s.fileAutoLoad ? 1 : 0);
    profile.writeString("STANDARDS", "FILENAME", s.fileName);
    if (writeAutoFlags) {
        profile.writeInteger("STANDARDS", "AUTOSTART", s.autoStart ? 1 : 0);
        profile.writeInteger("STANDARDS", "AUTOCLOSE", s.autoClose ? 1 : 0);
    }
    // A file that never had versions on or exclusions keeps exactly the keys
    // it had.
    if (s.versionDays != 0 || !profile.readString("STANDARDS", "VERSIONEN", "").empty())
        profile.writeInteger("STANDARDS", "VERSIONEN", s.versionDays);
    if (!s.exclusions.empty() || profile.value("STANDARDS", "AUSNAHMEN"))
        profile.writeString("STANDARDS", "AUSNAHMEN", s.exclusions);
    // A set no longer mirrored keeps its line, as 0.
    for (const std::string& setFile : profile.keys("SPIEGELN"))
        if (!SetIsMirrored(s, setFile) && profile.readInteger("SPIEGELN", setFile, 0) == 1)
            profile.writeInteger("SPIEGELN", setFile, 0);
    for (const std::string& setFile : s.mirroredSets)
        profile.writeInteger("SPIEGELN", setFile, 1);
    writeNumbered(profile, "FILTER", FilterPairs(s.filterList));
}

bool SetIsMirrored(const Settings& settings, std::string_view setFile)
{
    const std::string key = fold(setFile);
    return !setFile.empty() && std::any_of(settings.mirroredSets.begin(), settings.mirroredSets.end(),
                                            [&](const std::string& s) { return fold(s) == key; });
}

void SetMirrored(Settings& settings, const std::string& setFile, bool mirrored)
{
    if (setFile.empty() || SetIsMirrored(settings, setFile) == mirrored)
        return;
    if (mirrored) {
        settings.mirroredSets.push_back(setFile);
        return;
    }
    const std::string key = fold(setFile);
    std::erase_if(settings.mirroredSets, [&](const std::string& s) { return fold(s) == key; });
}

std::vector<std::string> FilterPairs(std::string_view filterList)
{
    // Each round takes a description with its bar and the mask part up to
    // the next bar, then strips blanks from the rest. The rest always ends
    // in the appended bar, so only its left end can hold blanks.
    std::vector<std::string> pairs;
    std::string list = std::string(filterList) + "|";
    std::string_view rest = list;
    while (!rest.empty() && rest != "|") {
        size_t bar = rest.find('|');
        size_t next = rest.find('|', bar + 1);
        size_t end = next == std::string_view::npos ? rest.size() : next;
        pairs.emplace_back(rest.substr(0, end));
        rest.remove_prefix(next == std::string_view::npos ? rest.size() : next + 1);
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ')));
    }
    return pairs;
}

} // namespace tresorix
