// What the disc information window shows, read from the drive in one go. Plain engine types:
// the reading runs away from the window's thread.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/iso/SessionSummaries.h"

namespace kivo {
class TZelvoBurner;
}

namespace kivo::app {

// How long a disc may take to come ready before the window takes it for absent.
inline constexpr unsigned kReadyTimeoutMs = 5000;

struct DiscFacts {
  bool ready = false;  // false: no disc, or one that cannot be read; nothing below was read
  std::uint16_t mediaKind = 0;
  std::vector<SessionSummary> sessions;
  std::uint32_t freeSectors = 0;
  std::uint32_t usedSectors = 0;
  std::uint32_t capacity = 0;
  int discStatus = -1;  // as DiscStatus gives it
};

// Reads the disc in the burner's selected drive. Empties the burner's compilation (the
// sessions' files are counted by importing them).
DiscFacts ReadDiscFacts(TZelvoBurner& burner);

}  // namespace kivo::app
