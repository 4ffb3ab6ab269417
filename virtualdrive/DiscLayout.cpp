#include "virtualdrive/DiscLayout.h"

#include <algorithm>

#include "virtualdrive/Sense.h"

namespace kivo::vdrive {
namespace {

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t unit) {
  return unit <= 1 ? value : (value + unit - 1) / unit * unit;
}

std::uint32_t BlockingFactor(const Disc& disc) { return InfoOf(disc).cd ? 1 : kDvdEccBlock; }

bool IsOpen(const Disc& disc, const Track& t) { return t.session == disc.closedSessions + 1; }

std::uint32_t TrackEnd(const Track& t) { return t.start + (t.reserved ? t.reserved : t.written); }

// The block after everything recorded or reserved in the open session: where the next track
// of that session starts (its pre-gap included on CD).
std::uint32_t NextTrackStart(const Disc& disc) {
  const Track* last = nullptr;
  for (const auto& t : disc.tracks)
    if (IsOpen(disc, t)) last = &t;
  if (!last) return disc.openSessionStart;
  const std::uint32_t gap = InfoOf(disc).cd ? kCdPregap : 0;
  return AlignUp(TrackEnd(*last) + gap, BlockingFactor(disc));
}

TrackView ViewOf(const Disc& disc, const Track& t, std::size_t index) {
  const std::uint32_t cap = Capacity(disc);
  TrackView v;
  v.number = t.number;
  v.session = t.session;
  v.start = t.start;
  v.trackMode = t.trackMode;
  v.index = index;
  v.reserved = t.reserved != 0;
  v.blank = t.written == 0;
  v.lraValid = t.written != 0;
  v.lastRecorded = t.written ? t.start + t.written - 1 : 0;
  if (t.closed) {
    v.size = t.written;
  } else if (t.reserved) {
    v.size = t.reserved;
    v.nwaValid = true;
    v.nextWritable = t.start + t.written;
    v.freeBlocks = t.reserved - t.written;
  } else {
    v.invisible = true;
    v.size = cap - t.start;
    v.nwaValid = true;
    v.nextWritable = t.start + t.written;
    v.freeBlocks = cap - v.nextWritable;
  }
  return v;
}

// Overwritable media and pressed discs present one track in one session.
TrackView SingleTrack(const Disc& disc) {
  TrackView v;
  v.number = 1;
  v.session = 1;
  v.trackMode = 4;
  if (InfoOf(disc).model == WriteModel::ReadOnly) {
    v.size = disc.romBlocks;
  } else if (disc.kind == MediumKind::DvdRwRestricted) {
    v.trackMode = 5;
    if (disc.intermediate) {
      // Growing sequentially from the end of the formatted area.
      v.size = Capacity(disc);
      v.nwaValid = true;
      v.nextWritable = disc.formattedBlocks;
      v.freeBlocks = Capacity(disc) - disc.formattedBlocks;
    } else {
      v.size = disc.formattedBlocks;
      v.freeBlocks = disc.formattedBlocks;  // the whole formatted area may be overwritten
    }
  } else {
    const bool usable = disc.formatted;
    v.size = usable ? Capacity(disc) : 0;
    v.freeBlocks = v.size;
    v.blank = !usable;
    v.nwaValid = usable;
    v.nextWritable = 0;
  }
  v.lraValid = disc.recordedEnd != 0;
  v.lastRecorded = disc.recordedEnd ? disc.recordedEnd - 1 : 0;
  return v;
}

}  // namespace

const MediumInfo& InfoOf(const Disc& disc) { return Info(disc.kind); }

std::uint32_t Capacity(const Disc& disc) {
  return InfoOf(disc).model == WriteModel::ReadOnly ? disc.romBlocks : InfoOf(disc).capacity;
}

std::optional<TrackView> InvisibleTrack(const Disc& disc) {
  if (InfoOf(disc).model != WriteModel::Sequential || disc.finalized) return std::nullopt;
  for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
    const Track& t = disc.tracks[i];
    if (IsOpen(disc, t) && !t.closed && t.reserved == 0) return ViewOf(disc, t, i);
  }
  const std::uint32_t cap = Capacity(disc);
  TrackView v;
  v.number = disc.tracks.empty() ? 1 : disc.tracks.back().number + 1;
  v.session = disc.closedSessions + 1;
  v.start = std::min(NextTrackStart(disc), cap);
  v.size = cap - v.start;
  v.freeBlocks = v.size;
  v.nextWritable = v.start;
  v.nwaValid = true;
  v.blank = true;
  v.invisible = true;
  v.trackMode = InfoOf(disc).cd ? 4 : 5;
  return v;
}

