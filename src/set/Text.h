// Text functions, the backup entry and its target text. Every text is UTF-8;
// code page 1252 appears only where files are read or written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tresorix {

// Placeholders of a target text; written and compared exactly.
inline constexpr std::string_view kStdZiel = "<Standardziel>";
inline constexpr std::string_view kLw = "<Lw>";
inline constexpr std::string_view kQuellpfad = "<Quellpfad>";

// The name of a set that has no file yet, and of the one used when the
// settings name none.
inline constexpr std::string_view kNonameFile = "NONAME.TSI";
inline constexpr std::string_view kStandardFile = "STANDARD.TSI";

// One row of the entry list. `subdirs` holds the list text: " ja" or "".
struct BackupEntry {
    std::string source;
    std::string subdirs;
    std::string masks;
    std::string target;

    bool operator==(const BackupEntry&) const = default;
};

// Removes blanks (32 only, never tabs) in place.
void TrimSpaces(std::string& text, bool left, bool right);

// a-z, ä, ö, ü to upper case; every other character unchanged (ß too).
char32_t UpCaseUmlaut(char32_t c);
// The same over UTF-8; bytes that are not valid UTF-8 pass unchanged.
std::string UpperCaseUmlaut(std::string_view text);

// The subdirectory flag, from any text: set when it contains "ja".
bool HasSubdirs(std::string_view text);
// The list text of the subdirectory flag: " ja" or "".
std::string SubdirText(bool subdirs);

bool UsesStdZiel(std::string_view target);
bool UsesQuellpfad(std::string_view target);
bool UsesLw(std::string_view target);
// The target text without placeholders: "<Standardziel>" or a directory.
std::string GetZielBasis(std::string_view target);
inline bool UsesStdZiel(const BackupEntry& e) { return UsesStdZiel(e.target); }
inline bool UsesQuellpfad(const BackupEntry& e) { return UsesQuellpfad(e.target); }
inline bool UsesLw(const BackupEntry& e) { return UsesLw(e.target); }
inline std::string GetZielBasis(const BackupEntry& e) { return GetZielBasis(e.target); }

// Builds a target text from a base and the two placeholder choices; the
// inverse of GetZielBasis, UsesLw and UsesQuellpfad.
std::string MakeTargetText(std::string_view base, bool lw, bool quellpfad);

// What a run does with a file that is already in the target. `none`: no
// button is selected (a run then behaves as `newer`).
enum class ConflictMode { none = -1, newer = 0, always = 1, skip = 2, ask = 3 };

// Days a version of a replaced copy is kept at most.
inline constexpr int kMaxVersionDays = 3650;
// The days to keep versions from the settings file: a whole number from 0
// (off) up, capped at kMaxVersionDays; anything else is 0.
int ParseVersionDays(std::string_view text);
// A day count as the command line and the versions dialog take it: digits
// only (blanks around them allowed), 0 to kMaxVersionDays; nothing for
// anything else, which a caller must not take for "off".
std::optional<int> ReadVersionDays(std::string_view text);
// Whether and how long versions are kept, for the log and messages:
// "30 Tage", "1 Tag", "aus".
std::string VersionDaysText(int days);

// The conflict mode set from a number: above 3 gives 3, below 0 none (-1).
int ClampBackupMode(long long value);

// Moves the pair whose mask part equals `mask` to the front of a filter list,
// or appends a pair "mask|mask" when there is none.
std::string FilterToFront(std::string_view filterList, std::string_view mask);

// The part of a path after its last backslash or colon.
std::string_view FileNamePart(std::string_view path);
// True when the name part of `path`, upper-cased, is NONAME.TSI.
bool IsNonameFile(std::string_view path);
// " Tresorix", or with a file " Tresorix  -  " and the file's name part.
std::string WindowTitle(std::string_view fileName, bool withFile);

// Code page 1252 as Windows maps it; the five bytes it leaves undefined map
// to U+0081, U+008D, U+008F, U+0090 and U+009D, so every byte round-trips.
std::string Cp1252ToUtf8(std::string_view bytes);
// False when `text` holds a character that code page 1252 cannot hold, or is
// not valid UTF-8; `out` then holds nothing useful.
bool Utf8ToCp1252(std::string_view text, std::string& out);

// The bytes of a set or settings file as text: UTF-8 after a byte-order
// mark, code page 1252 otherwise.
std::string DecodeFileText(std::string_view bytes);
// True when `bytes` are valid UTF-8 and hold at least one character beyond
// ASCII: text in code page 1252 practically never does.
bool IsMultiByteUtf8(std::string_view bytes);
// A set file's bytes as text. Without a byte-order mark a file is UTF-8 when
// it reads as such with at least one multi-byte character (as today's
// editors save it), and code page 1252 otherwise.
std::string DecodeSetFileText(std::string_view bytes);
// Text to file bytes: code page 1252 whenever it can hold the text, else a
// byte-order mark and UTF-8, so that no character is ever lost.
std::string EncodeFileText(std::string_view text);

} // namespace tresorix
