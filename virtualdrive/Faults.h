// Scripted misbehaviour, kept in the state folder so that a test driving any front end can
// make the drive busy, not ready or failing in a chosen way, or make it look like a drive with
// a particular identity or quirk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "virtualdrive/Scsi.h"

namespace kivo::vdrive {

struct CommandFault {
  // Kill ends the process that sends the command, as kill -9 would, before the drive takes it:
  // a front end that dies at a chosen point of a recording. Ignore answers GOOD and does
  // nothing: a firmware that takes a command and drops it, which only a reading afterwards finds.
  enum class Kind { Busy, NotReady, Sense, Kill, Ignore };
  std::uint8_t opcode = 0;
  Kind kind = Kind::Busy;
  SenseCode code{};  // for Sense
  int count = 1;     // answers left; negative: for ever
  int skip = 0;      // commands of the opcode answered normally before the fault's first answer
  bool operator==(const CommandFault&) const = default;
};

struct MediumErrorFault {
  std::uint32_t lba = 0;
  int count = -1;
  // Writes go through: a sector that was recorded well and no longer reads, as a scratched or
  // aging disc has them.
  bool readsOnly = false;
  bool operator==(const MediumErrorFault&) const = default;
};

// Writes to [lba, lba + count) succeed but store changed bytes: a weak disc that only a read
// back finds out.
struct CorruptionFault {
  std::uint32_t lba = 0;
  std::uint32_t count = 1;
  bool operator==(const CorruptionFault&) const = default;
};

struct Faults {
  std::vector<CommandFault> commands;
  std::vector<MediumErrorFault> mediumErrors;
  std::vector<CorruptionFault> corruptions;
  bool noCapabilitiesPage = false;   // MODE SENSE of page 2Ah is refused
  bool blockDescriptor = false;      // mode pages follow an 8-byte block descriptor
  bool noGetConfiguration = false;   // GET CONFIGURATION is an unknown command
  std::optional<std::string> inquiryVendor;
  std::optional<std::string> inquiryProduct;

  bool empty() const { return *this == Faults{}; }
  bool operator==(const Faults&) const = default;

  // The fault that answers opcode, consuming one use (or one skipped command); nullopt when
  // none applies.
  std::optional<CommandFault> TakeCommandFault(std::uint8_t opcode);
  // Whether [lba, lba + count) touches a block with a medium error; consumes one use and gives
  // the failing block.
  std::optional<std::uint32_t> TakeMediumError(std::uint32_t lba, std::uint32_t count, bool write);
  // Changes the bytes of the sectors of a write at lba that a corruption covers (every byte
  // inverted); data holds count sectors. False when none is covered.
  bool Corrupt(std::uint32_t lba, std::uint32_t count, std::uint8_t* data) const;
};

nlohmann::json FaultsToJson(const Faults& faults);
// False with a reason when the text is not a fault script.
bool FaultsFromJson(const nlohmann::json& json, Faults& faults, std::string& error);

}  // namespace kivo::vdrive
