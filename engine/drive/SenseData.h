// Fixed-format sense data as the engine reads it: where its fields lie and the few codes that
// change what the engine does next.
#pragma once

#include <cstdint>
#include <span>

namespace kivo::sensedata {

inline constexpr int kSenseKey = 2;  // low four bits
inline constexpr int kAdditionalLength = 7;
inline constexpr int kAsc = 12;
inline constexpr int kAscq = 13;

inline constexpr std::uint8_t kAscNotReady = 0x04;  // logical unit not ready: formatting, long write
inline constexpr std::uint8_t kAscqBecomingReady = 0x01;
inline constexpr std::uint8_t kAscqFormatInProgress = 0x04;
inline constexpr std::uint8_t kAscqOperationInProgress = 0x07;
inline constexpr std::uint8_t kAscqLongWrite = 0x08;
inline constexpr std::uint8_t kAscIncompatibleMedium = 0x30;

// What REQUEST SENSE is asked for when a wait looks at the drive's condition.
inline constexpr std::uint8_t kRequestedLength = 40;

// The additional sense code of REQUEST SENSE data. A reply that starts with F0h (valid,
// current, fixed format) is taken as a condition that still stands: the drive is not ready.
inline std::uint8_t RequestedAsc(std::span<const std::uint8_t> sense) {
  constexpr std::uint8_t kStandingCondition = 0xF0;
  return sense[0] == kStandingCondition ? kAscNotReady : sense[kAsc];
}

}  // namespace kivo::sensedata
