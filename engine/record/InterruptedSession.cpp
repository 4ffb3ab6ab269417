#include "engine/record/InterruptedSession.h"

#include <fmt/printf.h>

#include "engine/drive/DiscInformation.h"
#include "engine/drive/MediaKinds.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/record/SessionClosing.h"
#include "engine/record/Strings.h"

namespace kivo {

namespace {

constexpr std::uint8_t kIncomplete = 1;
constexpr std::uint8_t kCloseTrack = 1;
// Log lines are message type 1.
constexpr std::uint8_t kLogLine = 1;

}  // namespace

bool AppendsSessions(std::uint16_t Kind) {
  return Kind == media::kCdR || Kind == media::kCdRw || Kind == media::kDvdR || Kind == media::kDvdPlusR ||
         Kind == media::kDvdPlusRDl;
}

bool CloseInterruptedSession(TSCSIDevice& Device, std::uint16_t Kind, std::uint8_t Track) {
  // The page in force may ask the session close to finalise the disc.
  Device.SelectMultiSession(true);
  // A CD's session close finds its track already closed after a whole recording; after a
  // broken one it has to be closed first.
  if (Kind == media::kCdR || Kind == media::kCdRw) Device.CloseTrackSessionRaw(false, kCloseTrack, 0, 0, Track);
  return CloseRecordedSession(Device, Kind, Track, false);
}

std::string CloseSessionLeftOpen(TSCSIDevice& Device, std::uint16_t Kind) {
  if (!AppendsSessions(Kind) || !Device.ReadDiscInfo()) return {};
  const std::uint8_t status = Device.DiscInfoBuffer[discinfo::kStatus];
  if (discinfo::DiscStatus(status) != kIncomplete || discinfo::LastSessionState(status) != kIncomplete) return {};
  const auto track = static_cast<std::uint8_t>(Device.DiscInfoBuffer[discinfo::kLastTrackInLastSession]);
  Device.DebugMessage(fmt::sprintf(recordtext::kClosingSessionLeftOpen, track), kLogLine);
  if (CloseInterruptedSession(Device, Kind, track)) return {};
  return fmt::sprintf(recordtext::kSessionLeftOpen, Device.LastErrorText);
}

}  // namespace kivo
