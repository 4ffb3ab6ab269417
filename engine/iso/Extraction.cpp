// ExtractFile: an imported file's data copied from the disc to a local file.

#include <fmt/printf.h>

#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Files.h"
#include "engine/platform/Time.h"

namespace kivo {

namespace {

constexpr std::uint32_t kSectorBytes = kLogicalBlockSize;
constexpr std::uint32_t kSectorsPerRead = 31;
constexpr std::uint32_t kBytesPerRead = kSectorsPerRead * kSectorBytes;  // 63488
constexpr std::size_t kReadBufferSize = 65536;
constexpr std::uint8_t kSenseValid = 0x80;
constexpr int kSenseInformation = 3;

// The block the drive named in its sense data when it lies within the read; else the read's
// first block.
std::uint32_t FailedBlock(const std::uint8_t* sense, std::uint32_t first, std::uint32_t count) {
  if ((sense[0] & kSenseValid) == 0) return first;
  const std::uint32_t named = be32(sense + kSenseInformation);
  return named >= first && named - first < count ? named : first;
}

}  // namespace

std::int32_t TZelvoBurner::ExtractFile(TFEntry* Entry, const std::string& DestFileName) {
  if (Entry == nullptr) return 0;
  DebugMessage(fmt::sprintf(isotext::kExtractingFile, Entry->LongName, DestFileName), 1);
  auto sector = static_cast<std::uint32_t>(Entry->IsoAddress);
  auto remaining = static_cast<std::uint32_t>(Entry->Size);  // a record holds 32 bits of size

  platform::File file;
  if (!file.Open(DestFileName, platform::File::Mode::Create)) {
    DebugMessage(fmt::sprintf(isotext::kExtractCannotCreate, Entry->LongName, file.LastError()), 0);
    return 0;
  }
  // Whatever stops the copy removes the file: a shorter file would look like a complete one.
  const auto fail = [&](const std::string& message) {
    file.Close();
    std::string error;
    DebugMessage(message, 0);
    if (!platform::RemoveFile(DestFileName, &error)) DebugMessage(error, 0);
    return 0;
  };

  std::vector<std::uint8_t> buffer(kReadBufferSize, 0);
  while (remaining != 0) {
    const std::uint32_t chunk = std::min(remaining, kBytesPerRead);
    const std::uint32_t count = (chunk + kSectorBytes - 1) / kSectorBytes;
    if (!ReadSectors(sector, static_cast<std::uint16_t>(count), {buffer.data(), count * kSectorBytes})) {
      return fail(fmt::sprintf(isotext::kExtractReadFailed, Entry->LongName,
                               FailedBlock(LastSense, sector, count), LastErrorText));
    }
    if (file.Write(buffer.data(), chunk) != chunk) {
      return fail(fmt::sprintf(isotext::kExtractWriteFailed, Entry->LongName, file.LastError()));
    }
    sector += count;
    remaining -= chunk;
  }
  file.Close();

  std::string error;
  const auto date = DecodeDateTime(Entry->DateTime);
  // The content is complete either way; a date that cannot be set is said, not fatal.
  if (!date || !platform::SetFileTime(DestFileName, platform::LocalToUnix(*date), &error)) {
    DebugMessage(fmt::sprintf(isotext::kExtractCannotDate, DestFileName, error), 0);
  }
  return 1;
}

}  // namespace kivo
