#include "engine/drive/DeviceListLine.h"

#include <fmt/format.h>

#include "engine/drive/Strings.h"

namespace kivo {

std::string DeviceListLine(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun,
                           const std::string& label, const std::uint8_t* inquiry) {
  constexpr int kIdentificationStart = 8, kIdentificationLength = 8 + 16 + 4;
  std::string line = fmt::format("{}:{}:{},{}: ", hostAdapter, target, lun,
                                 label.empty() ? std::string(text::kNoLabel) : label);
  line.append(reinterpret_cast<const char*>(inquiry + kIdentificationStart), kIdentificationLength);
  if (inquiry[0] == kPeripheralWriteOnce) line += text::kWriteOnceNotSupported;
  return line;
}

}  // namespace kivo
