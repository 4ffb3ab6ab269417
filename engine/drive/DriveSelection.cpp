// Choosing the drive that every later command goes to, and reading its identity.
#include <cstring>

#include "engine/drive/Capabilities.h"
#include "engine/drive/DeviceListLine.h"
#include "engine/drive/DriveQuirks.h"
#include "engine/drive/Strings.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

constexpr std::uint8_t kOpInquiry = 0x12;
constexpr std::uint8_t kInquiryLength = 128;
constexpr unsigned kInquiryTimeoutMs = 10'000;
// The identification (vendor, product, revision, vendor-specific) compared as text.
constexpr int kIdentificationFirst = 8;
constexpr int kIdentificationLast = 55;

bool DigitAt(const std::string& id, std::size_t index, std::uint8_t& value) {
  const char c = id[index];
  if (c < '0' || c > '9') return false;
  value = static_cast<std::uint8_t>(c - '0');
  return true;
}

}  // namespace

bool TSCSIDevice::SendInquiry() {
  SRB_ExecSCSICmd request;
  std::memset(&request, 0, sizeof request);
  request.SRB_Flags = SRB_DIR_IN | SRB_EVENT_NOTIFY;
  request.SRB_BufLen = kInquiryLength;
  request.SRB_BufPointer = InquiryBuffer;
  request.SRB_CDBLen = 6;
  request.CDBByte[0] = kOpInquiry;
  request.CDBByte[4] = kInquiryLength;
  ExecuteCommand(request, kInquiryTimeoutMs);
  return request.SRB_Status == SS_COMP;
}

bool TSCSIDevice::Inquiry() {
  if (!SendInquiry()) return false;
  for (int i = kIdentificationFirst; i <= kIdentificationLast; ++i) {
    if (InquiryBuffer[i] < ' ') InquiryBuffer[i] = ' ';
  }
  return true;
}

void TSCSIDevice::ClearSelection() {
  HostAdapter = Target = Lun = kNoDevice;
  DeviceId.clear();
}

void TSCSIDevice::SelectDevice(const std::string& Id) {
  constexpr std::size_t kShortestId = 5;
  if (Id.size() < kShortestId) {
    if (!Id.empty()) DebugMessage(std::string(text::kInvalidDevice), 0);
    ClearSelection();
    return;
  }
  std::uint8_t adapter = 0, target = 0, lun = 0;
  bool valid = DigitAt(Id, 0, adapter) && DigitAt(Id, 2, target) && DigitAt(Id, 4, lun);
  if (valid) {
    HostAdapter = adapter;
    Target = target;
    Lun = lun;
    DeviceId = Id;
    // The capabilities are read before the identity, so the underrun quirk (a matter of
    // identity) must not be the previously selected drive's; it is added once known.
    UnderrunQuirk = false;
    ReadCapabilities();
    // A drive that does not answer is not selected: the buffer would still describe the
    // previously selected drive.
    valid = Inquiry() &&
            (InquiryBuffer[0] == kPeripheralCdDvd || InquiryBuffer[0] == kPeripheralWriteOnce);
  }
  if (!valid) {
    DebugMessage(std::string(text::kInvalidDevice), 0);
    ClearSelection();
    return;
  }
  SetQuirks();
  if (UnderrunQuirk) Capabilities.fetch_or(kUnderrunProtection);
  if (OnDeviceChange) OnDeviceChange(this);
}

void TSCSIDevice::SetQuirks() {
  const DriveQuirks quirks = QuirksFor(InquiryBuffer);
  UnderrunQuirk = quirks.underrunProtection;
  LinkSizeQuirk = quirks.linkSize;
  LongFormatQuirk = quirks.longFormat;
  SlowReadyQuirk.store(quirks.slowReady);
  ImmediateCloseFlag.store(quirks.immediateClose);
}

}  // namespace kivo
