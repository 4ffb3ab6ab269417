// What the selected drive can do: mode page 2Ah, the feature descriptors of GET CONFIGURATION,
// the vendor page that reveals underrun protection, and the drive's buffer.
#include "engine/drive/Capabilities.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

constexpr std::uint8_t kOpModeSense = 0x5A;
constexpr std::uint8_t kOpGetConfiguration = 0x46;
constexpr std::uint8_t kOpReadBufferCapacity = 0x5C;
constexpr std::uint8_t kDefaultValues = 0x80;  // page control 10b
constexpr unsigned kModeSenseTimeoutMs = 20'000;
constexpr unsigned kGetConfigurationTimeoutMs = 30'000;

constexpr std::uint8_t kCapabilitiesPageCode = 0x2A;
constexpr std::uint8_t kVendorPageCode = 0x30;
// The default page is asked for 255 bytes, the current one for 128 into the same area zeroed
// for 256 bytes.
constexpr std::size_t kWorkSize = 256;
constexpr std::uint16_t kDefaultPageLength = 255;
constexpr std::uint16_t kCurrentPageLength = 128;
constexpr std::uint16_t kWorkClearLength = kWorkSize - 1;
constexpr std::uint16_t kVendorPageLength = 128;
constexpr std::uint8_t kFeatureReplyLength = 114;
constexpr std::uint8_t kOneFeature = 2;
constexpr int kFeatureCode = 8;   // reply header 8 bytes, then the descriptor
constexpr int kFeatureData = 12;  // the descriptor's first data byte
constexpr std::uint16_t kDvdSpeed1x = 1385;

// Where a drive puts the page: behind the 8-byte header and an 8-byte block descriptor, behind
// the header alone, or behind a 7-byte header some drives answer with.
constexpr int kPageOffsets[] = {16, 8, 7};
constexpr int kOffsetWhenNoneMatches = 8;
constexpr int kOffsetWithoutDefaultPage = 15;

int LocatePage(const std::uint8_t* reply, std::uint8_t pageCode, int fallback) {
  for (int offset : kPageOffsets) {
    if (reply[offset] == pageCode) return offset;
  }
  return fallback;
}

struct PageBit {
  int byte;
  std::uint8_t mask;
  std::uint32_t bits;
};

constexpr PageBit kPageBits[] = {
    {capspage::kReads, 0x01, kReadsCdR},
    {capspage::kReads, 0x02, kReadsCdRw},
    {capspage::kReads, 0x04, kReadsMode2Form2},
    {capspage::kReads, 0x08, kReadsDvdRom},
    {capspage::kReads, 0x10, kReadsDvdR | kReadsDvdRw},
    {capspage::kReads, 0x20, kReadsDvdRam},
    {capspage::kWrites, 0x01, kWritesCdR},
    {capspage::kWrites, 0x02, kWritesCdRw},
    {capspage::kWrites, 0x04, kTestWrite},
    {capspage::kWrites, 0x10, kWritesDvdR | kWritesDvdRw},
    {capspage::kWrites, 0x20, kWritesDvdRam},
    {capspage::kFeatures, 0x80, kUnderrunProtection},
};
constexpr std::uint8_t kWritesDvdRamBit = 0x20;

// Reading bits whenever the drive reports the feature; writing bits only when its first data
// byte is exactly 1 (the Write bit alone).
struct FeatureProbe {
  std::uint16_t feature;
  std::uint32_t reads;
  std::uint32_t writes;
};

constexpr FeatureProbe kFeatureProbes[] = {
    {0x002A, kReadsDvdPlusR | kReadsDvdPlusRw, kWritesDvdPlusR | kWritesDvdPlusRw},
    {0x003B, kReadsDvdPlusRDl, kWritesDvdPlusRDl},
    {0x002F, kReadsDvdR | kReadsDvdRw, kWritesDvdR | kWritesDvdRw},
};

// The page moves to the start of the work area, which then becomes the component's page image.
void TakePage(std::vector<std::uint8_t>& work, int offset, std::array<std::uint8_t, kCapabilitiesPageSize>& page) {
  const std::size_t used = kDefaultPageLength;
  std::memmove(work.data(), work.data() + offset, used - offset);
  std::fill(work.begin() + static_cast<std::ptrdiff_t>(used - offset), work.end(), 0);
  page.fill(0);
  std::copy(work.begin(), work.end(), page.begin());
}

// A speed of 0 in the default page: a DVD-RAM writer is at least known to move.
std::uint16_t DefaultPageSpeed(const std::uint8_t* page, int offset) {
  const std::uint16_t speed = be16(page + offset);
  if (speed != 0) return speed;
  return (page[capspage::kWrites] & kWritesDvdRamBit) ? 1 : 0;
}

}  // namespace

bool TSCSIDevice::ModeSense(std::uint8_t Page, std::span<std::uint8_t> Destination, bool Defaults,
                            std::uint16_t Length, std::uint16_t ClearLength) {
  std::fill_n(Destination.begin(), std::min<std::size_t>(std::size_t{ClearLength} + 1, Destination.size()), 0);
  // A reply area per call: two components or threads never share one.
  std::vector<std::uint8_t> reply(Length);
  DriveCommand command{.flags = kDataIn, .data = reply.data(), .length = Length, .timeoutMs = kModeSenseTimeoutMs};
  command.cdb = {kOpModeSense, 0, static_cast<std::uint8_t>(Page | (Defaults ? kDefaultValues : 0))};
  put16(&command.cdb[7], Length);
  if (!Succeeds(command)) return false;
  std::copy_n(reply.begin(), std::min<std::size_t>(Length, Destination.size()), Destination.begin());
  return true;
}

