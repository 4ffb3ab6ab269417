// The speed list's entries: what the drive accepted, shown as a multiple of 1x.
#pragma once

#include <cstdint>
#include <string>

#include "engine/platform/NumberFormat.h"

namespace kivo::app {

// Media kinds below 4 are CD media.
bool IsCdKind(std::uint16_t mediaKind);
// "40X (7,056 KB/s)" on CD media, "8.0X (11,080 KB/s)" on DVD media, in the given separators.
std::string SpeedEntry(std::uint16_t acceptedKbps, std::uint16_t mediaKind,
                       const platform::NumberSeparators& separators = platform::UserNumberSeparators());

}  // namespace kivo::app
