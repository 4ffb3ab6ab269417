#include "engine/drive/ErrorText.h"

#include <algorithm>
#include <fmt/format.h>

#include "engine/drive/SenseData.h"
#include "engine/drive/Strings.h"

namespace kivo {

namespace {

constexpr std::uint8_t kTargetGood = 0x00;
constexpr std::uint8_t kTargetCheckCondition = 0x02;
constexpr std::uint8_t kTargetBusyStatus = 0x08;
constexpr std::uint8_t kTargetReservationConflict = 0x18;
constexpr std::uint8_t kTargetQueueFull = 0x28;

std::string_view HostAdapterText(std::uint8_t hostAdapterStatus) {
  switch (hostAdapterStatus) {
    case 0x09: return text::kCommandTimeout;
    case 0x0B: return text::kSrbTimeout;
    case 0x0D: return text::kMessageReject;
    case 0x0E: return text::kBusReset;
    case 0x0F: return text::kParityError;
    case 0x10: return text::kRequestSenseFailed;
    case 0x11: return text::kSelectionTimeout;
    case 0x12: return text::kDataOverrun;
    case 0x13: return text::kUnexpectedBusFree;
    default: return text::kUnknown;
  }
}

std::string_view TargetText(std::uint8_t targetStatus, bool& busy) {
  switch (targetStatus) {
    case kTargetGood:
    case kTargetCheckCondition: return text::kCheckCondition;
    case kTargetBusyStatus: busy = true; return text::kTargetBusy;
    case kTargetReservationConflict: return text::kReservationConflict;
    case kTargetQueueFull: return text::kQueueFull;
    default: return text::kUnknown;
  }
}

std::string_view StatusText(std::uint8_t aspiStatus, std::uint8_t hostAdapterStatus,
                            std::uint8_t targetStatus, bool& busy) {
  switch (aspiStatus) {
    case SS_PENDING:
    case SS_COMP: return {};
    case SS_ABORTED:
    case SS_ABORT_FAIL: return text::kOperationAborted;
    case SS_ERR:
      return hostAdapterStatus == HASTAT_OK ? TargetText(targetStatus, busy)
                                            : HostAdapterText(hostAdapterStatus);
    case SS_INVALID_CMD: return text::kInvalidRequest;
    case SS_INVALID_HA: return text::kInvalidHostAdapter;
    case SS_NO_DEVICE: return text::kNoDevice;
    case SS_INVALID_SRB: return text::kInvalidSrb;
    case SS_BUFFER_ALIGN: return text::kBufferAlignment;
    case SS_ASPI_IS_BUSY: return text::kAspiBusy;
    case SS_BUFFER_TO_BIG: return text::kBufferTooBig;
    default: return text::kUnknown;
  }
}

// A CHECK CONDITION is only as informative as its sense data.
std::string_view SenseText(const std::uint8_t* sense) {
  const std::uint8_t responseCode = sense[0];
  if (responseCode == 0) return {};
  if ((responseCode & 0x7E) != 0x70) return text::kUnknown;  // not fixed format
  const std::uint8_t keyByte = sense[2];
  const std::uint8_t key = keyByte & 0x0F;
  if (key == 0) {
    if (keyByte & 0x80) return text::kFilemark;
    if (keyByte & 0x40) return text::kEndOfMedia;
    if (keyByte & 0x20) return text::kIllegalLength;
    return text::kNoAdditionalSense;
  }
  const std::string_view keyText = text::SenseKeyText(key);
  return keyText.empty() ? text::kCheckCondition : keyText;
}

}  // namespace

std::string AdditionalSenseMessage(std::uint8_t asc, std::uint8_t ascq) {
  const auto table = text::AdditionalSenseTable();
  const auto found = std::lower_bound(
      table.begin(), table.end(), std::pair{asc, ascq}, [](const text::AdditionalSense& row, auto key) {
        return std::pair{row.asc, row.ascq} < key;
      });
  if (found != table.end() && found->asc == asc && found->ascq == ascq) {
    return std::string(found->text);
  }
  return fmt::format("{},{}", asc, ascq);
}

ErrorDescription DescribeError(std::uint8_t aspiStatus, std::uint8_t hostAdapterStatus,
                               std::uint8_t targetStatus, const std::uint8_t* sense) {
  ErrorDescription result;
  std::string_view status = StatusText(aspiStatus, hostAdapterStatus, targetStatus, result.targetBusy);
  if (status == text::kCheckCondition) status = SenseText(sense);
  result.text = status;
  if (sense[sensedata::kAdditionalLength] != 0) {
    result.text += " (" + AdditionalSenseMessage(sense[sensedata::kAsc], sense[sensedata::kAscq]) + ")";
  }
  return result;
}

}  // namespace kivo
