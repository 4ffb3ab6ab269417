// Mode pages 05h (write parameters) and 2Ah (capabilities and mechanical status): their
// contents, what may be changed, and whether a write parameters page makes sense for the
// loaded medium.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "virtualdrive/DriveState.h"
#include "virtualdrive/Scsi.h"

namespace kivo::vdrive {

enum class PageControl { Current = 0, Changeable = 1, Default = 2, Saved = 3 };

inline constexpr std::uint8_t kWriteParametersPage = 0x05;
inline constexpr std::uint8_t kCapabilitiesPage = 0x2A;

std::vector<std::uint8_t> CapabilitiesPage(const DriveState& state);
std::vector<std::uint8_t> WriteParameters(const DriveState& state, PageControl control);

// Checks a write parameters page sent with MODE SELECT; nullopt when the drive takes it.
std::optional<SenseCode> CheckWriteParameters(const DriveState& state, const std::uint8_t* page,
                                              std::size_t length);

// Fields of the current write parameters page the write commands look at.
struct WriteSettings {
  std::uint8_t writeType = 1;
  bool testWrite = false;
  std::uint8_t multiSession = 0;
  std::uint8_t trackMode = 4;
  bool fixedPacket = false;
  std::uint32_t packetSize = 0;
};
WriteSettings CurrentWriteSettings(const DriveState& state);

}  // namespace kivo::vdrive
