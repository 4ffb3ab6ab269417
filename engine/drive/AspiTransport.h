// One way of reaching drives: the two ASPI entry points plus the drive label of an address.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

class AspiTransport {
 public:
  virtual ~AspiTransport() = default;
  // Handles one request block; returns the ASPI status (also stored in the block).
  virtual std::uint32_t SendASPI32Command(void* srb) = 0;
  // Low byte: host adapter count; high byte: ASPI status.
  virtual std::uint32_t GetASPI32SupportInfo() = 0;
  // The label of the drive at an address ("sr0"), empty when unknown.
  virtual std::string DriveLabel(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) = 0;
};

}  // namespace kivo
