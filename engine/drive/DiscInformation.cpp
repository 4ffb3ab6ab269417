// The raw disc readings (disc and track information, TOC/PMA/ATIP, capacity, format
// capacities) and the small summaries built on them.
#include "engine/drive/DiscInformation.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/Strings.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

constexpr std::uint8_t kOpReadFormatCapacities = 0x23;
constexpr std::uint8_t kOpReadCapacity = 0x25;
constexpr std::uint8_t kOpReadToc = 0x43;
constexpr std::uint8_t kOpReadDiscInformation = 0x51;
constexpr std::uint8_t kOpReadTrackInformation = 0x52;
constexpr std::uint8_t kTrackNumberAddress = 0x01;
constexpr std::uint8_t kMsfBit = 0x02;
constexpr unsigned kTrackInfoTimeoutMs = 60'000;
constexpr unsigned kLargestTrackNumber = 0xFF;

constexpr std::uint8_t kTocAtip = 4;
constexpr std::uint8_t kAtipLength = 26;
constexpr int kAtipLastLeadOut = 12;  // minute, second, frame
// An ATIP time counts from two seconds before sector 0: the lead-out of an 80-minute disc at
// 79:59:74 starts at sector 359849, and that is the disc's capacity.
constexpr std::uint32_t kMsfOffset = 150;

constexpr std::uint8_t kCapacityLength = 8;
constexpr std::uint8_t kFormatCapacitiesLength = 248;

constexpr std::uint32_t kFirstVolumeDescriptor = 16;
constexpr std::uint32_t kLastVolumeDescriptor = 32;
constexpr int kVolumeSpaceSize = 80;

bool Matches(const std::uint8_t* bytes, std::initializer_list<std::uint8_t> pattern) {
  return std::equal(pattern.begin(), pattern.end(), bytes);
}

}  // namespace

bool TSCSIDevice::Refuse(std::string_view Reason) {
  TargetBusy = false;
  std::memset(LastSense, 0, sizeof LastSense);
  LastErrorText = std::string(Reason);
  return false;
}

bool TSCSIDevice::ReadDiscInfo() {
  DiscInfoBuffer.fill(0);
  DriveCommand command{.flags = kDataIn, .data = DiscInfoBuffer.data(), .length = kDiscInfoSize};
  command.cdb = {kOpReadDiscInformation, 0, 0, 0, 0, 0, 0, 0, kDiscInfoSize, 0};
  if (!Succeeds(command)) return false;
  ToHost16(&DiscInfoBuffer[0]);
  return true;
}

bool TSCSIDevice::ReadTrackInfo(unsigned Track) {
  TrackInfo.fill(0);
  // Sending the low byte would read another track's information as this one's.
  if (Track > kLargestTrackNumber) return Refuse(text::kTrackNumberTooLarge);
  DriveCommand command{.flags = kDataIn, .data = TrackInfo.data(), .length = kTrackInfoSize,
                       .timeoutMs = kTrackInfoTimeoutMs};
  command.cdb = {kOpReadTrackInformation, kTrackNumberAddress, 0, 0, 0, static_cast<std::uint8_t>(Track),
                 0, 0, kTrackInfoSize, 0};
  if (!Succeeds(command)) return false;
  ToHost16(&TrackInfo[0]);
  for (int word : {trackinfo::kStart, trackinfo::kNextWritable, trackinfo::kFreeBlocks,
                   trackinfo::kFixedPacketSize, trackinfo::kSize, trackinfo::kLastRecorded}) {
    ToHost32(&TrackInfo[word]);
  }
  return true;
}

bool TSCSIDevice::ReadToc(std::uint8_t Format, std::span<std::uint8_t> Buffer, bool Msf, std::uint8_t Number,
                          std::uint8_t AllocationLength, std::uint8_t Control) {
  if (Buffer.size() < AllocationLength) return Refuse(text::kInvalidRequest);
  std::fill_n(Buffer.begin(), AllocationLength, 0);
  DriveCommand command{.flags = kDataIn, .data = Buffer.data(), .length = AllocationLength};
  command.cdb = {kOpReadToc, static_cast<std::uint8_t>(Msf ? kMsfBit : 0), Format, 0, 0, 0, Number, 0,
                 AllocationLength, Control};
  return Succeeds(command);
}

