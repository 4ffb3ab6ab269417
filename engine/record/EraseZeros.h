// Overwriting the start of a rewritable DVD with zeros, so that no earlier volume descriptor
// or file system survives an erase that only formats, or no erase command at all (DVD-RAM).
#pragma once

#include <cstdint>

namespace kivo {

class TSCSIDevice;

// Sectors of one zero write: a full DVD transfer.
inline constexpr std::uint16_t kZeroWriteSectors = 32;

// Writes Count transfers of 32 zero sectors at LBA 0, 32, 64, ... With StopAtFailure the first
// refused write ends the run. Returns the number of writes that succeeded.
std::uint32_t WriteZeros(TSCSIDevice& Device, std::uint32_t Count, bool StopAtFailure);

}  // namespace kivo
