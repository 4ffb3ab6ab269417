// Behaviour that particular drive models need, recognised by their INQUIRY identification.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

struct DriveQuirks {
  bool underrunProtection = false;  // has underrun protection but does not report it
  bool linkSize = false;            // wants a link size in the write parameters page
  bool slowReady = false;           // needs long pauses while it becomes ready
  bool immediateClose = true;       // may close a track or session with IMMED
  bool longFormat = false;          // formats slowly
};

// inquiry: standard INQUIRY data with control characters already blanked.
DriveQuirks QuirksFor(const std::uint8_t* inquiry);

}  // namespace kivo
