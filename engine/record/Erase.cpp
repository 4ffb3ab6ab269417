#include "engine/record/Erase.h"

#include <fmt/printf.h>

#include <cstring>
#include <string>
#include <system_error>

#include "engine/drive/MediaKinds.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/NumberFormat.h"
#include "engine/platform/Threads.h"
#include "engine/record/EraseZeros.h"
#include "engine/record/FormatLists.h"
#include "engine/record/Recording.h"
#include "engine/record/Strings.h"

namespace kivo {

namespace {

constexpr double kDvdSpeed1x = 1385;
constexpr double kCdSpeed1x = 176.4;

constexpr std::uint8_t kOpBlank = 0xA1;
constexpr std::uint8_t kBlankImmediate = 0x10;
constexpr std::uint8_t kBlankMinimal = 0x01;  // blanking type 1; 0 blanks the whole disc
constexpr std::uint8_t kBlankCdbLength = 12;
constexpr unsigned kBlankTimeoutMs = 4'800'000;

constexpr long kReadyBudgetMs = 30'000;
constexpr long kReadyStepMs = 5000;
constexpr long kFormatRetryPauseMs = 1000;
constexpr unsigned kSyncTimeoutMs = 30'000;
// A quick DVD-RAM erase starts with these zero writes; the erase thread adds the rest.
constexpr std::uint32_t kDvdRamStartZeroWrites = 11;

bool Ready(TSCSIDevice& device) {
  return device.TestUnitReady(kReadyTimeoutMs) || device.WaitReady(kReadyBudgetMs, kReadyStepMs);
}

// BLANK goes out as a bare request block: a drive that already reports it pending has taken it.
bool Blank(TSCSIDevice& device, bool quick) {
  SRB_ExecSCSICmd request;
  std::memset(&request, 0, sizeof request);
  request.SRB_Flags = SRB_EVENT_NOTIFY;
  request.SRB_CDBLen = kBlankCdbLength;
  request.CDBByte[0] = kOpBlank;
  request.CDBByte[1] = kBlankImmediate | (quick ? kBlankMinimal : 0);
  // A request that was never sent keeps its zeroed status, which must not pass for pending.
  if (device.ExecuteCommand(request, kBlankTimeoutMs) == kNoTransportOrDevice) return false;
  return request.SRB_Status == SS_COMP || request.SRB_Status == SS_PENDING;
}

bool FormatDvdPlusRw(TSCSIDevice& device) {
  if (device.FormatUnit(formatlist::kFormatUnitByte1, formatlist::kDvdPlusRwBasic)) return true;
  device.RezeroUnit();
  platform::Sleep(kFormatRetryPauseMs);
  return device.FormatUnit(formatlist::kFormatUnitByte1, formatlist::kDvdPlusRwBasic);
}

bool SendEraseCommand(TSCSIDevice& device, std::uint16_t kind, bool quick) {
  switch (kind) {
    case media::kDvdRam:
      if (!quick) return device.FormatUnit(formatlist::kFormatUnitByte1, formatlist::kDvdRamFull);
      WriteZeros(device, kDvdRamStartZeroWrites, false);
      device.SynchronizeCache(kSyncTimeoutMs, false);
      return true;
    case media::kDvdPlusRw:
      return FormatDvdPlusRw(device);
    default:
      return Blank(device, quick);
  }
}

// "8.0X(11,080 KB/s)" for DVD-RAM to DVD+RW, "48X(8,467 KB/s)" for other media, with the
// user's separators.
std::string EraseSpeedText(std::uint16_t kind, double speed) {
  const bool dvd = kind >= media::kDvdRam && kind <= media::kDvdPlusRw;
  const std::string multiple =
      dvd ? platform::FormatFloat("0.0X", speed / kDvdSpeed1x) : platform::FormatFloat("0X", speed / kCdSpeed1x);
  return multiple + platform::FormatFloat("(#,##0 KB/s)", speed);
}

// The erase from the drive's first command on, for a drive claimed already.
bool StartClaimedErase(TSCSIDevice& Device, bool Quick, const EraseDoneSink& Done) {
  Device.TestUnitReady(kReadyTimeoutMs);
  Device.LoadEject(false);
  const std::uint16_t kind = Device.MediaKind();
  CurrentMediaKind.store(kind);
  if (!Ready(Device)) return false;
  if (kind != media::kDvdRam) {
    Device.SetSpeed(Device.ReadSpeed(), Device.WriteSpeed());
    Device.SetWriteParameters(false, false, false, kind);
  }
  const std::uint16_t speed = Device.CurrentWriteSpeed();
  if (!Ready(Device)) return false;
  Device.DebugMessage(
      fmt::sprintf(recordtext::kStartingErase, MediaNames.at(kind), EraseSpeedText(kind, speed)), 1);

  if (!SendEraseCommand(Device, kind, Quick)) {
    Device.Erasing.store(false);
    if (Done) Done(true);
    return false;
  }
  Device.EraseProgress.store(0);
  Device.Erasing.store(true);
  try {
    TEraseThread::Start(Device, kind, Quick, Done);
  } catch (const std::system_error& error) {
    // The drive erases anyway; without a thread nobody waits for it, so say so as a failure.
    Device.Erasing.store(false);
    Device.DebugMessage(error.what(), 0);
    if (Done) Done(true);
    return false;
  }
  return true;
}

}  // namespace

bool EraseDisc(TSCSIDevice& Device, bool Quick, EraseDoneSink Done) {
  if (Device.Erasing.load() || EraseRunning() || WriterRunning.load()) {
    Device.DebugMessage(std::string(recordtext::kEraseWhileBusy), 0);
    return false;
  }
  if (!Device.ClaimDrive()) {
    Device.DebugMessage(Device.LastErrorText, 0);
    if (Done) Done(true);
    return false;
  }
  // Whoever hears of the end finds the drive free again.
  const EraseDoneSink releaseThenDone = [&Device, Done = std::move(Done)](bool WithError) {
    Device.ReleaseDrive();
    if (Done) Done(WithError);
  };
  if (StartClaimedErase(Device, Quick, releaseThenDone)) return true;
  Device.ReleaseDrive();  // the refusals that raise no Done
  return false;
}

bool TZelvoBurner::StartErase(bool Quick) {
  return EraseDisc(*this, Quick, [this](bool WithError) {
    if (OnEraseDone) OnEraseDone(this, WithError);
  });
}

}  // namespace kivo
