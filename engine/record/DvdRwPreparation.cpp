#include "engine/record/DvdRwPreparation.h"

#include "engine/drive/MediaKinds.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/record/FormatLists.h"
#include "engine/record/FormatWait.h"

namespace kivo {

namespace {

constexpr long kPollMs = 5000;

}  // namespace

bool PrepareDvdRw(TSCSIDevice& Device, std::uint16_t Kind) {
  const auto& list = Kind == media::kDvdRwSequential ? formatlist::kDvdRwQuick : formatlist::kDvdRwGrow;
  // A drive that refuses the first list gets a quick format of whatever size it chooses.
  if (!Device.FormatUnit(formatlist::kFormatUnitByte1, list)) {
    Device.FormatUnit(formatlist::kFormatUnitByte1, formatlist::kDvdRwQuickFallback);
  }
  return WaitWhileFormatting(Device, kPollMs, kDvdRwPreparationMinutes, true);
}

}  // namespace kivo