bool TSCSIDevice::ReadAtip() { return ReadToc(kTocAtip, AtipBuffer, true, 0, kAtipLength, 0); }

std::optional<std::uint32_t> TSCSIDevice::AtipCapacity() {
  if (!ReadAtip()) return std::nullopt;
  const std::uint32_t leadOut =
      MsfToLba(0, AtipBuffer[kAtipLastLeadOut], AtipBuffer[kAtipLastLeadOut + 1], AtipBuffer[kAtipLastLeadOut + 2]);
  return leadOut > kMsfOffset ? leadOut - kMsfOffset : 0;
}

bool TSCSIDevice::ReadCapacity(std::uint32_t& LastAddress, std::uint32_t& BlockLength) {
  std::vector<std::uint8_t> reply(kCapacityLength, 0);
  DriveCommand command{.flags = kDataIn, .data = reply.data(), .length = kCapacityLength};
  command.cdb = {kOpReadCapacity};
  if (!Succeeds(command)) return false;
  LastAddress = be32(&reply[0]);
  BlockLength = be32(&reply[4]);
  return true;
}

bool TSCSIDevice::ReadFormatCapacities(std::uint32_t& SectorCount, std::uint32_t& BlockLength) {
  std::vector<std::uint8_t> reply(kFormatCapacitiesLength, 0);
  DriveCommand command{.flags = kDataIn, .data = reply.data(), .length = kFormatCapacitiesLength};
  command.cdb = {kOpReadFormatCapacities, 0, 0, 0, 0, 0, 0, 0, kFormatCapacitiesLength, 0};
  if (!Succeeds(command)) return false;
  // The list header takes bytes 0-3; then the current descriptor and the formattable ones, eight
  // bytes each. The count comes from the first that reads as 2048-byte blocks.
  const std::uint8_t* r = reply.data();
  if (Matches(r + 8, {0x00, 0x00, 0x08, 0x00})) {
    SectorCount = be32(r + 4);
  } else if (Matches(r + 16, {0x00, 0x00, 0x08, 0x00}) || Matches(r + 16, {0x98, 0x00, 0x00, 0x00})) {
    SectorCount = be32(r + 12);
  } else if (Matches(r + 24, {0x00, 0x00, 0x08, 0x00})) {
    SectorCount = be32(r + 20);
  } else {
    SectorCount = be32(r + 4);
  }
  BlockLength = kLogicalBlockSize;
  return true;
}

std::uint32_t TSCSIDevice::MsfToLba(std::uint32_t Hours, std::uint32_t Minutes, std::uint32_t Seconds,
                                    std::uint32_t Frames) {
  return Hours * 270000 + Minutes * 4500 + Seconds * 75 + Frames;
}

int TSCSIDevice::DiscStatus() {
  if (!ReadDiscInfo()) return -1;
  return discinfo::DiscStatus(DiscInfoBuffer[discinfo::kStatus]);
}

std::uint32_t TSCSIDevice::SessionCount() {
  if (!ReadDiscInfo()) return 0;
  const std::uint8_t status = DiscInfoBuffer[discinfo::kStatus];
  if (discinfo::DiscStatus(status) == 0) return 0;
  const std::uint32_t sessions = DiscInfoBuffer[discinfo::kSessions];
  // An appendable disc counts its empty next session too.
  if (discinfo::LastSessionState(status) == 0 && sessions > 0) return sessions - 1;
  return sessions;
}

std::uint32_t TSCSIDevice::IsoVolumeSize() {
  std::vector<std::uint8_t> sector(kLogicalBlockSize);
  for (std::uint32_t lba = kFirstVolumeDescriptor; lba <= kLastVolumeDescriptor; ++lba) {
    std::fill(sector.begin(), sector.end(), 0);
    if (!ReadSectors(lba, 1, sector)) continue;
    const bool primaryOrSupplementary = sector[0] == 1 || sector[0] == 2;
    if (primaryOrSupplementary && std::memcmp(&sector[1], "CD001", 5) == 0) return le32(&sector[kVolumeSpaceSize]);
  }
  return 0;
}

bool TSCSIDevice::DiscErasable() {
  if (ReadDiscInfo()) return (DiscInfoBuffer[discinfo::kStatus] & discinfo::kErasableBit) != 0;
  const std::uint16_t kind = MediaKind();
  CurrentMediaKind.store(kind);
  return IsErasableKind(kind);
}

}  // namespace kivo
