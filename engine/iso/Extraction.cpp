// ExtractFile: an imported file's data copied from the disc to a local file.

#include <fmt/printf.h>

#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Files.h"
#include "engine/platform/ReplacementFile.h"
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
  std::int64_t remaining = Entry->Size;  // a file of several extents runs past 4 GiB

  // The copy is made under a name of its own and takes DestFileName's place only when whole:
  // an error or an interruption leaves no shorter file that would look like a complete one,
  // and a symbolic link found at DestFileName is replaced, never written through.
  platform::ReplacementFile copy;
  if (!copy.Create(DestFileName, platform::ReplacementFile::Links::Replace)) {
    DebugMessage(fmt::sprintf(isotext::kExtractCannotCreate, Entry->LongName, copy.LastError()), 0);
    return 0;
  }
  platform::File& file = copy.file();
  const auto fail = [&](const std::string& message) {
    copy.Discard();
    DebugMessage(message, 0);
    return 0;
  };

  std::vector<std::uint8_t> buffer(kReadBufferSize, 0);
  while (remaining > 0) {
    const auto chunk = static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, kBytesPerRead));
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

  std::string error;
  const auto date = DecodeDateTime(Entry->DateTime);
  // The content is complete either way; a date that cannot be set is said, not fatal.
  if (!date || !platform::SetFileTime(copy.Path(), platform::LocalToUnix(*date), &error)) {
    DebugMessage(fmt::sprintf(isotext::kExtractCannotDate, DestFileName, error), 0);
  }
  if (!copy.Commit()) return fail(fmt::sprintf(isotext::kExtractWriteFailed, Entry->LongName, copy.LastError()));
  return 1;
}

}  // namespace kivo
