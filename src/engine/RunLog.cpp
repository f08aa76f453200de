#include "engine/RunLog.h"

#include "set/Text.h"

namespace tresorix {

namespace {

// Written in large pieces: a write per copied file would cost more than the
// copying of a small file under Wine.
constexpr size_t kFlushSize = 256 * 1024;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Whether the log's last line ends a record ("=== ... Exitcode N"). A run
// killed or cut off by a power failure leaves another line last; an end
// line is far shorter than what is read of the tail.
bool endsRecord(std::string_view tail)
{
    if (tail.ends_with("\r\n"))
        tail.remove_suffix(2);
    const size_t start = tail.rfind("\r\n");
    if (start == std::string_view::npos)
        return false;
    const std::string_view last = tail.substr(start + 2);
    return last.starts_with("=== ") && last.find("  Exitcode ") != std::string_view::npos;
}

}  // namespace

std::string OneLine(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF is one break; so is a lone CR or LF.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += " / ";
        } else {
            result += c;
        }
    }
    return result;
}

void RunLog::begin(const std::string& setFile, const std::string& modeText, int versionDays, bool started)
{
    buffer_.clear();
    failed_ = false;
    uint64_t size = file_.size();
    if (size > kLogRollOverSize && file_.rollOver())
        size = 0;
    const std::string tail = size == 0 ? std::string() : file_.tail(4096);
    if (size == 0)
        buffer_ = kByteOrderMark;
    line("=== " + file_.now() + (started ? "  Backup gestartet. Set: " : "  Start ohne Backup. Set: ") +
         (setFile.empty() ? std::string("(noch nicht gespeichert)") : setFile) + "  Modus: " + modeText +
         "  Versionen: " + VersionDaysText(versionDays));
    if (!tail.empty() && !endsRecord(tail))
        line("  Der vorige Bericht hat kein Ende: jene Sicherung wurde beendet, ohne abzuschließen "
             "(Programm beendet, Absturz oder Stromausfall).");
}

void RunLog::entry(int number, const std::string& source, bool subdirs, const std::string& masks,
                   const std::string& target)
{
    line("Eintrag " + std::to_string(number) + ": " + source +
         (subdirs ? " (mit Unterverzeichnissen)" : " (ohne Unterverzeichnisse)") + "  Dateien: " + masks +
         "  Ziel: " + target);
}

void RunLog::copied(const std::string& sourceFile, uint64_t size)
{
    line("  kopiert: " + sourceFile + "  (" + std::to_string(size) + " Bytes)");
}

void RunLog::exclusions(const std::string& list)
{
    line("Ausnahmen für alle Einträge: " + list);
}

void RunLog::directoryLeftOut(const std::string& directory)
{
    line("  Verzeichnis ausgelassen (Ausnahme): " + directory);
}

void RunLog::leftOut(uint64_t files, uint64_t directories)
{
    line("  ausgelassen (Ausnahmen): " + std::to_string(files) + " Dateien, " + std::to_string(directories) +
         " Verzeichnisse");
}

void RunLog::madeDirectory(const std::string& directory)
{
    line("  Verzeichnis angelegt: " + directory);
}

void RunLog::versionKept(const std::string& targetFile, const std::string& versionFile)
{
    line("  aufbewahrt: " + targetFile + "  ->  " + versionFile);
}

void RunLog::versionRestored(const std::string& targetFile, const std::string& versionFile, uint32_t error)
{
    if (error == 0)
        line("  zurückgelegt: " + versionFile + "  ->  " + targetFile);
    else
        line("  nicht zurückgelegt: " + targetFile + "  Die bisherige Zieldatei liegt in: " + versionFile +
             "  Fehlernummer " + std::to_string(error));
}

void RunLog::versionFolderRemoved(const std::string& folder, const std::string& why, uint32_t error)
{
    if (error == 0)
        line("  Versionen entfernt (" + why + "): " + folder);
    else
        line("  Versionen nicht entfernt (" + why + "): " + folder + "  Fehlernummer " + std::to_string(error));
}

void RunLog::versionsWouldNotHelp(const std::string& target)
{
    line("  Versionen nicht entfernt (Platz für " + target + "): auch ohne sie reicht der Platz nicht");
}

void RunLog::oldCopyKeptForVersion(const std::string& targetFile)
{
    line("  nicht ersetzt, zu wenig Platz: die bisherige Zieldatei bleibt, da Versionen aufbewahrt werden: " + targetFile);
}

void RunLog::mirrorNote(const std::string& text)
{
    line(text);
}

void RunLog::mirrorMoved(const std::string& targetFile, const std::string& versionFile, uint32_t error)
{
    if (error == 0)
        line("  verschoben (fehlt in der Quelle): " + targetFile + "  ->  " + versionFile);
    else
        line("  nicht verschoben: " + targetFile + "  bleibt im Ziel  Fehlernummer " + std::to_string(error));
}

void RunLog::prompt(const std::string& text, const std::string& answer, bool unattended)
{
    line("  Meldung: " + OneLine(text) + "  Antwort: " + answer + (unattended ? " (ohne Anzeige, /SKIPERRORS)" : ""));
}

void RunLog::unseenMessage(const std::string& text, int exitCode)
{
    buffer_.clear();
    failed_ = false;
    if (file_.size() == 0)
        buffer_ = kByteOrderMark;
    line("=== " + file_.now() + "  Meldung (ohne Anzeige): " + OneLine(text) + "  Exitcode " +
         std::to_string(exitCode));
    flush();
}

void RunLog::passedOver(const std::string& what)
{
    line("  übergangen: " + what);
}

void RunLog::end(const std::string& summary, uint64_t checkedFiles, uint64_t checkedBytes, uint64_t savedFiles,
                 uint64_t savedBytes, const std::string& how, int exitCode, uint64_t passedOver, uint64_t failed)
{
    line("=== " + file_.now() + "  " + OneLine(summary) + "  Geprüft: " + std::to_string(checkedFiles) +
         " Dateien, " + std::to_string(checkedBytes) + " Bytes; gesichert: " + std::to_string(savedFiles) +
         " Dateien, " + std::to_string(savedBytes) + " Bytes; übergangen: " + std::to_string(passedOver) +
         "; fehlgeschlagen: " + std::to_string(failed) + ".  " + how + "  Exitcode " + std::to_string(exitCode));
    flush();
}

void RunLog::line(const std::string& text)
{
    if (failed_)
        return;
    buffer_ += text;
    buffer_ += "\r\n";
    if (buffer_.size() >= kFlushSize)
        flush();
}

bool RunLog::flush()
{
    if (failed_)
        return false;
    if (buffer_.empty())
        return true;
    if (!file_.append(buffer_))
        failed_ = true;
    buffer_.clear();
    return !failed_;
}

}  // namespace tresorix