std::vector<TrackView> Tracks(const Disc& disc) {
  if (InfoOf(disc).model != WriteModel::Sequential) return {SingleTrack(disc)};
  std::vector<TrackView> views;
  for (std::size_t i = 0; i < disc.tracks.size(); ++i) views.push_back(ViewOf(disc, disc.tracks[i], i));
  const auto invisible = InvisibleTrack(disc);
  if (invisible && !invisible->index) views.push_back(*invisible);
  return views;
}

std::optional<TrackView> FindTrack(const Disc& disc, std::uint32_t number) {
  if (InfoOf(disc).model == WriteModel::Sequential && number == 0xFF) return InvisibleTrack(disc);
  for (const auto& v : Tracks(disc))
    if (v.number == number) return v;
  return std::nullopt;
}

DiscSummary Summarize(const Disc& disc) {
  DiscSummary s;
  const auto& info = InfoOf(disc);
  if (info.model == WriteModel::ReadOnly) {
    s.status = 2;
    s.lastSessionState = 3;
    return s;
  }
  if (info.model == WriteModel::Overwrite) {
    const bool usable = disc.kind != MediumKind::DvdPlusRw || disc.formatted;
    const bool growing = disc.kind == MediumKind::DvdRwRestricted && disc.intermediate;
    s.status = !usable ? 0 : growing ? 1 : 2;
    s.lastSessionState = !usable ? 0 : growing ? 1 : 3;
    return s;
  }
  if (disc.finalized) {
    s.status = 2;
    s.lastSessionState = 3;
    s.sessions = disc.closedSessions;
    s.firstTrackLastSession = 0;
    for (const auto& t : disc.tracks) {
      if (t.session != disc.closedSessions) continue;
      if (!s.firstTrackLastSession) s.firstTrackLastSession = t.number;
      s.lastTrackLastSession = t.number;
    }
    return s;
  }
  const auto invisible = InvisibleTrack(disc);
  const bool openSessionEmpty =
      std::none_of(disc.tracks.begin(), disc.tracks.end(), [&](const Track& t) { return IsOpen(disc, t); });
  s.status = disc.tracks.empty() ? 0 : 1;
  s.lastSessionState = openSessionEmpty ? 0 : 1;
  s.sessions = disc.closedSessions + 1;
  s.firstTrackLastSession = invisible->number;
  for (const auto& t : disc.tracks)
    if (IsOpen(disc, t)) {
      s.firstTrackLastSession = t.number;
      break;
    }
  s.lastTrackLastSession = invisible->number;
  return s;
}

std::vector<SessionView> CompleteSessions(const Disc& disc) {
  if (InfoOf(disc).model != WriteModel::Sequential) {
    const auto& info = InfoOf(disc);
    const bool hasContent = info.model == WriteModel::ReadOnly ||
                            (disc.kind == MediumKind::DvdPlusRw ? disc.formatted : true);
    if (!hasContent) return {};
    const TrackView v = SingleTrack(disc);
    Track t{1, 1, 0, 0, v.size, true, v.trackMode};
    return {SessionView{1, {t}, v.size}};
  }
  std::vector<SessionView> sessions;
  for (std::uint32_t s = 1; s <= disc.closedSessions; ++s) {
    SessionView view{s, {}, 0};
    for (const auto& t : disc.tracks)
      if (t.session == s) {
        view.tracks.push_back(t);
        view.leadOut = t.start + t.written;
      }
    if (!view.tracks.empty()) sessions.push_back(std::move(view));
  }
  return sessions;
}

