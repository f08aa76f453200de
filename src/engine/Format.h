// Error texts and the number formats of the progress window, the prompts
// and the run's summary. Portable; all texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tresorix {

// The German sentence for an error number; unknown numbers are shown as such.
std::string ErrorText(uint16_t code);

// "512 Bytes", "1,500 KBytes", "3,297 MBytes": three decimals, fixed comma.
std::string FormatBytes(uint64_t bytes);

// Decimal digits in groups of three: GroupDigits(1234567, " ") is "1 234 567".
std::string GroupDigits(int64_t number, std::string_view separator);

std::string AddBackslash(std::string path);

// A packed DOS date-time as "dd.mm.yyyy    hh:nn".
std::string FormatDosDateTime(int32_t packed);

}  // namespace tresorix
