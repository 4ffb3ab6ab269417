// What the drive tells about the loaded disc: disc and track information, the TOC, the ATIP,
// capacity and format capacities.
#include <algorithm>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/Command.h"
#include "virtualdrive/DiscLayout.h"
#include "virtualdrive/ModePages.h"
#include "virtualdrive/Sense.h"

namespace kivo::vdrive {
namespace {

struct Msf {
  std::uint8_t m, s, f;
};

// ATIP times of the blank media this drive is given: an 80-minute CD.
constexpr Msf kCdRLeadInStart{97, 26, 66};
constexpr Msf kCdRwLeadInStart{97, 15, 00};
constexpr Msf kCdLastLeadOutStart{79, 59, 74};

Msf ToMsf(std::int64_t lba) {
  std::int64_t f = lba + kMsfOffset;
  if (f < 0) f += 450000;  // lead-in addresses wrap to 90:00:00 and above
  return {static_cast<std::uint8_t>(f / 4500), static_cast<std::uint8_t>(f / 75 % 60),
          static_cast<std::uint8_t>(f % 75)};
}

void PutAddress(std::uint8_t* p, std::int64_t lba, bool msf) {
  if (!msf) {
    put32(p, static_cast<std::uint32_t>(lba));
    return;
  }
  const Msf m = ToMsf(lba);
  p[0] = 0;
  p[1] = m.m;
  p[2] = m.s;
  p[3] = m.f;
}

void PutMsf(std::uint8_t* p, Msf m) {
  p[0] = 0;
  p[1] = m.m;
  p[2] = m.s;
  p[3] = m.f;
}

bool IsCdRecordable(const Disc& d) { return d.kind == MediumKind::CdR || d.kind == MediumKind::CdRw; }

std::vector<std::uint8_t> Atip(const Disc& d) {
  const bool rewritable = d.kind == MediumKind::CdRw;
  std::vector<std::uint8_t> a(28, 0);
  put16(&a[0], 26);
  a[4] = 0xD0 | (rewritable ? 0x02 : 0x00);  // writing power; reference speed
  a[6] = 0x80 | (rewritable ? 0x40 : 0x00);  // disc type: CD-RW when set
  const Msf leadIn = rewritable ? kCdRwLeadInStart : kCdRLeadInStart;
  a[8] = leadIn.m;
  a[9] = leadIn.s;
  a[10] = leadIn.f;
  a[12] = kCdLastLeadOutStart.m;
  a[13] = kCdLastLeadOutStart.s;
  a[14] = kCdLastLeadOutStart.f;
  return a;
}

std::uint8_t BackgroundFormatStatus(const Disc& d) {
  if (d.kind != MediumKind::DvdPlusRw) return 0;
  return d.formatted ? 3 : 0;
}

}  // namespace

ScsiResult ReadDiscInformation(DriveContext& ctx, const Command& cmd) {
  const Disc& d = *LoadedDisc(ctx.state);
  const DiscSummary s = Summarize(d);
  const bool cd = InfoOf(d).cd;
  std::vector<std::uint8_t> r(34, 0);
  put16(&r[0], 32);
  r[2] = static_cast<std::uint8_t>((InfoOf(d).erasable ? 0x10 : 0) | (s.lastSessionState << 2) | s.status);
  r[3] = 1;
  r[4] = static_cast<std::uint8_t>(s.sessions);
  r[5] = static_cast<std::uint8_t>(s.firstTrackLastSession);
  r[6] = static_cast<std::uint8_t>(s.lastTrackLastSession);
  r[7] = BackgroundFormatStatus(d);
  r[9] = static_cast<std::uint8_t>(s.sessions >> 8);
  r[10] = static_cast<std::uint8_t>(s.firstTrackLastSession >> 8);
  r[11] = static_cast<std::uint8_t>(s.lastTrackLastSession >> 8);
  const auto invisible = InvisibleTrack(d);
  if (cd && IsCdRecordable(d) && invisible) {
    // Lead-in of the session that would be written next, and the last possible lead-out.
    if (d.closedSessions == 0)
      PutMsf(&r[16], d.kind == MediumKind::CdRw ? kCdRwLeadInStart : kCdRLeadInStart);
    else
      PutAddress(&r[16], std::int64_t{d.openSessionStart} - kCdPregap - 4500, true);
    PutMsf(&r[20], kCdLastLeadOutStart);
  } else if (cd) {
    put32(&r[16], 0xFFFFFFFF);
    put32(&r[20], 0xFFFFFFFF);
  } else {
    if (invisible) put32(&r[16], invisible->start);
    put32(&r[20], Capacity(d));
  }
  return cmd.Reply(r);
}

ScsiResult ReadTrackInformation(DriveContext& ctx, const Command& cmd) {
  const Disc& d = *LoadedDisc(ctx.state);
  const std::uint8_t type = cmd.byte(1) & 0x03;
  const std::uint32_t value = be32(cmd.bytes() + 2);
  std::optional<TrackView> track;
  const auto tracks = Tracks(d);
  switch (type) {
    case 0:  // the track holding an LBA
      for (const auto& t : tracks)
        if (value >= t.start && value < t.start + std::max<std::uint32_t>(t.size, 1)) track = t;
      break;
    case 1:  // a track number; 0 (the lead-in) is not reported
      if (value != 0 && value <= 0xFF) track = FindTrack(d, value);
      break;
    case 2:  // the first track of a session
      for (const auto& t : tracks)
        if (t.session == value) {
          track = t;
          break;
        }
      break;
    default:
      break;
  }
  if (!track) return ScsiResult::Check(sense::kInvalidFieldInCdb);
  const bool dvd = !InfoOf(d).cd;
  const bool packets = dvd && d.kind != MediumKind::DvdRam;
  std::vector<std::uint8_t> r(48, 0);
  put16(&r[0], 46);
  r[2] = static_cast<std::uint8_t>(track->number);
  r[3] = static_cast<std::uint8_t>(track->session);
  r[5] = track->trackMode & 0x0F;
  r[6] = static_cast<std::uint8_t>((track->reserved ? 0x80 : 0) | (track->blank ? 0x40 : 0) |
                                   (packets ? 0x30 : 0) | (track->blank ? 0x0F : 0x01));
  r[7] = static_cast<std::uint8_t>((track->lraValid ? 0x02 : 0) | (track->nwaValid ? 0x01 : 0));
  put32(&r[8], track->start);
  put32(&r[12], track->nwaValid ? track->nextWritable : 0);
  put32(&r[16], track->freeBlocks);
  put32(&r[20], packets ? kDvdEccBlock : 0);
  put32(&r[24], track->size);
  put32(&r[28], track->lraValid ? track->lastRecorded : 0);
  r[32] = static_cast<std::uint8_t>(track->number >> 8);
  r[33] = static_cast<std::uint8_t>(track->session >> 8);
  return cmd.Reply(r);
}

ScsiResult ReadToc(DriveContext& ctx, const Command& cmd) {
  const Disc& d = *LoadedDisc(ctx.state);
  const bool msf = cmd.byte(1) & 0x02;
  std::uint8_t format = cmd.byte(2) & 0x0F;
  if (format == 0) format = cmd.byte(9) >> 6;  // the format's old place in the control byte
  const std::uint8_t number = cmd.byte(6);

  if (format == 4) {
    if (!IsCdRecordable(d)) return ScsiResult::Check(sense::kInvalidFieldInCdb);
    return cmd.Reply(Atip(d));
  }
  const auto sessions = CompleteSessions(d);
  if (sessions.empty() || (format != 0 && format != 1)) return ScsiResult::Check(sense::kInvalidFieldInCdb);

  std::vector<std::uint8_t> r(4, 0);
  auto descriptor = [&](const Track& t, std::uint8_t point, std::uint32_t address) {
    std::uint8_t e[8] = {0, static_cast<std::uint8_t>(0x10 | (t.trackMode & 0x0F)), point, 0};
    PutAddress(e + 4, address, msf);
    r.insert(r.end(), e, e + 8);
  };
  if (format == 1) {
    const SessionView& last = sessions.back();
    r[2] = 1;
    r[3] = static_cast<std::uint8_t>(last.number);
    descriptor(last.tracks.front(), static_cast<std::uint8_t>(last.tracks.front().number),
               last.tracks.front().start);
  } else {
    const std::uint32_t first = sessions.front().tracks.front().number;
    const std::uint32_t lastTrack = sessions.back().tracks.back().number;
    if (number > lastTrack && number != 0xAA) return ScsiResult::Check(sense::kInvalidFieldInCdb);
    r[2] = static_cast<std::uint8_t>(first);
    r[3] = static_cast<std::uint8_t>(lastTrack);
    for (const auto& s : sessions)
      for (const auto& t : s.tracks)
        if (number != 0xAA && t.number >= number) descriptor(t, static_cast<std::uint8_t>(t.number), t.start);
    descriptor(sessions.back().tracks.back(), 0xAA, sessions.back().leadOut);
  }
  put16(&r[0], static_cast<std::uint32_t>(r.size() - 2));
  return cmd.Reply(r);
}

ScsiResult ReadCapacity(DriveContext& ctx, const Command& cmd) {
  std::vector<std::uint8_t> r(8, 0);
  put32(&r[0], LastRecordedBlock(*LoadedDisc(ctx.state)));
  put32(&r[4], kBlockSize);
  return cmd.Reply(r);
}

ScsiResult ReadFormatCapacities(DriveContext& ctx, const Command& cmd) {
  const Disc& d = *LoadedDisc(ctx.state);
  enum : std::uint8_t { kUnformatted = 1, kFormatted = 2, kUnknown = 3 };
  std::vector<std::uint8_t> r(4, 0);
  auto current = [&](std::uint32_t blocks, std::uint8_t type) {
    std::uint8_t e[8] = {};
    put32(e, blocks);
    e[4] = type;
    put24(e + 5, kBlockSize);
    r.insert(r.end(), e, e + 8);
  };
  auto formattable = [&](std::uint32_t blocks, std::uint8_t formatType, std::uint32_t parameter) {
    std::uint8_t e[8] = {};
    put32(e, blocks);
    e[4] = static_cast<std::uint8_t>(formatType << 2);
    put24(e + 5, parameter);
    r.insert(r.end(), e, e + 8);
  };
  const std::uint32_t cap = Capacity(d);
  switch (d.kind) {
    case MediumKind::DvdPlusRw:
      current(cap, d.formatted ? kFormatted : kUnformatted);
      formattable(cap, 0x26, 0);
      break;
    case MediumKind::DvdRam:
      current(cap, kFormatted);
      formattable(cap, 0x00, kBlockSize);
      break;
    case MediumKind::DvdRwSequential:
      current(cap, kUnformatted);
      formattable(cap, 0x00, kDvdEccBlock);
      formattable(cap, 0x10, kDvdEccBlock);
      formattable(cap, 0x15, kDvdEccBlock);
      break;
    case MediumKind::DvdRwRestricted:
      if (d.intermediate)
        current(cap, kUnknown);
      else
        current(d.formattedBlocks, kFormatted);
      formattable(cap, 0x00, kDvdEccBlock);
      formattable(cap, 0x10, kDvdEccBlock);
      if (!d.intermediate) formattable(cap - d.formattedBlocks, 0x13, kDvdEccBlock);
      formattable(cap, 0x15, kDvdEccBlock);
      break;
    default:
      current(cap, kFormatted);
      break;
  }
  r[3] = static_cast<std::uint8_t>(r.size() - 4);
  return cmd.Reply(r);
}

}  // namespace kivo::vdrive
