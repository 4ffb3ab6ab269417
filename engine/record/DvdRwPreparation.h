// A DVD-RW is formatted before a compilation goes onto it: a quick format on blank sequential
// media, a grow of the formatted area in restricted overwrite. Runs on the starter's thread,
// before the layout asks for the session start. A format that would erase what the disc holds
// is never sent: such a disc is refused instead.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

class TSCSIDevice;

// Formats and waits for the drive. Empty when the disc is ready for the session, else why
// nothing was written: the disc holds sessions a format would erase, the format outlasted the
// bound of FormatWait.h, or the user aborted the wait. A test write prepares nothing.
std::string PrepareDvdRw(TSCSIDevice& Device, std::uint16_t Kind, bool TestWrite);

}  // namespace kivo
