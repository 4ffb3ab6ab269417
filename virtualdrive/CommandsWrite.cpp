// Moving user data, and the commands that finish what was written.
#include <algorithm>
#include <cctype>
#include <vector>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/Command.h"
#include "virtualdrive/DiscLayout.h"
#include "virtualdrive/ModePages.h"
#include "virtualdrive/Sense.h"
#include "virtualdrive/Timing.h"

namespace kivo::vdrive {
namespace {

bool Sequential(const Disc& d) { return InfoOf(d).model == WriteModel::Sequential; }

bool DashMedium(const Disc& d) { return d.kind == MediumKind::DvdR || d.kind == MediumKind::DvdRwSequential; }

bool PlusRecordable(const Disc& d) { return d.kind == MediumKind::DvdPlusR || d.kind == MediumKind::DvdPlusRDl; }

// Test write applies where the medium can simulate and the page asks for it.
bool Simulating(const DriveState& s, const Disc& d) {
  return Sequential(d) && InfoOf(d).testWrite && CurrentWriteSettings(s).testWrite;
}

// A long operation the host waits for (no IMMED) or polls for (IMMED); both leave the drive
// busy for the same time as seen by anyone else.
ScsiResult LongOperation(DriveContext& ctx, Operation::Kind kind, long scaledMs, bool immediate) {
  const long ms = StartOperation(ctx.state, kind, scaledMs, ctx.nowMs);
  ctx.stateChanged = true;
  ScsiResult r = ScsiResult::Good();
  if (!immediate) r.delayMs = ms;
  return r;
}

}  // namespace

ScsiResult Read10(DriveContext& ctx, const Command& cmd) {
  const Disc& d = *LoadedDisc(ctx.state);
  const std::uint32_t lba = be32(cmd.bytes() + 2);
  const std::uint32_t count = be16(cmd.bytes() + 7);
  if (count == 0) return ScsiResult::Good();
  if (auto error = CheckRead(d, lba, count)) return ScsiResult::Check(*error);
  if (auto bad = ctx.faults.TakeMediumError(lba, count, false)) {
    ctx.faultsChanged = true;
    return ScsiResult::Check(sense::kUnrecoveredReadError, std::nullopt, *bad);
  }
  if (!ctx.sectors.Read(lba, count, cmd.request.data)) return ScsiResult::Check(sense::kUnrecoveredReadError);
  return ScsiResult::Good(std::size_t{count} * kBlockSize);
}

ScsiResult Write10(DriveContext& ctx, const Command& cmd) {
  Disc& d = *LoadedDisc(ctx.state);
  const std::uint32_t lba = be32(cmd.bytes() + 2);
  const std::uint32_t count = be16(cmd.bytes() + 7);
  if (count == 0) return ScsiResult::Good();
  if (InfoOf(d).model == WriteModel::ReadOnly) return ScsiResult::Check(sense::kCannotWriteIncompatibleFormat);
  // A page taken while another medium (or none) was loaded may not suit this one.
  if (Sequential(d) && CheckWriteParameters(ctx.state, ctx.state.writeParameters.data(), kWriteParametersLength))
    return ScsiResult::Check(sense::kIllegalModeForThisTrack);

  const bool simulated = Simulating(ctx.state, d);
  WriteTarget target;
  if (auto error = CheckWrite(d, lba, count, simulated ? ctx.state.simulatedBlocks : 0, target))
    return ScsiResult::Check(*error);
  if (auto bad = ctx.faults.TakeMediumError(lba, count, true)) {
    ctx.faultsChanged = true;
    return ScsiResult::Check(sense::kWriteError, std::nullopt, *bad);
  }
  if (simulated) {
    ctx.state.simulatedBlocks += count;
  } else {
    const std::uint8_t* data = cmd.parameters();
    std::vector<std::uint8_t> corrupted;
    if (!ctx.faults.corruptions.empty()) {
      corrupted.assign(data, data + std::size_t{count} * kBlockSize);
      if (ctx.faults.Corrupt(lba, count, corrupted.data())) data = corrupted.data();
    }
    if (!ctx.sectors.Write(lba, count, data)) return ScsiResult::Check(sense::kWriteError);
    const std::uint8_t mode =
        InfoOf(d).cd || DashMedium(d) ? CurrentWriteSettings(ctx.state).trackMode : std::uint8_t{5};
    RecordWrite(d, target, lba, count, mode);
  }
  ctx.stateChanged = true;
  ScsiResult r = ScsiResult::Good(std::size_t{count} * kBlockSize);
  r.delayMs = AcceptIntoBuffer(ctx.state, std::uint64_t{count} * kBlockSize, ctx.nowMs);
  return r;
}

ScsiResult SynchronizeCache(DriveContext& ctx, const Command& cmd) {
  const bool immediate = cmd.byte(1) & 0x02;
  const long drain = DrainBuffer(ctx.state, ctx.nowMs);
  return LongOperation(ctx, Operation::Kind::LongWrite, drain, immediate);
}

ScsiResult CloseTrackSession(DriveContext& ctx, const Command& cmd) {
  Disc& d = *LoadedDisc(ctx.state);
  const bool immediate = cmd.byte(1) & 0x01;
  const std::uint8_t function = cmd.byte(2) & 0x07;
  std::uint32_t track = be16(cmd.bytes() + 4);
  const WriteSettings settings = CurrentWriteSettings(ctx.state);
  const bool cd = InfoOf(d).cd;

  std::optional<SenseCode> error;
  long realMs = 0;
  if (InfoOf(d).model == WriteModel::ReadOnly) {
    error = sense::kCannotWriteIncompatibleFormat;
  } else if (Simulating(ctx.state, d)) {
    // Nothing was recorded, so there is nothing to close.
    if (function != 1 && function != 2 && function != 5) error = sense::kInvalidFieldInCdb;
    ctx.state.simulatedBlocks = 0;
    realMs = duration::kCloseTrack;
  } else if (Sequential(d)) {
    switch (function) {
      case 1:
        // FFh names the track being written.
        if (track == 0xFF)
          if (const auto open = InvisibleTrack(d); open && open->index) track = open->number;
        error = vdrive::CloseTrack(d, track);
        realMs = duration::kCloseTrack;
        break;
      case 2: {
        // DVD+R sessions always leave the disc appendable; CD and DVD-R follow the page.
        const bool keep = PlusRecordable(d) || (settings.multiSession == 3 && settings.writeType != 2);
        error = CloseSession(d, keep);
        realMs = cd ? duration::kCloseSessionCd : duration::kCloseSessionDvd;
        break;
      }
      case 5:
      case 6:
        if (function == 6 && !PlusRecordable(d)) {
          error = sense::kInvalidFieldInCdb;
          break;
        }
        error = FinalizeDisc(d);
        realMs = cd ? duration::kCloseSessionCd : duration::kFinalizeDvd;
        break;
      default:
        error = sense::kInvalidFieldInCdb;
    }
  } else if (d.kind == MediumKind::DvdPlusRw) {
    if (function == 0 || function == 2) {
      realMs = duration::kStopBackgroundFormat;
    } else if (function == 3) {
      if (!d.formatted) error = sense::kCommandSequenceError;
      realMs = duration::kCompleteBackgroundFormat;
    } else {
      error = sense::kInvalidFieldInCdb;
    }
  } else if (d.kind == MediumKind::DvdRwRestricted) {
    if (function == 2) {
      d.intermediate = false;  // the growing session becomes part of the overwritable area
      realMs = duration::kCloseSessionDvd;
    } else if (function == 1) {
      realMs = duration::kCloseTrack;
    } else {
      error = sense::kInvalidFieldInCdb;
    }
  } else {
    error = sense::kInvalidFieldInCdb;  // DVD-RAM has nothing to close
  }
  if (error) return ScsiResult::Check(*error);
  // Closing flushes the buffer first.
  const long ms = DrainBuffer(ctx.state, ctx.nowMs) + Scaled(ctx.state, realMs);
  return LongOperation(ctx, Operation::Kind::LongWrite, ms, immediate);
}

ScsiResult ReserveTrack(DriveContext& ctx, const Command& cmd) {
  if (auto error = vdrive::ReserveTrack(*LoadedDisc(ctx.state), be32(cmd.bytes() + 5)))
    return ScsiResult::Check(*error);
  ctx.stateChanged = true;
  return ScsiResult::Good();
}

ScsiResult SendOpcInformation(DriveContext& ctx, const Command& cmd) {
  const Disc& d = *LoadedDisc(ctx.state);
  if (InfoOf(d).model == WriteModel::ReadOnly) return ScsiResult::Check(sense::kCannotWriteIncompatibleFormat);
  ScsiResult r = ScsiResult::Good();
  if (cmd.byte(1) & 0x01) r.delayMs = Scaled(ctx.state, duration::kOpc);
  return r;
}

ScsiResult SendDvdStructure(DriveContext& ctx, const Command& cmd) {
  constexpr std::uint8_t kTimestamp = 0x0F;
  constexpr std::size_t kTimestampLength = 22;
  const Disc& d = *LoadedDisc(ctx.state);
  if (cmd.byte(7) != kTimestamp) return ScsiResult::Check(sense::kInvalidFieldInCdb);
  if (!DashMedium(d)) return ScsiResult::Check(sense::kIncompatibleMedium);
  const std::uint8_t* p = cmd.parameters();
  const std::size_t length = cmd.cdb.transferLength;
  if (length != kTimestampLength || be16(p) != kTimestampLength - 2)
    return ScsiResult::Check(sense::kParameterListLengthError);
  if (std::any_of(p + 2, p + 8, [](std::uint8_t b) { return b != 0; }) ||
      !std::all_of(p + 8, p + kTimestampLength, [](std::uint8_t b) { return std::isdigit(b); }))
    return ScsiResult::Check(sense::kInvalidFieldInParameterList);
  return ScsiResult::Good();
}

}  // namespace kivo::vdrive
