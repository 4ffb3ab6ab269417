#include "engine/iso/SessionSummaries.h"

#include <array>
#include <cstring>
#include <utility>

#include "engine/iso/SessionTrack.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo {

namespace {

constexpr std::uint32_t kPrimaryDescriptorOffset = 16;
constexpr std::size_t kCreationDate = 813;
constexpr std::size_t kDateDigits = 14;  // YYYYMMDDHHMMSS; hundredths and zone are not shown
// Enough room that an import counts a whole disc's files.
constexpr std::int32_t kMaxFiles = 600000;
constexpr std::int32_t kMaxDirectories = 20000;

// The primary descriptor's creation date; empty when it holds anything but digits or the
// all-zero "not specified" form.
std::string CreationDate(TSCSIDevice& device, std::uint32_t start) {
  std::array<std::uint8_t, 2048> sector{};
  if (start > UINT32_MAX - kPrimaryDescriptorOffset || !device.ReadSectors(start + kPrimaryDescriptorOffset, 1, sector) ||
      sector[0] != 1 || std::memcmp(&sector[1], "CD001", 5) != 0) {
    return {};
  }
  const char* digits = reinterpret_cast<const char*>(&sector[kCreationDate]);
  bool zero = true;
  for (std::size_t i = 0; i < kDateDigits; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return {};
    zero = zero && digits[i] == '0';
  }
  if (zero) return {};
  const std::string d(digits, kDateDigits);
  return d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + " " + d.substr(8, 2) + ":" + d.substr(10, 2) +
         ":" + d.substr(12, 2);
}

std::int32_t FileCount(TZelvoBurner& burner, unsigned session) {
  burner.ResetCompilation(kMaxFiles, kMaxDirectories);
  const bool imported = burner.ImportSession(static_cast<std::int8_t>(session), nullptr);
  const std::int32_t files = burner.FileCount() - burner.DirectoryCount();
  burner.ResetCompilation(kMaxFiles, kMaxDirectories);
  return imported ? files : -1;
}

}  // namespace

std::vector<SessionSummary> ReadSessionSummaries(TZelvoBurner& burner) {
  TOnDebugMsg messages = std::exchange(burner.OnDebugMessage, nullptr);
  std::vector<SessionSummary> summaries;
  const std::uint32_t sessions = burner.SessionCount();
  for (unsigned n = 1; n <= sessions; ++n) {
    SessionSummary summary;
    summary.number = n;
    if (const auto data = FindSessionData(burner, n)) {
      summary.found = true;
      summary.start = data->start;
      summary.size = data->end > data->start ? data->end - data->start : 0;
      summary.created = CreationDate(burner, data->start);
      // The import takes a signed 8-bit session number.
      if (n <= 127) summary.files = FileCount(burner, n);
    }
    summaries.push_back(std::move(summary));
  }
  burner.OnDebugMessage = std::move(messages);
  return summaries;
}

}  // namespace kivo
