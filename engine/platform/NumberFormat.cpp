#include "engine/platform/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <locale>
#include <stdexcept>

#include <fmt/format.h>
#include <utf8.h>

namespace kivo::platform {

namespace {

bool IsPlaceholder(char c) { return c == '0' || c == '#'; }
bool IsQuote(char c) { return c == '\'' || c == '"'; }

// Index just past the quoted text that starts at `open` (an unclosed quote runs to the end).
std::size_t SkipQuoted(std::string_view pattern, std::size_t open) {
  const std::size_t close = pattern.find(pattern[open], open + 1);
  return close == std::string_view::npos ? pattern.size() : close + 1;
}

// What the placeholders of a picture ask of the number. Positions index the pattern; npos when
// absent.
struct Picture {
  std::size_t FirstPlaceholder = std::string_view::npos;
  std::size_t LastPlaceholder = std::string_view::npos;
  std::size_t DecimalPoint = std::string_view::npos;
  int IntegerPlaceholders = 0;
  int MinIntegerDigits = 0;
  int Decimals = 0;
  int MinDecimals = 0;
  bool Grouping = false;

  bool InDigits(std::size_t at) const {
    return FirstPlaceholder != std::string_view::npos && at > FirstPlaceholder && at < LastPlaceholder;
  }
};

Picture ReadPicture(std::string_view pattern) {
  Picture picture;
  for (std::size_t i = 0; i < pattern.size();) {
    if (IsQuote(pattern[i])) {
      i = SkipQuoted(pattern, i);
      continue;
    }
    if (IsPlaceholder(pattern[i])) {
      if (picture.FirstPlaceholder == std::string_view::npos) picture.FirstPlaceholder = i;
      picture.LastPlaceholder = i;
    }
    ++i;
  }
  // Only the first '.' that touches or lies among the digits is the decimal point, so a full stop
  // in the surrounding text ("approx. 0") stays text.
  for (std::size_t i = 0; i < pattern.size() && picture.FirstPlaceholder != std::string_view::npos;) {
    if (IsQuote(pattern[i])) {
      i = SkipQuoted(pattern, i);
      continue;
    }
    if (pattern[i] == '.' && i + 1 >= picture.FirstPlaceholder && i <= picture.LastPlaceholder + 1) {
      picture.DecimalPoint = i;
      break;
    }
    ++i;
  }
  int firstZero = -1;
  for (std::size_t i = 0; i < pattern.size();) {
    if (IsQuote(pattern[i])) {
      i = SkipQuoted(pattern, i);
      continue;
    }
    const char c = pattern[i];
    const bool afterPoint = picture.DecimalPoint != std::string_view::npos && i > picture.DecimalPoint;
    if (IsPlaceholder(c) && afterPoint) {
      ++picture.Decimals;
      if (c == '0') picture.MinDecimals = picture.Decimals;
    } else if (IsPlaceholder(c)) {
      if (c == '0' && firstZero < 0) firstZero = picture.IntegerPlaceholders;
      ++picture.IntegerPlaceholders;
    } else if (c == ',' && picture.InDigits(i)) {
      picture.Grouping = true;
    }
    ++i;
  }
  if (firstZero >= 0) picture.MinIntegerDigits = picture.IntegerPlaceholders - firstZero;
  return picture;
}

// The magnitude of a value rounded to a number of decimals, as decimal digit strings. Rounding
// works on the shortest decimal text that a double stands for (15 significant digits), half away
// from zero: 2.675 is stored as 2.67499999..., yet a user who typed 2.675 expects 2.68.
struct Digits {
  std::string Integer;   // no leading zeros; empty for zero
  std::string Fraction;  // exactly the asked number of decimals
  bool IsZero() const { return Integer.empty() && Fraction.find_first_not_of('0') == std::string::npos; }
};

Digits RoundedDigits(double magnitude, int decimals) {
  const std::string scientific = fmt::format("{:.14e}", magnitude);  // d.dddddddddddddde±XX
  const std::size_t e = scientific.find('e');
  std::string mantissa = scientific.substr(0, 1) + scientific.substr(2, e - 2);
  int pointAt = std::atoi(scientific.c_str() + e + 1) + 1;  // digits before the decimal point

  const int keep = pointAt + decimals;
  if (keep < 0) {
    mantissa.clear();
  } else if (keep < static_cast<int>(mantissa.size())) {
    const bool roundUp = mantissa[static_cast<std::size_t>(keep)] >= '5';
    mantissa.resize(static_cast<std::size_t>(keep));
    if (roundUp) {
      int i = keep - 1;
      for (; i >= 0 && mantissa[static_cast<std::size_t>(i)] == '9'; --i) mantissa[static_cast<std::size_t>(i)] = '0';
      if (i >= 0) {
        ++mantissa[static_cast<std::size_t>(i)];
      } else {
        mantissa.insert(mantissa.begin(), '1');
        ++pointAt;
      }
    }
  }

  Digits digits;
  if (pointAt > 0) {
    digits.Integer = mantissa.substr(0, std::min<std::size_t>(mantissa.size(), static_cast<std::size_t>(pointAt)));
    digits.Integer.resize(static_cast<std::size_t>(pointAt), '0');
    digits.Fraction = mantissa.size() > static_cast<std::size_t>(pointAt) ? mantissa.substr(static_cast<std::size_t>(pointAt)) : "";
  } else {
    digits.Fraction = std::string(static_cast<std::size_t>(-pointAt), '0') + mantissa;
  }
  digits.Fraction.resize(static_cast<std::size_t>(decimals), '0');
  const std::size_t significant = digits.Integer.find_first_not_of('0');
  digits.Integer.erase(0, significant == std::string::npos ? digits.Integer.size() : significant);
  return digits;
}

// Without a picture the number is written in full, as a general format would.
std::string GeneralFormat(double value, const NumberSeparators& separators) {
  std::string text = fmt::format("{:.15g}", value);
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, separators.Decimal);
  return text;
}

std::string Utf8Of(wchar_t c) {
  std::string text;
  const auto cp = static_cast<std::uint32_t>(c);
  const bool valid = cp != 0 && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
  if (valid) utf8::append(static_cast<char32_t>(cp), std::back_inserter(text));
  return text;
}

NumberSeparators ReadUserSeparators() {
  NumberSeparators separators;
  try {
    // The wide facet: a narrow one would cut a multi-byte separator (a narrow no-break space) to
    // its first byte. The global locale stays untouched, so nothing else changes its output.
    const std::locale user("");
    const auto& punct = std::use_facet<std::numpunct<wchar_t>>(user);
    const std::string decimal = Utf8Of(punct.decimal_point());
    if (!decimal.empty()) separators.Decimal = decimal;
    const std::string thousands = Utf8Of(punct.thousands_sep());
    if (!punct.grouping().empty() && !thousands.empty()) separators.Thousands = thousands;
  } catch (const std::runtime_error&) {
    // LANG or LC_* names a locale that is not installed: the defaults are the sound choice.
  }
  // A locale without grouping may share its decimal comma with the default thousands separator.
  if (separators.Thousands == separators.Decimal) separators.Thousands = separators.Decimal == "," ? "." : ",";
  return separators;
}

}  // namespace

