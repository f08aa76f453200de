#include "engine/Format.h"

#include <cstdio>

namespace tresorix {

std::string ErrorText(uint16_t code)
{
    switch (code) {
    case 0: return " Aktion wurde fehlerfrei ausgeführt! ";
    case 2: return " Datei nicht gefunden ";
    case 3: return " Pfad nicht gefunden ";
    case 4: return " Zu viele offene Dateien ";
    case 5:
    case 65: return " Zugriff verweigert \r\n  (schreibgeschütztes Medium oder fehlende Schreibrechte) ";
    case 6: return " Ungültiges Handle ";
    case 7: return " Memory Control Block zerstört ";
    case 8: return " Nicht genug Speicher ";
    case 10: return " Ungültige Umgebung ";
    case 11: return " Ungültiges Format ";
    case 15: return " Ungültige Laufwerksangabe ";
    case 16: return " Versuch, aktuelles Verzeichnis zu löschen ";
    case 17: return " Umbenennen ist über Laufwerke hinweg nicht möglich.";
    case 18: return " Keine weiteren Dateien gefunden ";
    case 19:
    case 150: return " Diskette ist schreibgeschützt ";
    case 20:
    case 151: return " Unbekanntes Gerät ";
    case 21:
    case 152: return " Laufwerk ist nicht bereit ";
    case 22:
    case 153: return " Unbekanntes Diskettenkommando ";
    case 23:
    case 154: return " Prüfsummenfehler beim Lesen von Daten ";
    case 24:
    case 155: return " Falsche Anforderungsblocklänge ";
    case 25:
    case 156: return " Suchfehler ";
    case 26:
    case 157: return " Keine MS-DOS-Diskette ";
    case 27:
    case 158: return " Sektor nicht gefunden ";
    case 28:
    case 159: return " Kein Papier im Drucker ";
    case 29:
    case 160: return " Schreibfehler bzw. Drucker nicht eingeschaltet ";
    case 30:
    case 161: return " Lesefehler ";
    case 31:
    case 162: return " Allgemeiner Hardware-Fehler ";
    case 71: return " Interner Speicherüberlauf (FindFirst nicht freigegeben) ";
    case 80: return " Datei existiert bereits ";
    case 82: return " Verzeichniseintrag nicht möglich ";
    case 100: return " Lesefehler von Diskette bzw. Festplatte ";
    case 101:
    case 112: return " Schreibfehler auf Diskette bzw. Festplatte \r\n (Ziellaufwerk ist voll) ";
    case 102: return " Versuch, nicht zugewiesene Datei zu öffnen \r\n (reset ohne assign) ";
    case 103: return " Versuch, eine nicht geöffnete Datei zu schließen ";
    case 104: return " Versuch, von einer nicht geöffneten Datei zu lesen ";
    case 182: return " Datei gesperrt oder Datenträger nicht formatiert ";
    case 250: return " Verzeichnis existiert bereits ";
    case 251: return " Ungültige Datums- bzw. Zeitangabe ";
    case 252: return " Ungültiger Dateiname ";
    case 253: return " Nicht genug Platz auf Ziellaufwerk ";
    case 254: return " Datei kann nicht in sich selbst kopiert werden ";
    default: return " Fehlernummer: " + std::to_string(code);
    }
}

std::string FormatBytes(uint64_t bytes)
{
    if (bytes < 1024)
        return std::to_string(bytes) + " Bytes";
    static const char* const units[] = {"K", "M", "G"};
    int unit = bytes >= (uint64_t(1) << 30) ? 2 : bytes >= (uint64_t(1) << 20) ? 1 : 0;
    uint64_t divisor = uint64_t(1) << (10 * (unit + 1));
    uint64_t whole = bytes / divisor;
    // The remainder is below 2^30, so the thousandths are exact in 64 bits;
    // ties go to the even neighbour.
    uint64_t scaled = bytes % divisor * 1000;
    uint64_t thousandths = scaled / divisor;
    uint64_t rest = scaled % divisor;
    if (rest * 2 > divisor || (rest * 2 == divisor && thousandths % 2 == 1))
        ++thousandths;
    // Just below a unit boundary the rounding carries into the whole part:
    // 2,097,151 bytes are "2,000 MBytes", and 1,048,575 "1,000 MBytes".
    if (thousandths == 1000) {
        thousandths = 0;
        ++whole;
        if (whole == 1024 && unit < 2) {
            whole = 1;
            ++unit;
        }
    }
    std::string fraction = std::to_string(thousandths);
    fraction.insert(0, 3 - fraction.size(), '0');
    return std::to_string(whole) + "," + fraction + " " + units[unit] + "Bytes";
}

std::string GroupDigits(int64_t number, std::string_view separator)
{
    std::string digits = std::to_string(number);
    size_t first = number < 0 ? 1 : 0;
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 * separator.size());
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > first && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

std::string AddBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

std::string FormatDosDateTime(int32_t packed)
{
    uint32_t p = uint32_t(packed);
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u    %02u:%02u", p >> 16 & 31, p >> 21 & 15,
                  (p >> 25) + 1980, p >> 11 & 31, p >> 5 & 63);
    return text;
}

}  // namespace tresorix
