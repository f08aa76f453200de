#include "platform/DeviceName.h"

namespace tresorix {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool equalsUpper(std::string_view text, std::string_view upperText)
{
    if (text.size() != upperText.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (upper(text[i]) != upperText[i])
            return false;
    return true;
}

}  // namespace

bool IsDeviceName(std::string_view path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string_view name = path.substr(slash + 1);
    if (slash == std::string_view::npos && name.size() >= 2 && name[1] == ':')  // "C:nul"
        name.remove_prefix(2);
    // As Win32 reads it: what stands before the first dot or colon, less
    // the blanks at its end.
    name = name.substr(0, name.find_first_of(".:"));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL"})
        if (equalsUpper(name, device))
            return true;
    if (name.size() < 4 || !(equalsUpper(name.substr(0, 3), "COM") || equalsUpper(name.substr(0, 3), "LPT")))
        return false;
    std::string_view digit = name.substr(3);
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}

}  // namespace tresorix
