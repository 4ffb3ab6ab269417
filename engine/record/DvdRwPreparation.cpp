#include "engine/record/DvdRwPreparation.h"

#include <fmt/printf.h>

#include "engine/drive/MediaKinds.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/record/FormatLists.h"
#include "engine/record/FormatWait.h"
#include "engine/record/Strings.h"

namespace kivo {

namespace {

constexpr long kPollMs = 5000;
constexpr int kEmptyDisc = 0;
constexpr int kIncompleteDisc = 1;

std::string WaitForFormat(TSCSIDevice& device) {
  switch (WaitWhileFormatting(device, kPollMs, kDvdRwPreparationMinutes, true)) {
    case FormatWait::Done: return {};
    case FormatWait::Aborted: return std::string(recordtext::kOperationAborted);
    case FormatWait::TimedOut: break;
  }
  return fmt::sprintf(recordtext::kDvdRwPreparationTimedOut, kDvdRwPreparationMinutes);
}

}  // namespace

std::string PrepareDvdRw(TSCSIDevice& Device, std::uint16_t Kind, bool TestWrite) {
  // A simulated write leaves the disc as it is, so it must not be formatted for one either.
  if (TestWrite) return {};
  const int status = Device.DiscStatus();
  // Restricted overwrite in the intermediate state: an earlier grow left the disc growing from
  // its next writable address, and this session's close ends the grow.
  if (Kind == media::kDvdRwRestricted && status == kIncompleteDisc) return {};
  // A quick format starts a sequential disc afresh.
  if (Kind == media::kDvdRwSequential && status > kEmptyDisc) return std::string(recordtext::kDvdRwHoldsSessions);

  const auto& list = Kind == media::kDvdRwSequential ? formatlist::kDvdRwQuick : formatlist::kDvdRwGrow;
  if (!Device.FormatUnit(formatlist::kFormatUnitByte1, list)) {
    // The fallback quick format of whatever size the drive chooses starts the disc afresh too:
    // only a disc without a volume may get it.
    const std::string refused = Device.LastErrorText;
    if (Kind == media::kDvdRwRestricted && Device.FindVolumeEnd() > 0) {
      return fmt::sprintf(recordtext::kDvdRwCannotGrow, refused);
    }
    Device.FormatUnit(formatlist::kFormatUnitByte1, formatlist::kDvdRwQuickFallback);
  }
  return WaitForFormat(Device);
}

}  // namespace kivo
