// One MMC command as a plain value: CDB bytes, request flags, data buffer and time-out. Every
// wrapper of TSCSIDevice builds one and hands it to Send, so the request block is filled in one
// place.
#pragma once

#include <array>
#include <cstdint>

#include "engine/platform/Aspi.h"

namespace kivo {

// Request flags of the wrappers: the transfer direction, always with a completion event.
inline constexpr std::uint8_t kNoData = SRB_EVENT_NOTIFY;
inline constexpr std::uint8_t kDataIn = SRB_EVENT_NOTIFY | SRB_DIR_IN;
inline constexpr std::uint8_t kDataOut = SRB_EVENT_NOTIFY | SRB_DIR_OUT;

// READ(10): a block read either delivers every block it asked for or fails.
inline constexpr std::uint8_t kOpRead10 = 0x28;

struct DriveCommand {
  std::array<std::uint8_t, 12> cdb{};
  std::uint8_t cdbLength = 10;
  std::uint8_t flags = kNoData;
  // An outgoing buffer is only read by the transport, whatever the pointer's type says.
  std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
  unsigned timeoutMs = 10'000;
};

}  // namespace kivo