std::uint32_t LastRecordedBlock(const Disc& disc) {
  const auto& info = InfoOf(disc);
  if (info.model == WriteModel::ReadOnly) return disc.romBlocks ? disc.romBlocks - 1 : 0;
  if (info.model == WriteModel::Overwrite) {
    const TrackView v = SingleTrack(disc);
    const std::uint32_t size = disc.kind == MediumKind::DvdRwRestricted ? disc.formattedBlocks : v.size;
    return size ? size - 1 : 0;
  }
  std::uint32_t last = 0;
  for (const auto& t : disc.tracks)
    if (t.written) last = std::max(last, t.start + t.written - 1);
  return last;
}

std::optional<SenseCode> CheckRead(const Disc& disc, std::uint32_t lba, std::uint32_t count) {
  const std::uint64_t end = std::uint64_t{lba} + count;
  const auto& info = InfoOf(disc);
  if (info.model == WriteModel::ReadOnly)
    return end <= disc.romBlocks ? std::nullopt : std::optional(sense::kLbaOutOfRange);
  if (info.model == WriteModel::Overwrite) {
    if (disc.kind == MediumKind::DvdPlusRw && !disc.formatted) return sense::kMediumNotFormatted;
    const std::uint32_t limit =
        disc.kind == MediumKind::DvdRwRestricted ? disc.formattedBlocks : Capacity(disc);
    return end <= limit ? std::nullopt : std::optional(sense::kLbaOutOfRange);
  }
  // Sequential media: every block must lie in the recorded part of some track.
  std::uint64_t next = lba;
  while (next < end) {
    bool covered = false;
    for (const auto& t : disc.tracks) {
      if (next >= t.start && next < std::uint64_t{t.start} + t.written) {
        next = std::uint64_t{t.start} + t.written;
        covered = true;
        break;
      }
    }
    if (!covered) return sense::kLbaOutOfRange;
  }
  return std::nullopt;
}

std::optional<SenseCode> CheckWrite(const Disc& disc, std::uint32_t lba, std::uint32_t count,
                                    std::uint32_t simulatedBlocks, WriteTarget& target) {
  const auto& info = InfoOf(disc);
  const std::uint64_t end = std::uint64_t{lba} + count;
  target = {};
  if (info.model == WriteModel::ReadOnly) return sense::kCannotWriteIncompatibleFormat;
  if (info.model == WriteModel::Overwrite) {
    if (disc.kind == MediumKind::DvdPlusRw && !disc.formatted) return sense::kMediumNotFormatted;
    if (end > Capacity(disc)) return sense::kLbaOutOfRange;
    if (disc.kind != MediumKind::DvdRwRestricted) return std::nullopt;
    // Restricted overwrite works in whole ECC blocks, inside the formatted area or, while the
    // session grows, right at its end.
    if (lba % kDvdEccBlock) return sense::kInvalidAddressForWrite;
    if (count % kDvdEccBlock) return sense::kInvalidFieldInCdb;
    if (end <= disc.formattedBlocks) return std::nullopt;
    if (disc.intermediate && lba <= disc.formattedBlocks) return std::nullopt;
    return sense::kInvalidAddressForWrite;
  }
  if (disc.finalized) return sense::kInvalidAddressForWrite;
  for (const auto& v : Tracks(disc)) {
    if (!v.nwaValid || v.nextWritable + simulatedBlocks != lba) continue;
    if (end > Capacity(disc)) return sense::kLbaOutOfRange;
    if (v.reserved && end > std::uint64_t{v.start} + v.size) return sense::kInvalidAddressForWrite;
    // DVD sequential media take whole packets of one ECC block.
    if (!info.cd && count % kDvdEccBlock) return sense::kInvalidFieldInCdb;
    target.track = v;
    return std::nullopt;
  }
  return sense::kInvalidAddressForWrite;
}

void RecordWrite(Disc& disc, const WriteTarget& target, std::uint32_t lba, std::uint32_t count,
                 std::uint8_t trackMode) {
  disc.recordedEnd = std::max(disc.recordedEnd, lba + count);
  if (disc.kind == MediumKind::DvdRwRestricted && lba + count > disc.formattedBlocks)
    disc.formattedBlocks = lba + count;
  if (!target.track) return;
  const TrackView& v = *target.track;
  if (v.index) {
    disc.tracks[*v.index].written += count;
    return;
  }
  Track t;
  t.number = v.number;
  t.session = v.session;
  t.start = v.start;
  t.written = count;
  t.trackMode = trackMode;
  disc.tracks.push_back(t);
}

