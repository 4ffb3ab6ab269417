// How long the drive's slow work takes and how its write buffer fills and drains. Durations are
// those of a real drive at 1x time scale; the state's time scale shrinks them for tests, and a
// scale of 0 makes everything instant and unthrottled.
#pragma once

#include <cstdint>

#include "virtualdrive/DriveState.h"

namespace kivo::vdrive {

// Real-drive durations in milliseconds.
namespace duration {
inline constexpr long kCloseTrack = 2000;
inline constexpr long kCloseSessionCd = 30000;
inline constexpr long kCloseSessionDvd = 45000;
inline constexpr long kFinalizeDvd = 60000;
inline constexpr long kStopBackgroundFormat = 3000;
inline constexpr long kCompleteBackgroundFormat = 60000;
inline constexpr long kBlankMinimal = 60000;
inline constexpr long kBlankFull = 600000;
inline constexpr long kFormatDvdPlusRw = 5000;      // background format starts, the disc is usable
inline constexpr long kFormatDvdRwQuick = 60000;
inline constexpr long kFormatDvdRwGrow = 10000;
inline constexpr long kFormatDvdRwFull = 900000;
inline constexpr long kFormatDvdRamFull = 3600000;  // with certification
inline constexpr long kFormatDvdRamQuick = 60000;   // DCRT set
inline constexpr long kOpc = 1000;
}  // namespace duration

constexpr std::uint64_t kDriveBufferBytes = 4u * 1024 * 1024;

long Scaled(const DriveState& state, long realMs);

// Starts a long operation that keeps the drive not ready for scaledMs; returns scaledMs (the
// wait of a host that did not ask for IMMED).
long StartOperation(DriveState& state, Operation::Kind kind, long scaledMs, std::int64_t nowMs);
// The running operation, or nullptr once it has ended (the state is cleared then).
const Operation* RunningOperation(DriveState& state, std::int64_t nowMs);
// Progress of the running operation for the sense-key specific bytes (0..65535).
std::uint16_t Progress(const Operation& op, std::int64_t nowMs);

// Effective write speed in KB/s: the requested speed rounded down to one the medium supports.
std::uint16_t EffectiveWriteSpeed(const DriveState& state);
std::uint16_t EffectiveReadSpeed(const DriveState& state);

std::uint64_t BufferFill(const DriveState& state, std::int64_t nowMs);
// Accepts bytes into the buffer; returns how long the host waits until they fit.
long AcceptIntoBuffer(DriveState& state, std::uint64_t bytes, std::int64_t nowMs);
// Time until the buffer is empty (scaled ms), and marks it empty from then on.
long DrainBuffer(DriveState& state, std::int64_t nowMs);

}  // namespace kivo::vdrive
