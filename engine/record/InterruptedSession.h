// A recording that stops half-way on a write-once disc leaves its track open, and a drive takes
// no further session until that track and its session are closed. Closing them keeps the disc
// appendable and its earlier sessions readable. What the closed session holds of the failed
// recording stays on the disc; the importer and the listings refuse its entries whose data never
// reached the disc.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

class TSCSIDevice;

// Media whose recorded sectors cannot be written again: each session is appended.
bool AppendsSessions(std::uint16_t Kind);

// Closes the track a failed recording was writing and its session, leaving the disc appendable
// whatever the recording was to do with it. False when the drive refused the session's close.
bool CloseInterruptedSession(TSCSIDevice& Device, std::uint16_t Kind, std::uint8_t Track);

// Before a new session: a disc whose last session a recording left open (the process was
// killed, the power failed) has that session closed. Empty when there was nothing to close or
// it was closed; else why nothing can be written.
std::string CloseSessionLeftOpen(TSCSIDevice& Device, std::uint16_t Kind);

}  // namespace kivo