const NumberSeparators& UserNumberSeparators() {
  static const NumberSeparators separators = ReadUserSeparators();
  return separators;
}

std::string FormatFloat(std::string_view Pattern, double Value) {
  return FormatFloat(Pattern, Value, UserNumberSeparators());
}

std::string FormatFloat(std::string_view Pattern, double Value, const NumberSeparators& Separators) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  if (Pattern.empty()) return GeneralFormat(Value, Separators);

  const Picture picture = ReadPicture(Pattern);
  const Digits digits = RoundedDigits(std::fabs(Value), picture.Decimals);
  const bool negative = Value < 0 && !digits.IsZero();

  std::string integer = digits.Integer;
  if (static_cast<int>(integer.size()) < picture.MinIntegerDigits)
    integer.insert(0, static_cast<std::size_t>(picture.MinIntegerDigits) - integer.size(), '0');
  std::string fraction = digits.Fraction;
  while (static_cast<int>(fraction.size()) > picture.MinDecimals && fraction.back() == '0') fraction.pop_back();

  const int count = static_cast<int>(integer.size());
  const std::size_t signAt = std::min(picture.FirstPlaceholder, picture.DecimalPoint);
  std::string out;
  int integerSlot = 0;
  std::size_t fractionSlot = 0;
  auto emitDigit = [&](int index) {
    out += integer[static_cast<std::size_t>(index)];
    const int remaining = count - 1 - index;
    if (picture.Grouping && remaining > 0 && remaining % 3 == 0) out += Separators.Thousands;
  };

  for (std::size_t i = 0; i < Pattern.size();) {
    const char c = Pattern[i];
    if (i == signAt && negative) out += '-';
    if (IsQuote(c)) {
      const std::size_t end = SkipQuoted(Pattern, i);
      const bool closed = Pattern.find(c, i + 1) != std::string_view::npos;
      out.append(Pattern.substr(i + 1, end - (i + 1) - (closed ? 1 : 0)));
      i = end;
      continue;
    }
    if (i == picture.DecimalPoint) {
      if (!fraction.empty()) out += Separators.Decimal;
    } else if (IsPlaceholder(c) && picture.DecimalPoint != std::string_view::npos && i > picture.DecimalPoint) {
      if (fractionSlot < fraction.size()) out += fraction[fractionSlot];
      ++fractionSlot;
    } else if (IsPlaceholder(c)) {
      // The first slot also takes every digit the picture has no room for.
      const int index = count - picture.IntegerPlaceholders + integerSlot;
      if (integerSlot == 0)
        for (int j = 0; j < index; ++j) emitDigit(j);
      if (index >= 0) emitDigit(index);
      ++integerSlot;
    } else if (!(c == ',' && picture.InDigits(i))) {
      out += c;
    }
    ++i;
  }
  return out;
}

}  // namespace kivo::platform
