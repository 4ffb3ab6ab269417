// Which medium is loaded: the current profile when the drive reports one, else what the ATIP,
// the disc information and TEST UNIT READY reveal.
#include "engine/drive/MediaKinds.h"

#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

std::atomic<std::uint16_t> CurrentMediaKind{media::kUnknown};

namespace {

struct ProfileKind {
  std::uint16_t profile;
  std::uint16_t kind;
};

// Kind 7 has no profile: DVD-RW media always report one of their two recording modes.
constexpr ProfileKind kProfileKinds[] = {
    {0x0008, media::kCdRom},        {0x0009, media::kCdR},      {0x000A, media::kCdRw},
    {0x0010, media::kDvdRom},       {0x0011, media::kDvdR},     {0x0012, media::kDvdRam},
    {0x0013, media::kDvdRwRestricted}, {0x0014, media::kDvdRwSequential}, {0x001A, media::kDvdPlusRw},
    {0x001B, media::kDvdPlusR},     {0x002B, media::kDvdPlusRDl}, {0x0020, media::kDdcdRom},
    {0x0021, media::kDdcdR},        {0x0022, media::kDdcdRw},
};

constexpr std::uint16_t kErasableProfiles[] = {0x0003, 0x000A, 0x0013, 0x0014, 0x001A, 0x0022};
constexpr std::uint16_t kErasableKinds[] = {media::kDvdRam, media::kDvdRwRestricted, media::kDvdRwSequential,
                                            media::kDvdPlusRw};

constexpr std::uint8_t kConfigurationLength = 114;
constexpr std::uint8_t kOneFeature = 2;
constexpr std::uint16_t kProfileList = 0x0000;
constexpr int kCurrentProfile = 6;
// ATIP byte 6: bit 7 set for recordable media, bit 6 for rewritable ones.
constexpr int kAtipDiscType = 6;

}  // namespace

std::uint16_t MediaKindOfProfile(std::uint16_t profile) {
  for (const auto& entry : kProfileKinds) {
    if (entry.profile == profile) return entry.kind;
  }
  return media::kUnknown;
}

bool IsErasableProfile(std::uint16_t profile) {
  for (auto erasable : kErasableProfiles) {
    if (erasable == profile) return true;
  }
  return false;
}

bool IsErasableKind(std::uint16_t kind) {
  for (auto erasable : kErasableKinds) {
    if (erasable == kind) return true;
  }
  return false;
}

std::optional<std::uint16_t> TSCSIDevice::CurrentProfile() {
  std::vector<std::uint8_t> configuration(kConfigurationLength, 0);
  if (!GetConfiguration(kOneFeature, kProfileList, kConfigurationLength, configuration)) return std::nullopt;
  return be16(&configuration[kCurrentProfile]);
}

std::uint16_t TSCSIDevice::MediaKind() {
  std::uint16_t kind = media::kUnknown;
  if (const auto profile = CurrentProfile()) kind = MediaKindOfProfile(*profile);
  if (kind == media::kUnknown && ReadAtip()) {
    const std::uint8_t type = AtipBuffer[kAtipDiscType];
    if (!(type & 0x80)) {
      kind = media::kCdRom;
    } else {
      kind = (type & 0x40) ? media::kCdRw : media::kCdR;
    }
  }
  // Read in any case: callers look at the disc information the kind was judged with.
  if (ReadDiscInfo() && kind == media::kUnknown) {
    kind = (DiscInfoBuffer[discinfo::kStatus] & discinfo::kErasableBit) ? media::kCdRw : media::kCdR;
  }
  if (kind == media::kUnknown && TestUnitReady(kReadyTimeoutMs)) kind = media::kCdRom;
  return kind;
}

}  // namespace kivo
