// The drive's side of one SCSI command: what the host hands over and what the drive answers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kivo::vdrive {

enum class DataDirection { None, In, Out };

struct ScsiRequest {
  const std::uint8_t* cdb = nullptr;
  std::size_t cdbLength = 0;
  DataDirection direction = DataDirection::None;
  std::uint8_t* data = nullptr;  // the host's buffer (read from for Out, filled for In)
  std::size_t dataLength = 0;
};

enum class ScsiStatus : std::uint8_t { Good = 0x00, CheckCondition = 0x02, Busy = 0x08, ReservationConflict = 0x18 };

struct SenseCode {
  std::uint8_t key = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  bool operator==(const SenseCode&) const = default;
};

constexpr std::size_t kSenseDataLength = 18;  // fixed format, additional length 10
using SenseData = std::array<std::uint8_t, kSenseDataLength>;

// Fixed-format sense data. progress (0..65535) goes into the sense-key specific bytes as a
// progress indication; information (an LBA) sets the VALID bit.
SenseData MakeSense(SenseCode code, std::optional<std::uint16_t> progress = std::nullopt,
                    std::optional<std::uint32_t> information = std::nullopt);

struct ScsiResult {
  ScsiStatus status = ScsiStatus::Good;
  SenseData sense{};            // meaningful with CheckCondition
  std::size_t transferred = 0;  // bytes moved in the data phase
  long delayMs = 0;             // how long the command keeps the host waiting (throttling, long
                                // operations without IMMED); spent after the state is saved

  static ScsiResult Good(std::size_t transferred = 0);
  static ScsiResult Check(SenseCode code, std::optional<std::uint16_t> progress = std::nullopt,
                          std::optional<std::uint32_t> information = std::nullopt);
  static ScsiResult Busy();
  static ScsiResult ReservationConflict();

  bool ok() const { return status == ScsiStatus::Good; }
  SenseCode code() const { return {static_cast<std::uint8_t>(sense[2] & 0x0F), sense[12], sense[13]}; }
};

}  // namespace kivo::vdrive
