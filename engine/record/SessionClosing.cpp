#include "engine/record/SessionClosing.h"

#include "engine/drive/MediaKinds.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/platform/Threads.h"
#include "engine/record/SenseCodes.h"

namespace kivo {

namespace {

constexpr std::uint8_t kCloseTrack = 1;
constexpr std::uint8_t kCloseSession = 2;
constexpr std::uint8_t kCloseFormatted = 3;  // DVD+RW: end of the formatted area
constexpr std::uint8_t kFinalizeDisc = 5;
constexpr std::uint8_t kFinalizeDoubleLayer = 6;
constexpr std::uint8_t kAllTracks = 0xFF;

constexpr int kBusyCloseAttempts = 1000;
constexpr long kBusyClosePauseMs = 1000;
// An IMMED close keeps the drive in "long write in progress" until it is done.
constexpr long kCloseReadyBudgetMs = 240'000;
constexpr long kCloseReadyStepMs = 500;

bool Busy(const TSCSIDevice& device) {
  return device.TargetBusy || recordsense::AdditionalSenseCode(device) == recordsense::kNotReady;
}

// A CD session close that the drive refuses while busy is sent again until it takes it.
bool CloseCdSession(TSCSIDevice& device) {
  const bool immediate = ImmediateCloseFlag.load();
  if (device.CloseTrackSession(false, immediate, false)) return true;
  if (!Busy(device)) return device.CloseTrackSession(false, immediate, false);
  for (int attempt = 1; attempt < kBusyCloseAttempts; ++attempt) {
    platform::Sleep(kBusyClosePauseMs);
    if (device.CloseTrackSession(false, immediate, false)) return true;
    if (!Busy(device)) return false;
  }
  return false;
}

// The three closes of a DVD-R go with IMMED: a drive still busy with the one before refuses
// the next with "long write in progress", so each waits for the drive first.
// The session close decides: the track closes before it are also refused by drives that closed
// the track on their own.
// A DVD-R session close finalises the disc when the write parameters ask for no next session.
bool CloseDvdR(TSCSIDevice& device, std::uint8_t track, bool finalizeDisc) {
  device.CloseTrackSessionRaw(true, kCloseTrack, 0, 0, track);
  device.WaitReady(kCloseReadyBudgetMs, kCloseReadyStepMs);
  device.CloseTrackSessionRaw(true, kCloseTrack, 0, 0, static_cast<std::uint8_t>(track + 1));
  device.WaitReady(kCloseReadyBudgetMs, kCloseReadyStepMs);
  if (finalizeDisc && !device.SelectMultiSession(false)) return false;
  return device.CloseTrackSessionRaw(true, kCloseSession, 0, 0, static_cast<std::uint8_t>(track + 2));
}

}  // namespace

bool CloseRecordedSession(TSCSIDevice& Device, std::uint16_t Kind, std::uint8_t Track, bool FinalizeDisc) {
  switch (Kind) {
    case media::kDvdPlusR:
      // A DVD+R session close always leaves the disc appendable; finalising is a close of its own.
      return Device.CloseTrackSessionRaw(false, kCloseTrack, 0, 0, Track) &&
             Device.CloseTrackSessionRaw(false, FinalizeDisc ? kFinalizeDisc : kCloseSession, 0, 0, kAllTracks);
    case media::kDvdPlusRDl:
      return Device.CloseTrackSessionRaw(false, kCloseTrack, 0, 0, Track) &&
             Device.CloseTrackSessionRaw(false, FinalizeDisc ? kFinalizeDoubleLayer : kCloseSession, 0, 0, 0);
    case media::kDvdR: return CloseDvdR(Device, Track, FinalizeDisc);
    case media::kDvdRwRestricted:
    case media::kDvdRwSequential: return Device.CloseTrackSessionRaw(true, kCloseSession, 0, 0, 0);
    case media::kDvdPlusRw: return Device.CloseTrackSessionRaw(false, kCloseFormatted, 0, 0, kAllTracks);
    default: return CloseCdSession(Device);
  }
}

}  // namespace kivo
