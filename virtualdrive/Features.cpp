#include "virtualdrive/Features.h"

#include <array>
#include <functional>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/DiscLayout.h"

namespace kivo::vdrive {
namespace {

constexpr std::array<MediumKind, 11> kProfilesDescending{
    MediumKind::DvdPlusRDl, MediumKind::DvdPlusR, MediumKind::DvdPlusRw, MediumKind::DvdRwSequential,
    MediumKind::DvdRwRestricted, MediumKind::DvdRam, MediumKind::DvdR, MediumKind::DvdRom,
    MediumKind::CdRw, MediumKind::CdR, MediumKind::CdRom};

struct Feature {
  std::uint16_t code;
  std::uint8_t version;
  bool persistent;
  // Whether the feature is current for the loaded medium (none loaded: nullptr disc).
  std::function<bool(const Disc*)> current;
  std::function<std::vector<std::uint8_t>(const DriveState&)> data;
};

bool Is(const Disc* d, std::initializer_list<MediumKind> kinds) {
  if (!d) return false;
  for (auto k : kinds)
    if (d->kind == k) return true;
  return false;
}

bool Always(const Disc*) { return true; }

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> b) { return b; }

std::vector<std::uint8_t> ProfileList(const DriveState& s) {
  std::vector<std::uint8_t> data;
  for (auto kind : kProfilesDescending) {
    const std::uint16_t profile = Info(kind).profile;
    const bool currentProfile = s.disc && s.disc->kind == kind;
    data.insert(data.end(), {static_cast<std::uint8_t>(profile >> 8), static_cast<std::uint8_t>(profile),
                             static_cast<std::uint8_t>(currentProfile ? 1 : 0), 0});
  }
  return data;
}

std::vector<std::uint8_t> RandomReadable(const DriveState& s) {
  std::vector<std::uint8_t> d(8, 0);
  put32(&d[0], 2048);
  put16(&d[4], s.disc && !Info(s.disc->kind).cd ? kDvdEccBlock : 1);
  return d;
}

std::vector<std::uint8_t> RandomWritable(const DriveState& s) {
  std::vector<std::uint8_t> d(12, 0);
  put32(&d[0], s.disc ? Capacity(*s.disc) - 1 : 0);
  put32(&d[4], 2048);
  put16(&d[8], kDvdEccBlock);
  return d;
}

const std::vector<Feature>& AllFeatures() {
  using K = MediumKind;
  static const std::vector<Feature> features{
      {0x0000, 0, true, Always, ProfileList},
      {0x0001, 2, true, Always, [](const DriveState&) { return Bytes({0, 0, 0, 2, 0x01, 0, 0, 0}); }},  // ATAPI, DBE
      {0x0002, 1, true, Always, [](const DriveState&) { return Bytes({0x02, 0, 0, 0}); }},  // OCEvent
      {0x0003, 0, true, Always, [](const DriveState&) { return Bytes({0x29, 0, 0, 0}); }},  // tray, eject, lock
      {0x0010, 0, false, [](const Disc* d) { return d != nullptr; }, RandomReadable},
      {0x001D, 0, false, [](const Disc* d) { return Is(d, {K::CdRom, K::CdR, K::CdRw}); },
       [](const DriveState&) { return Bytes({}); }},
      {0x001E, 2, false, [](const Disc* d) { return Is(d, {K::CdRom, K::CdR, K::CdRw}); },
       [](const DriveState&) { return Bytes({0, 0, 0, 0}); }},
      {0x001F, 1, false, [](const Disc* d) { return d && !Info(d->kind).cd; },
       [](const DriveState&) { return Bytes({0, 0, 0, 0}); }},
      {0x0020, 0, false, [](const Disc* d) { return Is(d, {K::DvdRam}); }, RandomWritable},
      {0x0021, 1, false, [](const Disc* d) { return Is(d, {K::DvdR, K::DvdRwSequential}); },
       // Mode 1 blocks only, buffer underrun free, one link size of 16.
       [](const DriveState&) { return Bytes({0x01, 0x00, 0x01, 0x01, 16, 0, 0, 0}); }},
      {0x0023, 0, false, [](const Disc* d) { return Is(d, {K::DvdRwSequential, K::DvdRwRestricted, K::DvdPlusRw, K::DvdRam}); },
       [](const DriveState&) { return Bytes({0, 0, 0, 0, 0, 0, 0, 0}); }},
      {0x0024, 0, false, [](const Disc* d) { return Is(d, {K::DvdRam}); },
       [](const DriveState&) { return Bytes({0, 0, 0, 0}); }},
      {0x0026, 0, false, [](const Disc* d) { return Is(d, {K::DvdRwRestricted}); },
       [](const DriveState&) { return Bytes({}); }},
      {0x002A, 0, false, [](const Disc* d) { return Is(d, {K::DvdPlusRw}); },
       [](const DriveState&) { return Bytes({0x01, 0, 0, 0}); }},  // Write
      {0x002B, 0, false, [](const Disc* d) { return Is(d, {K::DvdPlusR}); },
       [](const DriveState&) { return Bytes({0x01, 0, 0, 0}); }},  // Write
      {0x002C, 0, false, [](const Disc* d) { return Is(d, {K::DvdRwRestricted}); },
       [](const DriveState&) { return Bytes({0x07, 0, 0, 0}); }},  // DSDR, intermediate, blank
      {0x002D, 2, false, [](const Disc* d) { return Is(d, {K::CdR, K::CdRw}); },
       [](const DriveState&) { return Bytes({0x46, 0, 0x01, 0x00}); }},  // BUF, test write, CD-RW; Mode 1
      {0x002F, 1, false, [](const Disc* d) { return Is(d, {K::DvdR, K::DvdRwSequential}); },
       [](const DriveState&) { return Bytes({0x46, 0, 0, 0}); }},  // BUF, test write, DVD-RW
      {0x003B, 0, false, [](const Disc* d) { return Is(d, {K::DvdPlusRDl}); },
       [](const DriveState&) { return Bytes({0x01, 0, 0, 0}); }},  // Write
      {0x0100, 0, true, Always, [](const DriveState&) { return Bytes({}); }},
      {0x0107, 3, true, Always,
       [](const DriveState&) { return Bytes({0x13, 0, 0, 0}); }},  // read buffer capacity block, write speed, streaming
  };
  return features;
}

void AppendFeature(std::vector<std::uint8_t>& out, const Feature& f, bool current,
                   const std::vector<std::uint8_t>& data) {
  out.push_back(static_cast<std::uint8_t>(f.code >> 8));
  out.push_back(static_cast<std::uint8_t>(f.code));
  out.push_back(static_cast<std::uint8_t>((f.version << 2) | (f.persistent ? 0x02 : 0) | (current ? 0x01 : 0)));
  out.push_back(static_cast<std::uint8_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

std::vector<std::uint8_t> ConfigurationReply(const DriveState& state, FeatureRequest request,
                                             std::uint16_t startingFeature) {
  const Disc* disc = LoadedDisc(state);
  std::vector<std::uint8_t> reply(8, 0);
  put16(&reply[6], disc ? Info(disc->kind).profile : 0);
  for (const auto& f : AllFeatures()) {
    const bool current = f.current(disc);
    const bool wanted = request == FeatureRequest::One ? f.code == startingFeature
                                                        : f.code >= startingFeature &&
                                                              (request == FeatureRequest::All || current);
    if (wanted) AppendFeature(reply, f, current, f.data(state));
  }
  put32(&reply[0], static_cast<std::uint32_t>(reply.size() - 4));
  return reply;
}

}  // namespace kivo::vdrive
