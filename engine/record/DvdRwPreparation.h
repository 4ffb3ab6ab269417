// A DVD-RW is formatted before a compilation goes onto it: a quick format on sequential media,
// a grow of the formatted area in restricted overwrite. Runs on the starter's thread, before
// the layout asks for the session start.
#pragma once

#include <cstdint>

namespace kivo {

class TSCSIDevice;

// Formats and waits for the drive. False when the drive was still formatting after the bound
// of FormatWait.h.
bool PrepareDvdRw(TSCSIDevice& Device, std::uint16_t Kind);

}  // namespace kivo
