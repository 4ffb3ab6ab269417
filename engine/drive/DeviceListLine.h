// The text by which a drive appears in the drive list and by which the user selects it.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

constexpr std::uint8_t kPeripheralCdDvd = 5;
constexpr std::uint8_t kPeripheralWriteOnce = 4;

// "1:0:0,sr0: " + vendor (8) + product (16) + revision (4) taken from standard INQUIRY data as
// they are; "?" stands for a missing label, and write-once devices are marked unsupported.
std::string DeviceListLine(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun,
                           const std::string& label, const std::uint8_t* inquiry);

}  // namespace kivo
