#include "platform/TextConv.h"

namespace tresorix {

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the sequence that starts at `at`, and its code point; 0 for
// a byte that starts none. Surrogates (ED A0..BF) are let through.
size_t decode(std::string_view s, size_t at, char32_t& c)
{
    const auto byte = [&](size_t i) { return at + i < s.size() ? (unsigned char)s[at + i] : 0; };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    size_t n;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        n = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        n = 3, low = lead == 0xE0 ? 0xA0 : 0x80;
    else if (lead >= 0xF0 && lead <= 0xF4)
        n = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    else
        return 0;
    if (byte(1) < low || byte(1) > high)
        return 0;
    c = lead & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        if (!isContinuation(byte(i)))
            return 0;
        c = c << 6 | (byte(i) & 0x3F);
    }
    return n;
}

}  // namespace

std::wstring Widen(std::string_view utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        char32_t c;
        size_t n = decode(utf8, at, c);
        if (n == 0)
            c = 0xFFFD, n = 1;
        at += n;
        if (c >= 0x10000) {
            out += wchar_t(0xD800 + ((c - 0x10000) >> 10));
            out += wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += wchar_t(c);
        }
    }
    return out;
}

std::string Narrow(std::wstring_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = char32_t(utf16[i]) & 0xFFFF;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && (utf16[i + 1] & 0xFC00) == 0xDC00)
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(utf16[++i]) & 0x3FF);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | (c >> 12 & 0x3F));
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace tresorix
