// The disc record behind the disc information window: readiness, sessions, capacity, profile
// and state of the loaded disc, gathered from whichever readings the drive answers.
#include <algorithm>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/Strings.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

// One step of waiting: a drive that is not ready gets about five seconds.
constexpr long kWaitTotalMs = 3000;
constexpr long kWaitStepMs = 5000;

constexpr std::uint8_t kTocFormatTracks = 0;
constexpr std::uint8_t kTocFormatSessions = 1;
constexpr std::uint8_t kTocLength = 114;
constexpr std::uint8_t kSessionInfoLength = 4;
constexpr unsigned kInvisibleTrack = 0xFF;
constexpr unsigned kFirstTrack = 1;

}  // namespace

void TSCSIDevice::GetDiscInfo(TDisc& Disc) {
  DiscRecord = TDisc{};
  if (!TestUnitReady(kReadyTimeoutMs)) {
    WaitReady(kWaitTotalMs, kWaitStepMs);
    if (!TestUnitReady(kReadyTimeoutMs)) return;
  }
  TDisc& record = DiscRecord;
  record.Ready = 1;

  std::vector<std::uint8_t> reply(kTocLength, 0);
  if (ReadToc(kTocFormatTracks, reply, false, 0, kTocLength, 0)) {
    if (ReadToc(kTocFormatSessions, reply, false, 0, kSessionInfoLength, 0)) {
      record.FirstSession = reply[2];
      record.LastSession = reply[3];
    }
    // The same figure as the space summary's: the sector where the lead-out starts.
    record.Capacity = AtipCapacity().value_or(0);
    record.MediaName = MediaNames[media::kCdRom];
  }

  if (const auto profile = CurrentProfile()) {
    record.Profile = *profile;
    record.MediaName = text::ProfileName(record.Profile);
    record.Erasable = IsErasableProfile(record.Profile) ? 1 : 0;
  }
  const bool cd = media::IsCd(MediaKindOfProfile(record.Profile));
  if (ReadTrackInfo(cd ? kInvisibleTrack : kFirstTrack)) {
    record.SectorCount = host32(&TrackInfo[trackinfo::kNextWritable]);
    record.Capacity = record.SectorCount + host32(&TrackInfo[trackinfo::kFreeBlocks]);
    record.BlockSize = kLogicalBlockSize;
  } else if (ReadFormatCapacities(record.SectorCount, record.BlockSize)) {
    record.Capacity = std::max(record.Capacity, record.SectorCount);
  }

  if (ReadDiscInfo()) {
    const std::uint8_t status = DiscInfoBuffer[discinfo::kStatus];
    record.DiscState = discinfo::DiscStatus(status);
    record.SessionState = discinfo::LastSessionState(status);
    record.Erasable = (status & discinfo::kErasableBit) ? 1 : 0;
  } else {
    ReadCapacity(record.SectorCount, record.BlockSize);
    if (ReadTrackInfo(0)) record.MediaName = MediaNames[media::kCdRom];
  }
  record.Capacity = std::max(record.Capacity, record.SectorCount);
  Disc = record;
}

}  // namespace kivo
