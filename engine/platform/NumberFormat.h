// Numbers formatted by picture patterns ("0.0", "X (#,##0 KB/s)"): '0' is a digit that is
// always shown, '#' one shown when needed, '.' the place of the decimal separator, ',' anywhere
// in the digits asks for thousands grouping; text in quotes and every other character is copied
// as it stands. The separators are the user's (LC_NUMERIC), falling back to '.' and ',' when the
// locale names none. Written by hand: no library formats by such pictures.
#pragma once

#include <string>
#include <string_view>

namespace kivo::platform {

struct NumberSeparators {
  std::string Decimal = ".";
  std::string Thousands = ",";
};

// The user's separators, read once per process.
const NumberSeparators& UserNumberSeparators();

std::string FormatFloat(std::string_view Pattern, double Value);
std::string FormatFloat(std::string_view Pattern, double Value, const NumberSeparators& Separators);

}  // namespace kivo::platform
