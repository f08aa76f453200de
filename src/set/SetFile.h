// The set file (.tsi): its bytes written from a backup set and read back.
// Opening, replacing and the questions around a load belong to the main
// window; these functions only turn bytes into a set and back.
#pragma once

#include "set/Text.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tresorix {

// An entry of the file that was not loaded: a "###" stood among its four
// lines, or the file ended before them, so some of them are missing.
struct LeftOutEntry {
    size_t number;       // its place among the file's entries, from 1
    std::string source;  // its first line, as the file has it
};

// A line after an entry's four that the reader passed over on its way to
// the next "###": mostly an entry whose separator was forgotten.
struct SkippedLine {
    size_t number;     // its line in the file, from 1
    std::string text;  // stripped of blanks
};

// What a set file holds, as the loader takes it over.
struct SetFileContent {
    std::optional<std::string> defaultTarget; // present when the file has the line
    std::optional<int> mode;                  // present only for a digit 0 to 3
    std::vector<BackupEntry> entries;         // subdirs as list text, " ja" or ""
    // Incomplete entries and passed-over lines, in the file's order; the
    // loader names them to the user once the rest is loaded.
    std::vector<LeftOutEntry> leftOut;
    std::vector<SkippedLine> skipped;
};

// The 32 comment lines that begin every written set file, each ending in CR LF.
std::string WriteSetHeader();

// The whole file as bytes: header, default target, mode and five lines per
// entry; code page 1252 unless some text needs the UTF-8 form. No entry line
// is empty, which the reader would pass over: no masks are written as "*.*",
// no target as "\", which a run refuses as it refuses none. A mask list of
// exclusions alone is written with the "*.*" it walks (WrittenMasks).
std::string WriteSetFile(std::string_view defaultTarget, int mode,
                         const std::vector<BackupEntry>& entries);

// Reads a set file's bytes. Never fails: any text is taken as a source,
// mask or target. A separator is "###" with or without blanks around it. An
// entry among whose four lines (comments and empty lines do not count) a
// separator stands, or that the file ends in, is left out, and reading goes
// on at that separator. The two value lines may have blanks around "=".
SetFileContent ReadSetFile(std::string_view bytes);

// The one message about what a load left out, naming `file`; empty when the
// whole file was taken.
std::string NotLoadedText(const SetFileContent& content, std::string_view file);

// Lines of a set file as the loader sees them. Lines end at CR; one LF right
// after it belongs to the line end; a byte 1A ends the file.
class SetLineReader {
public:
    explicit SetLineReader(std::string_view text);
    bool atEnd() const { return pos_ >= text_.size(); }
    std::string_view readRawLine();
    // The line readRawLine gave last, counted from 1.
    size_t lineNumber() const { return lineNumber_; }
    // The next line that is neither empty nor a comment, stripped of blanks;
    // at the end of the file the last line read, whatever it was.
    std::string ReadSetLine();

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t lineNumber_ = 0;
};

// A name without directory part (no backslash, no colon) is put into the
// program's directory.
std::string QualifyFileName(std::string_view fileName, std::string_view programDir);

} // namespace tresorix