std::optional<SenseCode> ReserveTrack(Disc& disc, std::uint32_t blocks) {
  if (InfoOf(disc).model != WriteModel::Sequential) return sense::kCannotWriteIncompatibleFormat;
  const auto invisible = InvisibleTrack(disc);
  if (!invisible) return sense::kCommandSequenceError;
  if (!invisible->blank) return sense::kCommandSequenceError;  // only an untouched track can be sized
  if (blocks == 0) return sense::kInvalidFieldInCdb;
  const std::uint32_t size = AlignUp(blocks, BlockingFactor(disc));
  if (std::uint64_t{invisible->start} + size > Capacity(disc)) return sense::kLbaOutOfRange;
  Track t;
  t.number = invisible->number;
  t.session = invisible->session;
  t.start = invisible->start;
  t.reserved = size;
  t.trackMode = invisible->trackMode;
  if (invisible->index)
    disc.tracks[*invisible->index] = t;
  else
    disc.tracks.push_back(t);
  return std::nullopt;
}

namespace {

// Closing writes what the medium needs to make the track whole: the rest of a reservation,
// a CD track's minimum length, a DVD track's last ECC block.
void Close(Disc& disc, Track& t) {
  if (t.reserved) {
    t.written = t.reserved;
  } else if (InfoOf(disc).cd) {
    t.written = std::max(t.written, kCdMinimumTrack);
  } else {
    t.written = AlignUp(t.written, kDvdEccBlock);
  }
  t.written = std::min(t.written, Capacity(disc) - t.start);
  t.reserved = 0;
  t.closed = true;
  disc.recordedEnd = std::max(disc.recordedEnd, t.start + t.written);
}

std::uint32_t SessionGap(const Disc& disc, std::uint32_t closedSessions) {
  const bool first = closedSessions == 1;
  switch (disc.kind) {
    case MediumKind::CdR:
    case MediumKind::CdRw:
      return first ? kCdFirstSessionGap : kCdLaterSessionGap;
    case MediumKind::DvdR:
    case MediumKind::DvdRwSequential:
      return first ? kDvdMinusFirstBorder : kDvdMinusLaterBorder;
    default:
      return kDvdPlusSessionClosure;
  }
}

}  // namespace

std::optional<SenseCode> CloseTrack(Disc& disc, std::uint32_t number) {
  if (disc.finalized) return sense::kCommandSequenceError;
  for (auto& t : disc.tracks) {
    if (t.number != number) continue;
    if (!t.closed) {
      if (t.written == 0 && t.reserved == 0) return sense::kCommandSequenceError;
      Close(disc, t);
    }
    return std::nullopt;
  }
  // Closing the untouched invisible track changes nothing.
  const auto invisible = InvisibleTrack(disc);
  if (invisible && invisible->number == number) return std::nullopt;
  return sense::kInvalidFieldInCdb;
}

std::optional<SenseCode> CloseSession(Disc& disc, bool keepAppendable) {
  if (disc.finalized) return sense::kCommandSequenceError;
  bool any = false;
  std::uint32_t end = 0;
  for (auto& t : disc.tracks) {
    if (!IsOpen(disc, t)) continue;
    if (!t.closed) Close(disc, t);
    any = true;
    end = std::max(end, t.start + t.written);
  }
  if (!any) return std::nullopt;  // nothing recorded in the open session: nothing to close
  ++disc.closedSessions;
  const std::uint32_t next = AlignUp(end + SessionGap(disc, disc.closedSessions), BlockingFactor(disc));
  const std::uint32_t room = InfoOf(disc).cd ? kCdMinimumTrack : kDvdEccBlock;
  if (!keepAppendable || std::uint64_t{next} + room > Capacity(disc)) {
    disc.finalized = true;
  } else {
    disc.openSessionStart = next;
  }
  return std::nullopt;
}

std::optional<SenseCode> FinalizeDisc(Disc& disc) {
  if (disc.finalized) return std::nullopt;
  if (auto error = CloseSession(disc, false)) return error;
  if (disc.tracks.empty()) return sense::kCommandSequenceError;  // a blank disc cannot be closed
  disc.finalized = true;
  return std::nullopt;
}

}  // namespace kivo::vdrive
