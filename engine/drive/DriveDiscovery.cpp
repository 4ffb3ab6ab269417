// Finding the drives behind the loaded transport and naming them.
#include <algorithm>
#include <cstring>

#include "engine/drive/DeviceListLine.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"

namespace kivo {

namespace {

constexpr int kTargetsPerAdapter = 8;
constexpr int kLunsPerTarget = 8;
// An inquiry that reports no adapters is taken to mean "unknown", and the usual bus width
// is scanned instead.
constexpr std::int8_t kAdaptersWhenUnreported = 7;
constexpr std::int8_t kAdaptersWhenInquiryFailed = -1;

// A fixed-size text field up to its first zero byte, without surrounding blanks.
std::string FieldText(const std::uint8_t* field, std::size_t size) {
  const auto* begin = reinterpret_cast<const char*>(field);
  std::string value(begin, std::find(begin, begin + size, '\0'));
  const auto first = value.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return value.substr(first, value.find_last_not_of(' ') - first + 1);
}

}  // namespace

void TSCSIDevice::QueryHostAdapter(std::uint8_t Adapter) {
  std::memset(&AdapterInquiry, 0, sizeof AdapterInquiry);
  AdapterInquiry.SRB_Cmd = SC_HA_INQUIRY;
  AdapterInquiry.SRB_HaId = Adapter;
  SendAspiRequest(&AdapterInquiry);
  if (AdapterInquiry.SRB_Status != SS_COMP) {
    AdapterCount = kAdaptersWhenInquiryFailed;
  } else if (AdapterInquiry.HA_Count == 0) {
    AdapterCount = kAdaptersWhenUnreported;
  } else {
    AdapterCount = static_cast<std::int8_t>(AdapterInquiry.HA_Count);
  }
}

void TSCSIDevice::ScanDevices() {
  DeviceList.clear();
  const std::uint8_t selectedAdapter = HostAdapter, selectedTarget = Target, selectedLun = Lun;
  Lun = 0;
  if (DoDebug) DebugMessage(" " + TransportName(), 1);

  // Each adapter's inquiry rewrites AdapterCount, so the bound is fixed first.
  const int adapters = AdapterCount;
  for (int adapter = 0; adapter < adapters; ++adapter) {
    QueryHostAdapter(static_cast<std::uint8_t>(adapter));
    if (DoDebug) {
      DebugMessage(" " + FieldText(AdapterInquiry.HA_ManagerId, sizeof AdapterInquiry.HA_ManagerId) +
                       " (" + FieldText(AdapterInquiry.HA_Identifier, sizeof AdapterInquiry.HA_Identifier) +
                       ")",
                   1);
    }
    for (int target = 0; target < kTargetsPerAdapter; ++target) {
      for (int lun = 0; lun < kLunsPerTarget; ++lun) {
        HostAdapter = static_cast<std::uint8_t>(adapter);
        Target = static_cast<std::uint8_t>(target);
        Lun = static_cast<std::uint8_t>(lun);
        std::memset(InquiryBuffer, 0, sizeof InquiryBuffer);
        if (!SendInquiry()) continue;
        if (InquiryBuffer[0] != kPeripheralCdDvd && InquiryBuffer[0] != kPeripheralWriteOnce) continue;
        DeviceList.push_back(DeviceListLine(HostAdapter, Target, Lun, DriveLetter(), InquiryBuffer));
      }
    }
  }
  HostAdapter = selectedAdapter;
  Target = selectedTarget;
  Lun = selectedLun;
  LastErrorText.clear();
}

std::string TSCSIDevice::DriveLetter() { return TransportDriveLabel(HostAdapter, Target, Lun); }

}  // namespace kivo
