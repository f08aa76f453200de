#include "set/SetFile.h"

#include "set/Filters.h"

#include <algorithm>

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

constexpr std::string_view kDefaultTargetKey = "STANDARDZIEL";
constexpr std::string_view kModeKey = "BACKUPMODE";
constexpr std::string_view kSeparator = "###";

// Shown of the lines a load passed over; more would make a box nobody reads.
constexpr size_t kSkippedLinesShown = 10;

void appendLine(std::string& out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

// The value of a line "KEY=value" whose key, with blanks around it, is
// `key` in any case; nothing for any other line.
std::optional<std::string> keyValue(const std::string& line, std::string_view key)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    std::string name = line.substr(0, equals);
    TrimSpaces(name, true, true);
    if (UpperCaseUmlaut(name) != key)
        return std::nullopt;
    return line.substr(equals + 1);
}

bool isMeaningful(const std::string& line)
{
    return !line.empty() && line[0] != '#' && line[0] != ';';
}

// The next raw line, stripped of blanks.
std::string readStripped(SetLineReader& reader)
{
    std::string line(reader.readRawLine());
    TrimSpaces(line, true, true);
    return line;
}

// An entry's next line; false when a separator stands before it or the
// file ends first.
bool readEntryLine(SetLineReader& reader, std::string& line)
{
    while (!reader.atEnd()) {
        line = readStripped(reader);
        if (line == kSeparator)
            return false;
        if (isMeaningful(line))
            return true;
    }
    return false;
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
    appendLine(text, std::string(kDefaultTargetKey) + "=" + std::string(defaultTarget));
    appendLine(text, std::string(kModeKey) + "=" + std::to_string(mode));
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
    ++lineNumber_;
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
    while (!isMeaningful(line) && !atEnd())
        line = readStripped(*this);
    return line;
}

SetFileContent ReadSetFile(std::string_view bytes)
{
    SetFileContent content;
    std::string text = DecodeSetFileText(bytes);
    SetLineReader reader(text);

    std::string line = reader.ReadSetLine();
    if (std::optional<std::string> value = keyValue(line, kDefaultTargetKey)) {
        content.defaultTarget = std::move(value);
        line = reader.ReadSetLine();
    }
    std::optional<std::string> mode = keyValue(line, kModeKey);
    if (mode)
        TrimSpaces(*mode, true, false);
    if (mode && !mode->empty()) {
        char digit = mode->front();
        if (digit >= '0' && digit <= '3')
            content.mode = digit - '0';
        line = reader.ReadSetLine();
    }

    for (size_t number = 1; isMeaningful(line); ++number) {
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
        content.entries.push_back(std::move(entry));
        // Whatever follows the fourth line is passed over up to a separator,
        // so a hand-made entry with extra lines cannot shift the ones after
        // it; what is passed over is told, as it may be a whole entry.
        while (!reader.atEnd()) {
            std::string rest = readStripped(reader);
            if (rest == kSeparator)
                break;
            if (isMeaningful(rest))
                content.skipped.push_back({reader.lineNumber(), std::move(rest)});
        }
        line = reader.ReadSetLine();
    }
    return content;
}

std::string NotLoadedText(const SetFileContent& content, std::string_view file)
{
    std::string text;
    if (!content.leftOut.empty()) {
        text = "Unvollständige Einträge in \"" + std::string(file) + "\" wurden nicht geladen:";
        for (const LeftOutEntry& entry : content.leftOut)
            text += "\r\nEintrag " + std::to_string(entry.number) + ": " + entry.source;
    }
    if (!content.skipped.empty()) {
        if (!text.empty())
            text += "\r\n\r\n";
        text += "In \"" + std::string(file) +
                "\" wurden Zeilen überlesen, die nach den vier Zeilen eines Eintrags vor dem nächsten \"###\" "
                "stehen:";
        const size_t shown = std::min(content.skipped.size(), kSkippedLinesShown);
        for (size_t i = 0; i < shown; ++i)
            text += "\r\nZeile " + std::to_string(content.skipped[i].number) + ": " + content.skipped[i].text;
        if (content.skipped.size() > shown)
            text += "\r\n(und " + std::to_string(content.skipped.size() - shown) + " weitere)";
    }
    return text;
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
