// How much of the loaded disc is used, how much is still writable and how large it is, in
// 2048-byte sectors. CD and the DVD kinds report these facts in different readings, so each
// summary chooses its readings by media kind.
#include <algorithm>

#include "engine/drive/BigEndian.h"
#include "engine/drive/DiscInformation.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

constexpr std::uint32_t kNoAddress = 0xFFFFFFFF;
// A last address this high is no address but a drive's way of saying "unknown".
constexpr std::uint32_t kImplausibleLastAddress = 0x7F000000;
// The format count some drives give a CD when they know no capacity.
constexpr std::uint32_t kUnknownFormatCount = 0xFFFD0001;
// Below this an ATIP lead-out is not a disc's capacity (an 80-minute disc has 360000).
constexpr std::uint32_t kSmallestAtipCapacity = 20000;
constexpr int kClosedDisc = 2;

std::uint32_t Field(const std::array<std::uint8_t, kTrackInfoSize>& trackInfo, int word) {
  return host32(&trackInfo[static_cast<std::size_t>(word)]);
}

// A difference of two readings; a drive that reports the larger one second gets 0, not a
// count near four thousand million.
std::uint32_t Remaining(std::uint32_t total, std::uint32_t used) { return total > used ? total - used : 0; }

}  // namespace

// Drives report the next writable address and the invisible track's free blocks by the write
// parameters in force, so the page is set as a new session would be written.
std::uint16_t TSCSIDevice::PrepareSpaceReading() {
  const std::uint16_t kind = MediaKind();
  CurrentMediaKind.store(kind);
  SetNewSessionWriteParameters(false, kind);
  DiscInfoBuffer[discinfo::kLastTrackInLastSession] = 0;
  ReadDiscInfo();
  return kind;
}

unsigned TSCSIDevice::LastTrackInLastSession() const { return DiscInfoBuffer[discinfo::kLastTrackInLastSession]; }

std::uint32_t TSCSIDevice::UsedSectors() {
  const std::uint16_t kind = PrepareSpaceReading();
  if (media::IsCd(kind)) {
    const std::uint32_t track = SessionCount() + 1;
    if (ReadTrackInfo(track)) {
      const std::uint32_t next = Field(TrackInfo, trackinfo::kNextWritable);
      const std::uint32_t used = next == kNoAddress ? Field(TrackInfo, trackinfo::kSize) : next;
      if (track == 1 || used != 0) return used;
    }
    std::uint32_t lastAddress = 0, blockLength = 0;
    if (ReadCapacity(lastAddress, blockLength)) {
      // READ CAPACITY names the last sector; the sectors in use are one more.
      if (lastAddress <= kImplausibleLastAddress) return lastAddress + 1;
      std::uint32_t count = 0;
      return ReadFormatCapacities(count, blockLength) ? count : 0;
    }
    return ReadTrackInfo(SessionCount() + 1) ? Field(TrackInfo, trackinfo::kFreeBlocks) : 0;
  }

  if (!ReadTrackInfo(LastTrackInLastSession())) return 0;
  const std::uint32_t size = Field(TrackInfo, trackinfo::kSize);
  if (size == kNoAddress) return 0;
  const std::uint32_t next = Field(TrackInfo, trackinfo::kNextWritable);
  switch (kind) {
    case media::kDvdRwRestricted:
    case media::kDvdRwSequential: {
      std::uint32_t count = 0, blockLength = 0;
      if (!ReadFormatCapacities(count, blockLength)) return next;
      return size == Field(TrackInfo, trackinfo::kFreeBlocks) ? 0 : size;
    }
    case media::kDvdRam:
    case media::kDvdPlusRw:
      return IsoVolumeSize();
    default:
      return next;
  }
}

std::uint32_t TSCSIDevice::FreeSectors() {
  const std::uint16_t kind = PrepareSpaceReading();
  if (media::IsCd(kind)) {
    SetNewSessionWriteParameters(false, kind);
    if (DiscStatus() == kClosedDisc) return 0;
    ReadDiscInfo();
    const unsigned last = LastTrackInLastSession();
    if (!ReadTrackInfo(last) && !ReadTrackInfo(last)) return 0;
    return std::max(Field(TrackInfo, trackinfo::kFreeBlocks), Field(TrackInfo, trackinfo::kSize));
  }

  if (!ReadTrackInfo(LastTrackInLastSession())) return 0;
  const std::uint32_t size = Field(TrackInfo, trackinfo::kSize);
  const std::uint32_t free = Field(TrackInfo, trackinfo::kFreeBlocks);
  if (kind == media::kDvdRwRestricted) {
    if (Field(TrackInfo, trackinfo::kNextWritable) != 0) return free;
    std::uint32_t count = 0, blockLength = 0;
    if (ReadFormatCapacities(count, blockLength)) return free == size ? free : Remaining(count, size);
  }
  if (kind == media::kDvdRam || kind == media::kDvdPlusRw) return Remaining(size, IsoVolumeSize());
  if (size == kNoAddress) return 0;
  return Field(TrackInfo, trackinfo::kLastRecorded) == 0 ? size : free;
}

std::uint32_t TSCSIDevice::DiscCapacity() {
  const std::uint16_t kind = PrepareSpaceReading();
  std::uint32_t blockLength = 0;
  if (!media::IsCd(kind)) {
    if (!ReadTrackInfo(LastTrackInLastSession())) return 0;
    const std::uint32_t writable =
        Field(TrackInfo, trackinfo::kFreeBlocks) + Field(TrackInfo, trackinfo::kNextWritable);
    if (media::OverwritesInPlace(kind)) {
      std::uint32_t count = 0;
      if (ReadFormatCapacities(count, blockLength)) return count;
    }
    return writable;
  }

  const std::uint32_t sessions = SessionCount();
  auto trackEnd = [this](unsigned track, std::uint32_t& end) {
    if (!ReadTrackInfo(track)) return false;
    end = Field(TrackInfo, trackinfo::kFreeBlocks) + Field(TrackInfo, trackinfo::kStart);
    return true;
  };
  std::uint32_t capacity = 0;
  if (const auto atip = AtipCapacity()) {
    capacity = *atip;
    std::uint32_t lastAddress = 0;
    if (capacity < kSmallestAtipCapacity && ReadCapacity(lastAddress, blockLength) && lastAddress + 1 > capacity) {
      capacity = lastAddress + 1;
    }
  } else if (ReadFormatCapacities(capacity, blockLength)) {
    if (capacity == kUnknownFormatCount && !trackEnd(sessions + 1, capacity) && !trackEnd(sessions, capacity)) {
      capacity = 0;
    }
  } else {
    std::uint32_t end = 0;
    if (trackEnd(sessions, end)) return end;
    std::uint32_t count = 0;
    return ReadFormatCapacities(count, blockLength) ? count : 0;
  }
  return capacity == kNoAddress ? UsedSectors() : capacity;
}

}  // namespace kivo
