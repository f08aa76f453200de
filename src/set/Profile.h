// The settings file: a Windows profile file ([SECTION] lines and key=value
// lines) held in memory, read and changed the way the system's profile
// functions do it, and the program's settings stored in it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tresorix {

class Profile {
public:
    Profile() = default;
    // Bytes in code page 1252, or UTF-8 after a byte-order mark; lines end
    // in CR LF or LF.
    explicit Profile(std::string_view bytes);

    // The value of the first such key in the first such section (names
    // without regard to case), blanks and tabs around it removed and one
    // pair of enclosing quotes dropped; nothing when the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, or hexadecimal after 0x or $; a missing, empty or malformed
    // value, or one outside 32 bits, gives the default.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // Replaces the key's value in place, or adds the key at the end of its
    // section, or the section at the end of the file. Every other line stays.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, long long value);

    // The keys of the first such section, in file order, each name once.
    std::vector<std::string> keys(std::string_view section) const;

    std::string text() const;  // UTF-8, CR LF
    std::string bytes() const; // as the file is written

private:
    struct Section {
        std::vector<std::string> lines; // named sections begin with their header
        // Blank lines at the section's end, kept apart so that new keys go
        // before them (and before the next section) without moving lines.
        std::vector<std::string> blankTail;
        std::unordered_map<std::string, size_t> keys; // folded name -> first line
    };
    const std::string* findLine(std::string_view section, std::string_view key) const;

    std::vector<Section> sections_{1}; // [0]: lines before the first header
    std::unordered_map<std::string, size_t> index_; // folded name -> first section
};

// Reads an integer as the settings file holds it; false when malformed.
bool ParseProfileInteger(std::string_view text, int& result);

// The settings file beside the program: its path with ".INI" for ".EXE".
std::string SettingsFileName(std::string_view programPath);

// What the settings file holds. Text values are read up to 2047 characters.
struct Settings {
    int top = 0, left = 0, width = 0, height = 0;
    bool maximized = false;
    std::vector<std::string> backupDirList; // oldest first
    std::array<int, 4> columns{220, 32, 170, 146};
    int backupMode = 0; // -1 (none) to 3
    std::string backupDir;
    bool fileAutoLoad = true;
    std::string fileName{"NONAME.TSI"};
    bool autoStart = false;
    bool autoClose = false;
    std::string filterList; // StoredFilterList
    int versionDays = 0;    // days replaced copies are kept; 0: none are
    // Names every entry leaves out (ParseExclusionList); empty: none.
    std::string exclusions;
    // Full paths of the set files that are mirrored (SPIEGELN), in file order.
    std::vector<std::string> mirroredSets;

    bool operator==(const Settings&) const = default;
};

// Defaults: the window at a sixteenth of the screen, 90 % wide, 80 % high.
Settings DefaultSettings(int screenWidth, int screenHeight);
Settings ReadSettings(const Profile& profile, int screenWidth, int screenHeight);
// `windowNormal`: the window is neither maximized nor minimized, so its
// position is written. `writeAutoFlags`: false while the switches hold
// /HKLMRUN.
void WriteSettings(Profile& profile, const Settings& settings, bool windowNormal,
                   bool writeAutoFlags);

// Whether the set file's runs mirror into the versions.
bool SetIsMirrored(const Settings& settings, std::string_view setFile);
void SetMirrored(Settings& settings, const std::string& setFile, bool mirrored);

// A filter list cut into the values of the FILTER section, one pair each.
std::vector<std::string> FilterPairs(std::string_view filterList);

} // namespace tresorix
