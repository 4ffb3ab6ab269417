#include "app/Speeds.h"

namespace kivo::app {

namespace {

constexpr double kCdOneX = 176.4;
constexpr double kDvdOneX = 1385;

}  // namespace

bool IsCdKind(std::uint16_t mediaKind) { return mediaKind < 4; }

std::string SpeedEntry(std::uint16_t acceptedKbps, std::uint16_t mediaKind,
                       const platform::NumberSeparators& separators) {
  const bool cd = IsCdKind(mediaKind);
  const double multiple = acceptedKbps / (cd ? kCdOneX : kDvdOneX);
  return platform::FormatFloat(cd ? "0X " : "0.0X ", multiple, separators) +
         platform::FormatFloat("(#,##0 KB/s)", acceptedKbps, separators);
}

}  // namespace kivo::app
