#include "app/Speeds.h"

#include <charconv>
#include <cmath>

#include "app/Strings.h"

namespace kivo::app {

namespace {

constexpr double kCdOneX = 176.4;
constexpr double kDvdOneX = 1385;
// The factor back from an entry is 177 on CD, not 176.4: entries name rounded multiples.
constexpr double kCdFactor = 177;
constexpr double kDvdFactor = 1385;

}  // namespace

bool IsCdKind(std::uint16_t mediaKind) { return mediaKind < 4; }

std::string SpeedEntry(std::uint16_t acceptedKbps, std::uint16_t mediaKind,
                       const platform::NumberSeparators& separators) {
  const bool cd = IsCdKind(mediaKind);
  const double multiple = acceptedKbps / (cd ? kCdOneX : kDvdOneX);
  return platform::FormatFloat(cd ? "0X " : "0.0X ", multiple, separators) +
         platform::FormatFloat("(#,##0 KB/s)", acceptedKbps, separators);
}

std::uint16_t SpeedFromText(const std::string& entry, std::uint16_t mediaKind,
                            const platform::NumberSeparators& separators) {
  if (entry.empty() || entry == text::kSpeedMax) return 0;
  std::string number = entry.substr(0, entry.find('X'));
  // The entry was written with the user's decimal separator; from_chars reads "." whatever the
  // process locale is.
  if (const std::size_t at = number.find(separators.Decimal); at != std::string::npos) {
    number.replace(at, separators.Decimal.size(), ".");
  }
  double multiple = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), multiple);
  if (ec != std::errc() || end == number.data() || !(multiple > 0)) return 0;
  const double kbps = std::nearbyint(multiple * (IsCdKind(mediaKind) ? kCdFactor : kDvdFactor));
  return kbps > 0xFFFF ? 0xFFFF : static_cast<std::uint16_t>(kbps);
}

}  // namespace kivo::app
