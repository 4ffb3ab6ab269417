#include "engine/record/WriterSetup.h"

#include <fmt/printf.h>

#include <cmath>

#include "engine/drive/MediaKinds.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/NumberFormat.h"
#include "engine/platform/Time.h"
#include "engine/record/RecordingCommands.h"
#include "engine/record/Strings.h"

namespace kivo {

namespace {

constexpr double kDvdSpeed1x = 1385;
constexpr double kCdSpeed1x = 176.4;
// The streaming descriptor's sizes are KB per second of 1000 ms; a 1x DVD moves this many.
constexpr double kStreamingKbPer1x = 1440.25;
constexpr long kReadyBudgetMs = 10'000;
constexpr long kReadyStepMs = 1000;
// A DVD-R track is reserved for whole writes of 32 sectors.
constexpr std::int64_t kReservationUnit = 32;

// The fixed descriptor a DVD-R gets right before its reservation.
constexpr StreamingDescriptor kDvdRStreaming{0, 2298495, 43965, 1000, 1418, 1000};

bool TakesStreamingDescriptor(std::uint16_t kind) {
  switch (kind) {
    case media::kDvdR:
    case media::kDvdRwRestricted:
    case media::kDvdRwSequential:
    case media::kDvdPlusRw:
    case media::kDvdPlusR:
    case media::kDvdPlusRDl: return true;
    default: return false;
  }
}

std::uint32_t StreamingSize(std::uint16_t speed) {
  return static_cast<std::uint32_t>(std::trunc(speed / kDvdSpeed1x * kStreamingKbPer1x));
}

void PrepareDvdRTrack(TZelvoBurner& burner) {
  SetStreaming(burner, kDvdRStreaming);
  SendDvdTimestamp(burner, platform::UnixToLocal(platform::NowUnix()));
  // A reservation is recorded on the disc even when the writes are only simulated: a test
  // write would leave a blank disc with a reserved, empty track.
  if (burner.TestWrite) return;
  const std::int64_t sectors = (burner.ImageSize() + kReservationUnit - 1) / kReservationUnit * kReservationUnit;
  ReserveTrack(burner, static_cast<std::uint32_t>(sectors));
  burner.WaitReady(kReadyBudgetMs, kReadyStepMs);
}

}  // namespace

std::string WriteSpeedText(std::uint16_t Kind, double Speed) {
  const bool dvd = Kind >= media::kDvdR && Kind <= media::kDvdPlusRDl;
  const std::string multiple =
      dvd ? platform::FormatFloat("0.0", Speed / kDvdSpeed1x) : platform::FormatFloat("0", Speed / kCdSpeed1x);
  return multiple + platform::FormatFloat("X (#,##0 KB/s)", Speed);
}

WriterSetup SetUpDriveForWriting(TZelvoBurner& Burner, std::uint16_t Kind) {
  WriterSetup setup;
  std::uint32_t length = 0, free = 0;
  setup.BufferReadable = Burner.ReadBufferCapacity(length, free);
  CurrentMediaKind = Kind;
  Burner.LoadEject(false);
  if (Kind != media::kDvdPlusRw) Burner.RezeroUnit();
  Burner.SetSpeed(Burner.ReadSpeed(), Burner.WriteSpeed());
  Burner.WaitReady(kReadyBudgetMs, kReadyStepMs);

  const std::uint16_t speed = Burner.CurrentWriteSpeed();
  // Sent as for a finalised disc; the page sent before closing carries the real choice.
  Burner.SetNewSessionWriteParameters(Burner.TestWrite, Kind);
  if (TakesStreamingDescriptor(Kind)) {
    const auto end = static_cast<std::uint32_t>(Burner.SessionStart + Burner.ImageSize());
    SetStreaming(Burner, {0, end, StreamingSize(Burner.ReadSpeed()), 1000, StreamingSize(Burner.WriteSpeed()), 1000});
  }
  setup.Track = static_cast<std::uint8_t>(Burner.SessionCount() + 1);
  if (Kind == media::kDvdR) PrepareDvdRTrack(Burner);
  if (Kind != media::kDvdRam && !Burner.TestWrite && Burner.PerformOPC) SendOpcInformation(Burner);

  Burner.DebugMessage(fmt::sprintf(recordtext::kStartingWrite, MediaNames.at(Kind), WriteSpeedText(Kind, speed)), 1);
  if (Burner.TestWrite) Burner.DebugMessage(std::string(recordtext::kTestWrite), 1);
  return setup;
}

}  // namespace kivo
