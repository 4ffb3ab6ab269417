#include "engine/record/EraseZeros.h"

#include <array>

#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

constexpr std::size_t kSectorBytes = 2048;

// Shared by every erase; only ever read.
alignas(4) const std::array<std::uint8_t, kZeroWriteSectors * kSectorBytes> kZeroBuffer{};

}  // namespace

std::uint32_t WriteZeros(TSCSIDevice& Device, std::uint32_t Count, bool StopAtFailure) {
  std::uint32_t written = 0;
  for (std::uint32_t i = 0; i < Count; ++i) {
    if (Device.WriteSectors(i * kZeroWriteSectors, kZeroWriteSectors, kZeroBuffer)) {
      ++written;
    } else if (StopAtFailure) {
      break;
    }
  }
  return written;
}

}  // namespace kivo
