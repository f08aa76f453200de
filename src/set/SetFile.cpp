#include "set/SetFile.h"

#include "set/Filters.h"

namespace tresorix {

namespace {

constexpr std::string_view kHeader[] = {
    "; Diese Datei wird vom Programm Tresorix automatisch erzeugt.",
    "; Sie enthält eine Liste der zu sichernden Dateien.",
    "; Sie kann auch manuell bearbeitet werden.",
    "; Zeilen, die mit Semikolon beginnen, werden als Kommentar überlesen.",
    ";",
    "; Die erste nicht kommentierte Zeile enthält das Standardziel.",
    "; Die folgende Zeile bestimmt die Reaktion bei vorhandener Zieldatei.",
    ";",
    "; Für jeden Listeneintrag müssen die folgenden Zeilen erzeugt werden:",
    ";",
    "; ###",
    "; Quellverzeichnis",
    "; mit Unterverzeichnissen?",
    "; Datei bzw. Dateimaske",
    "; Zielverzeichnis",
    ";",
    "; Erklärung:",
    "; ### dient als Trennzeichen",
    "; Quellverzeichnis gibt das Verzeichnis der zu sichernden Dateien an",
    "; Unterverzeichnisse:",
    ";   ja   -> alle Unterverzeichnisse einschließen",
    ";   nein -> nur Quellverzeichnis",
    "; Datei oder Dateimasken: mehrere Masken durch Semikolons getrennt",
    ";   Beispiel:  *.htm;*.html;*.shtml",
    "; Zielverzeichnis: konkretes Zielverzeichnis oder <Standardziel>",
    ";   Wenn der Laufwerksbuchstabe in das Zielverzeichnis übernommen werden",
    ";   soll, ist das Zielverzeichnis um die Angabe <Lw> zu ergänzen.",
    ";   Wenn der Quellpfad im Zielverzeichnis angelegt werden soll, ist das",
    ";   Zielverzeichnis um die Angabe <Quellpfad> zu ergänzen.",
    ";   Beispiele: <Standardziel><Quellpfad>",
    ";              C:\\BACKUP\\<Lw><Quellpfad>",
    ";",
};

constexpr std::string_view kDefaultTargetKey = "STANDARDZIEL=";
constexpr std::string_view kModeKey = "BACKUPMODE=";

void appendLine(std::string& out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

bool startsWithKeyword(std::string_view line, std::string_view keyword)
{
    return UpperCaseUmlaut(line.substr(0, keyword.size())) == keyword;
}

constexpr std::string_view kSeparator = "###";

// The next line that is neither empty nor a comment, stripped of blanks; at
// the end of the file the last line read. With `atSeparator`, a separator
// ends the search first: false, the line that begins the next entry is read.
bool readMeaningfulLine(SetLineReader& reader, std::string& line, bool atSeparator)
{
    line.clear();
    while ((line.empty() || line[0] == '#' || line[0] == ';') && !reader.atEnd()) {
        std::string_view raw = reader.readRawLine();
        if (atSeparator && raw == kSeparator)
            return false;
        line = raw;
        TrimSpaces(line, true, true);
    }
    return true;
}

// An entry's next line; false when a separator stands before it.
bool readEntryLine(SetLineReader& reader, std::string& line)
{
    return readMeaningfulLine(reader, line, true);
}

} // namespace

std::string WriteSetHeader()
{
    std::string out;
    for (std::string_view line : kHeader)
        appendLine(out, line);
    return out;
}

std::string WriteSetFile(std::string_view defaultTarget, int mode,
                         const std::vector<BackupEntry>& entries)
{
    std::string text = WriteSetHeader();
    appendLine(text, std::string(kDefaultTargetKey) + std::string(defaultTarget));
    appendLine(text, std::string(kModeKey) + std::to_string(mode));
    for (const BackupEntry& entry : entries) {
        appendLine(text, kSeparator);
        appendLine(text, entry.source);
        appendLine(text, HasSubdirs(entry.subdirs) ? "ja" : "nein");
        appendLine(text, WrittenMasks(entry.masks));
        appendLine(text, entry.target.empty() ? "\\" : entry.target);
    }
    // The header's umlauts are single bytes that never form UTF-8, so a
    // written file always reads back as code page 1252.
    return EncodeFileText(text);
}

SetLineReader::SetLineReader(std::string_view text)
    : text_(text.substr(0, text.find('\x1A')))
{
}

std::string_view SetLineReader::readRawLine()
{
    // A lone LF ends a line too: a set written by hand with a Unix editor
    // would otherwise read as one line and lose every entry.
    size_t end = pos_;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n')
        ++end;
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (end < text_.size() && text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n')
        ++pos_;
    return line;
}

std::string SetLineReader::ReadSetLine()
{
    std::string line;
    readMeaningfulLine(*this, line, false);
    return line;
}

SetFileContent ReadSetFile(std::string_view bytes)
{
    SetFileContent content;
    std::string text = DecodeSetFileText(bytes);
    SetLineReader reader(text);

    std::string line = reader.ReadSetLine();
    if (startsWithKeyword(line, kDefaultTargetKey)) {
        content.defaultTarget = line.substr(kDefaultTargetKey.size());
        line = reader.ReadSetLine();
    }
    if (line.size() > kModeKey.size() && startsWithKeyword(line, kModeKey)) {
        char digit = line[kModeKey.size()];
        if (digit >= '0' && digit <= '3')
            content.mode = digit - '0';
        line = reader.ReadSetLine();
    }

    for (size_t number = 1; !reader.atEnd(); ++number) {
        BackupEntry entry;
        entry.source = std::move(line);
        std::string subdirs;
        // A hand-made entry that lacks a line would otherwise take the next
        // entry's source for its target and shift every entry after it.
        if (!readEntryLine(reader, subdirs) || !readEntryLine(reader, entry.masks) ||
            !readEntryLine(reader, entry.target)) {
            content.leftOut.push_back({number, std::move(entry.source)});
            line = reader.ReadSetLine();
            continue;
        }
        entry.subdirs = SubdirText(HasSubdirs(subdirs));
        // Whatever follows the fourth line is passed over up to an exact
        // separator, so a hand-made entry with extra lines cannot shift the
        // ones after it.
        std::string_view raw = entry.target;
        while (raw != kSeparator && !reader.atEnd())
            raw = reader.readRawLine();
        content.entries.push_back(std::move(entry));
        line = reader.ReadSetLine();
    }
    return content;
}

std::string QualifyFileName(std::string_view fileName, std::string_view programDir)
{
    if (fileName.find_first_of("\\:") != std::string_view::npos)
        return std::string(fileName);
    std::string qualified(programDir);
    if (!qualified.ends_with('\\'))
        qualified += '\\';
    qualified += fileName;
    return qualified;
}

} // namespace tresorix
