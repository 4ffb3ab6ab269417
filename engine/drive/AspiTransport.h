// One way of reaching drives: the two ASPI entry points plus the drive label of an address.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

// How a transport takes a drive for one process's recording or erase.
enum class DriveClaim {
  ByReservation,  // left to the drive: the caller sends RESERVE
  Held,           // the transport holds the drive for this process until it is released
  InUse,          // another program holds the drive
  NotPossible,    // the drive cannot be claimed here (for example no permission): go on unclaimed
};

class AspiTransport {
 public:
  virtual ~AspiTransport() = default;
  // Handles one request block; returns the ASPI status (also stored in the block).
  virtual std::uint32_t SendASPI32Command(void* srb) = 0;
  // One request with what the engine knows of it beyond the block: how long the command may
  // take, and (returned in systemError) the errno of a request that the system refused to pass
  // on, 0 when there was none. An ASPI manager takes neither: it gets its plain entry point.
  virtual std::uint32_t SendRequest(void* srb, unsigned /*timeoutMs*/, int& systemError) {
    systemError = 0;
    return SendASPI32Command(srb);
  }
  // Low byte: host adapter count; high byte: ASPI status.
  virtual std::uint32_t GetASPI32SupportInfo() = 0;
  // The label of the drive at an address ("sr0"), empty when unknown.
  virtual std::string DriveLabel(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) = 0;
  // Processes on one host reach a drive as one initiator, where a reservation cannot tell them
  // apart; a transport that knows the host's own means of exclusion overrides these.
  virtual DriveClaim ClaimDrive(std::uint8_t, std::uint8_t, std::uint8_t) { return DriveClaim::ByReservation; }
  virtual void ReleaseDrive(std::uint8_t, std::uint8_t, std::uint8_t) {}
};

}  // namespace kivo
