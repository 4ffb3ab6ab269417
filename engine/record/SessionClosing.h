// Closing what a recording wrote, in the way each medium needs: the track and the session on
// write-once DVD, the session on DVD-RW and CD, the formatted area's end on DVD+RW.
#pragma once

#include <cstdint>

namespace kivo {

class TSCSIDevice;

// Track is the track the session's data went to. FinalizeDisc closes the disc: DVD+R and DVD+R
// DL by a closing function of their own, DVD-R by the write parameters page sent before its
// session close, CD by the page the recording was written with. False when
// the drive refused the close that decides the disc's state (Device's LastErrorText says why):
// the disc is then left open, and the recording must not count as done.
bool CloseRecordedSession(TSCSIDevice& Device, std::uint16_t Kind, std::uint8_t Track, bool FinalizeDisc);

}  // namespace kivo