bool TSCSIDevice::GetConfiguration(std::uint8_t RequestType, std::uint16_t StartingFeature, std::uint8_t Length,
                                   std::span<std::uint8_t> Buffer) {
  if (Buffer.size() < Length) return Refuse(text::kInvalidRequest);
  DriveCommand command{.flags = kDataIn, .data = Buffer.data(), .length = Length,
                       .timeoutMs = kGetConfigurationTimeoutMs};
  command.cdb = {kOpGetConfiguration, RequestType};
  put16(&command.cdb[2], StartingFeature);
  command.cdb[8] = Length;
  return Succeeds(command);
}

bool TSCSIDevice::ReadCapabilities() {
  std::uint32_t bits = 0;
  std::uint16_t maxWrite = 0, maxRead = 0;
  Capabilities.store(0);
  DeviceMaxWriteSpeed.store(0);
  DeviceMaxReadSpeed.store(0);
  CapabilitiesPage.fill(0);
  std::vector<std::uint8_t> work(kWorkSize, 0);

  int offset = kOffsetWithoutDefaultPage;
  if (ModeSense(kCapabilitiesPageCode, work, true, kDefaultPageLength, kWorkClearLength)) {
    offset = LocatePage(work.data(), kCapabilitiesPageCode, kOffsetWhenNoneMatches);
    TakePage(work, offset, CapabilitiesPage);
    const std::uint8_t* page = CapabilitiesPage.data();
    for (const auto& bit : kPageBits) {
      if (page[bit.byte] & bit.mask) bits |= bit.bits;
    }
    std::vector<std::uint8_t> vendor(kVendorPageLength, 0);
    if (ModeSense(kVendorPageCode, vendor, false, kVendorPageLength, kVendorPageLength - 1) &&
        LocatePage(vendor.data(), kVendorPageCode, -1) >= 0) {
      bits |= kUnderrunProtection;
    }
    if (UnderrunQuirk) bits |= kUnderrunProtection;
    maxWrite = DefaultPageSpeed(page, capspage::kMaxWriteSpeed);
    maxRead = DefaultPageSpeed(page, capspage::kMaxReadSpeed);

    std::vector<std::uint8_t> reply(kFeatureReplyLength);
    for (const auto& probe : kFeatureProbes) {
      std::fill(reply.begin(), reply.end(), 0);
      if (!GetConfiguration(kOneFeature, probe.feature, kFeatureReplyLength, reply)) continue;
      if (be16(&reply[kFeatureCode]) != probe.feature) continue;
      bits |= probe.reads;
      if (reply[kFeatureData] == 1) bits |= probe.writes;
    }
  }
  Capabilities.store(bits);
  DeviceMaxWriteSpeed.store(maxWrite);
  DeviceMaxReadSpeed.store(maxRead);

  if (!ModeSense(kCapabilitiesPageCode, work, false, kCurrentPageLength, kWorkClearLength)) return false;
  offset = LocatePage(work.data(), kCapabilitiesPageCode, offset);
  TakePage(work, offset, CapabilitiesPage);
  std::uint8_t* page = CapabilitiesPage.data();
  // Drives that report no write speed are assumed to write at least DVD 1x.
  if (be16(page + capspage::kCurrentWriteSpeed) == 0) put16(page + capspage::kCurrentWriteSpeed, kDvdSpeed1x);
  if (be16(page + capspage::kMaxWriteSpeed) == 0) put16(page + capspage::kMaxWriteSpeed, kDvdSpeed1x);
  for (int word : {capspage::kCurrentWriteSpeed, capspage::kMaxWriteSpeed, capspage::kCurrentReadSpeed,
                   capspage::kMaxReadSpeed, capspage::kBufferSizeKb}) {
    ToHost16(page + word);
  }
  DeviceMaxWriteSpeed.store(std::max(maxWrite, host16(page + capspage::kMaxWriteSpeed)));
  DeviceMaxReadSpeed.store(std::max(maxRead, host16(page + capspage::kMaxReadSpeed)));
  return true;
}

std::uint16_t TSCSIDevice::MaxWriteSpeed() {
  return ReadCapabilities() ? host16(&CapabilitiesPage[capspage::kMaxWriteSpeed]) : 0;
}

std::uint16_t TSCSIDevice::MaxReadSpeed() {
  return ReadCapabilities() ? host16(&CapabilitiesPage[capspage::kMaxReadSpeed]) : 0;
}

std::uint16_t TSCSIDevice::CurrentWriteSpeed() {
  return ReadCapabilities() ? host16(&CapabilitiesPage[capspage::kCurrentWriteSpeed]) : 0;
}

bool TSCSIDevice::ReadBufferCapacity(std::uint32_t& Length, std::uint32_t& Free) {
  constexpr std::uint8_t kReplyLength = 32;
  constexpr std::uint32_t kFreeUnreported = 0xFFFFFFFF;
  std::vector<std::uint8_t> reply(kReplyLength, 0);
  DriveCommand command{.flags = kDataIn, .data = reply.data(), .length = kReplyLength};
  command.cdb = {kOpReadBufferCapacity, 0, 0, 0, 0, 0, 0, 0, kReplyLength, 0};
  if (!Succeeds(command)) {
    DeviceFreeBufferSize.store(0);
    return false;
  }
  Length = be32(&reply[4]);
  Free = be32(&reply[8]);
  if (Free == kFreeUnreported) Free = Length;
  DeviceBufferSize.store(Length);
  DeviceFreeBufferSize.store(Free);
  return true;
}

}  // namespace kivo
