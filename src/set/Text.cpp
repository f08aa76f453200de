#include "set/Text.h"

#include <array>
#include <charconv>
#include <vector>

namespace tresorix {

void TrimSpaces(std::string& text, bool left, bool right)
{
    if (right) {
        size_t end = text.find_last_not_of(' ');
        text.erase(end == std::string::npos ? 0 : end + 1);
    }
    if (left)
        text.erase(0, text.find_first_not_of(' '));
}

char32_t UpCaseUmlaut(char32_t c)
{
    if (c >= U'a' && c <= U'z')
        return c - U'a' + U'A';
    switch (c) {
    case U'ä': return U'Ä';
    case U'ö': return U'Ö';
    case U'ü': return U'Ü';
    default: return c;
    }
}

std::string UpperCaseUmlaut(std::string_view text)
{
    // ä ö ü are C3 A4, C3 B6, C3 BC; the upper-case forms differ only in the
    // second byte. C3 is never a continuation byte, so a byte-wise pass is
    // exact even when invalid sequences stand around it.
    std::string result(text);
    for (size_t i = 0; i < result.size(); ++i) {
        char& c = result[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c == '\xC3' && i + 1 < result.size()) {
            char& next = result[i + 1];
            if (next == '\xA4' || next == '\xB6' || next == '\xBC') {
                next = static_cast<char>(next - 0x20);
                ++i;
            }
        }
    }
    return result;
}

bool HasSubdirs(std::string_view text)
{
    return text.find("ja") != std::string_view::npos;
}

std::string SubdirText(bool subdirs)
{
    return subdirs ? " ja" : "";
}

bool UsesStdZiel(std::string_view target)
{
    return target.starts_with(kStdZiel);
}

bool UsesQuellpfad(std::string_view target)
{
    return target.find(kQuellpfad) != std::string_view::npos;
}

bool UsesLw(std::string_view target)
{
    return target.find(kLw) != std::string_view::npos;
}

std::string GetZielBasis(std::string_view target)
{
    std::string base(target);
    for (std::string_view placeholder : {kQuellpfad, kLw}) {
        size_t at = base.find(placeholder);
        if (at != std::string::npos)
            base.erase(at, placeholder.size());
    }
    TrimSpaces(base, true, true);
    if (base.size() > 3 && base.back() == '\\')
        base.pop_back();
    return base;
}

std::string MakeTargetText(std::string_view base, bool lw, bool quellpfad)
{
    std::string target(base);
    if ((lw || quellpfad) && !UsesStdZiel(target) && !target.ends_with('\\'))
        target += '\\';
    if (lw)
        target += kLw;
    if (quellpfad)
        target += kQuellpfad;
    return target;
}

namespace {

// Digits only once blanks and tabs around them are gone; nothing else.
std::optional<std::string_view> dayDigits(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return text;
}

} // namespace

int ParseVersionDays(std::string_view text)
{
    std::optional<std::string_view> digits = dayDigits(text);
    if (!digits)
        return 0;
    int days = 0;
    auto [end, error] = std::from_chars(digits->data(), digits->data() + digits->size(), days);
    // Digits only: what does not fit an int is far above the bound.
    return error != std::errc() || days > kMaxVersionDays ? kMaxVersionDays : days;
}

std::optional<int> ReadVersionDays(std::string_view text)
{
    std::optional<std::string_view> digits = dayDigits(text);
    int days = 0;
    if (!digits || std::from_chars(digits->data(), digits->data() + digits->size(), days).ec != std::errc() ||
        days > kMaxVersionDays)
        return std::nullopt;
    return days;
}

std::string VersionDaysText(int days)
{
    if (days <= 0)
        return "aus";
    return days == 1 ? "1 Tag" : std::to_string(days) + " Tage";
}

int ClampBackupMode(long long value)
{
    if (value > 3)
        return 3;
    if (value < 0)
        return -1;
    return static_cast<int>(value);
}

std::string FilterToFront(std::string_view filterList, std::string_view mask)
{
    struct Pair {
        std::string_view description, masks;
        bool hasMasks;
    };
    std::vector<Pair> pairs;
    size_t pos = 0;
    auto nextField = [&](std::string_view& field) {
        size_t bar = filterList.find('|', pos);
        field = filterList.substr(pos, bar == std::string_view::npos ? std::string_view::npos : bar - pos);
        pos = bar == std::string_view::npos ? filterList.size() + 1 : bar + 1;
    };
    while (!filterList.empty() && pos <= filterList.size()) {
        Pair pair{};
        nextField(pair.description);
        pair.hasMasks = pos <= filterList.size();
        if (pair.hasMasks)
            nextField(pair.masks);
        pairs.push_back(pair);
    }

    size_t found = 0;
    while (found < pairs.size() && !(pairs[found].hasMasks && pairs[found].masks == mask))
        ++found;

    std::vector<Pair> ordered;
    ordered.reserve(pairs.size() + 1);
    if (found < pairs.size())
        ordered.push_back(pairs[found]);
    for (size_t i = 0; i < pairs.size(); ++i)
        if (i != found)
            ordered.push_back(pairs[i]);
    if (found == pairs.size())
        ordered.push_back({mask, mask, true});

    std::string result;
    bool first = true;
    for (const Pair& pair : ordered) {
        if (!first)
            result += '|';
        first = false;
        result += pair.description;
        if (pair.hasMasks) {
            result += '|';
            result += pair.masks;
        }
    }
    return result;
}

std::string_view FileNamePart(std::string_view path)
{
    size_t at = path.find_last_of("\\:");
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

bool IsNonameFile(std::string_view path)
{
    return UpperCaseUmlaut(FileNamePart(path)) == kNonameFile;
}

std::string WindowTitle(std::string_view fileName, bool withFile)
{
    std::string title = " Tresorix";
    if (withFile) {
        title += "  -  ";
        title += FileNamePart(fileName);
    }
    return title;
}

namespace {

// Code points of the bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one well-formed UTF-8 sequence at `pos`, advancing it; false on
// malformed, overlong or surrogate sequences.
bool decodeUtf8(std::string_view s, size_t& pos, char32_t& c)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char lead = byte(pos);
    size_t length;
    char32_t min;
    if (lead < 0x80) {
        c = lead;
        ++pos;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (s.size() - pos < length)
        return false;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    pos += length;
    return true;
}

// The end of the run of ASCII characters that starts at `pos`: files are
// mostly ASCII, and a run is copied at once.
size_t asciiRunEnd(std::string_view text, size_t pos)
{
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80)
        ++pos;
    return pos;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (size_t pos = 0; pos < bytes.size(); ++pos) {
        size_t end = asciiRunEnd(bytes, pos);
        out.append(bytes.substr(pos, end - pos));
        if (end == bytes.size())
            break;
        pos = end;
        auto u = static_cast<unsigned char>(bytes[pos]);
        appendUtf8(out, u <= 0x9F ? kCp1252High[u - 0x80] : char32_t{u});
    }
    return out;
}

bool Utf8ToCp1252(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = asciiRunEnd(text, pos);
        out.append(text.substr(pos, end - pos));
        pos = end;
        if (pos == text.size())
            break;
        char32_t c;
        if (!decodeUtf8(text, pos, c))
            return false;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        size_t i = 0;
        while (i < kCp1252High.size() && kCp1252High[i] != c)
            ++i;
        if (i == kCp1252High.size())
            return false;
        out += static_cast<char>(0x80 + i);
    }
    return true;
}

namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
}

std::string DecodeFileText(std::string_view bytes)
{
    if (bytes.starts_with(kUtf8Bom))
        return std::string(bytes.substr(kUtf8Bom.size()));
    return Cp1252ToUtf8(bytes);
}

bool IsMultiByteUtf8(std::string_view bytes)
{
    bool multiByte = false;
    size_t pos = 0;
    while ((pos = asciiRunEnd(bytes, pos)) < bytes.size()) {
        char32_t c;
        if (!decodeUtf8(bytes, pos, c))
            return false;
        multiByte |= c >= 0x80;
    }
    return multiByte;
}

std::string DecodeSetFileText(std::string_view bytes)
{
    if (!bytes.starts_with(kUtf8Bom) && IsMultiByteUtf8(bytes))
        return std::string(bytes);
    return DecodeFileText(bytes);
}

std::string EncodeFileText(std::string_view text)
{
    std::string bytes;
    if (Utf8ToCp1252(text, bytes))
        return bytes;
    bytes = kUtf8Bom;
    bytes += text;
    return bytes;
}

} // namespace tresorix
