#include "engine/Mask.h"

#include "engine/CaseFoldTable.h"

namespace tresorix {
namespace {

// Bytes that do not start a valid sequence stand for themselves, above every
// code point, so that broken names still match only themselves.
constexpr char32_t kRawByte = 0x110000;

char32_t decode(std::string_view s, size_t& i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    if (c < 0xC2 || c > 0xF4 || i + extra >= s.size()) {
        ++i;
        return kRawByte + c;
    }
    char32_t cp = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            ++i;
            return kRawByte + c;
        }
        cp = cp << 6 | (d & 0x3F);
    }
    // A letter spelt with more bytes than it needs, or a number above the
    // last code point, would otherwise pass for another name.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || cp > 0x10FFFF) {
        ++i;
        return kRawByte + c;
    }
    i += extra + 1;
    return cp;
}

char32_t fold(char32_t c)
{
    // Most names are ASCII; they need not reach the table.
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    using namespace casefold;
    if (c >= kLimit)  // the stand-ins of stray bytes too
        return c;
    unsigned mid = kTop[c >> (kLowBits + kMidBits)];
    unsigned row = kMid[mid << kMidBits | (c >> kLowBits & ((1u << kMidBits) - 1))];
    char32_t delta = kDelta[row << kLowBits | (c & ((1u << kLowBits) - 1))];
    // No letter folds into another plane, so sixteen bits of difference do.
    return (c & ~char32_t(0xFFFF)) | ((c + delta) & 0xFFFF);
}

// What the first round of sorting sees of a folded letter: a Latin-1 letter
// as its plain one, and A-Z in upper case, so that "_" and the other marks
// between "Z" and "a" still sort after the letters.
char32_t baseLetter(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c == 0xFF)
        return 'Y';
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        c -= 0x20;
    static const char plain[] = "AAAAAAACEEEEIIIIDNOOOOO\0OUUUUY\0S";
    if (c >= 0xC0 && c <= 0xDF && plain[c - 0xC0])
        return char32_t(plain[c - 0xC0]);
    return c;
}

bool matchPlain(std::string_view name, std::string_view mask)
{
    // Greedy with one resumption point: the last `*` absorbs one more
    // character whenever the rest fails, which bounds the work to
    // name length times mask length.
    size_t n = 0, m = 0;
    size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size()) {
            size_t mNext = m;
            char32_t mc = decode(mask, mNext);
            if (mc == '*') {
                starMask = m = mNext;
                starName = n;
                continue;
            }
            size_t nNext = n;
            char32_t nc = decode(name, nNext);
            if (mc == '?' || fold(mc) == fold(nc)) {
                m = mNext;
                n = nNext;
                continue;
            }
        }
        if (starMask == std::string_view::npos)
            return false;
        decode(name, starName);
        n = starName;
        m = starMask;
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (matchPlain(name, mask))
        return true;
    return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
           matchPlain(name, mask.substr(0, mask.size() - 2));
}

bool MatchesAnyMask(std::string_view name, const std::vector<std::string>& masks)
{
    for (const std::string& mask : masks)
        if (MatchesMask(name, mask))
            return true;
    return false;
}

int CompareIgnoreCase(std::string_view a, std::string_view b)
{
    // Letters with accents sort beside their plain letter first ("Ärger"
    // between "Apfel" and "Birne"), and only then after it.
    for (bool plain : {true, false}) {
        size_t i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            char32_t x = fold(decode(a, i));
            char32_t y = fold(decode(b, j));
            if (plain) {
                x = baseLetter(x);
                y = baseLetter(y);
            }
            if (x != y)
                return x < y ? -1 : 1;
        }
        if (i < a.size() || j < b.size())
            return i < a.size() ? 1 : -1;
    }
    return 0;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    return CompareIgnoreCase(a, b) == 0;
}

std::string FoldedKey(std::string_view name)
{
    // Each folded code point, a stray byte's stand-in too, in the UTF-8
    // pattern: that takes every number below 2^21 apart.
    std::string key;
    key.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        char32_t c = fold(decode(name, i));
        if (c < 0x80) {
            key += char(c);
        } else if (c < 0x800) {
            key += char(0xC0 | c >> 6);
            key += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            key += char(0xE0 | c >> 12);
            key += char(0x80 | (c >> 6 & 0x3F));
            key += char(0x80 | (c & 0x3F));
        } else {
            key += char(0xF0 | c >> 18);
            key += char(0x80 | (c >> 12 & 0x3F));
            key += char(0x80 | (c >> 6 & 0x3F));
            key += char(0x80 | (c & 0x3F));
        }
    }
    return key;
}

}  // namespace tresorix
