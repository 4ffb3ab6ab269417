// Blanking and formatting: the two ways a rewritable disc starts over.
#include "virtualdrive/Bytes.h"
#include "virtualdrive/Command.h"
#include "virtualdrive/DiscLayout.h"
#include "virtualdrive/Sense.h"
#include "virtualdrive/Timing.h"

namespace kivo::vdrive {
namespace {

std::uint32_t AlignEcc(std::uint32_t blocks) { return (blocks + kDvdEccBlock - 1) / kDvdEccBlock * kDvdEccBlock; }

// The disc becomes another (or a fresh) medium of its kind; its data is gone.
void Replace(DriveContext& ctx, Disc disc) {
  const bool kindChanged = ctx.state.disc->kind != disc.kind;
  *ctx.state.disc = std::move(disc);
  if (kindChanged) ctx.state.writeParameters = DefaultWriteParameters(ctx.state.disc->kind);
  ctx.state.simulatedBlocks = 0;
  ctx.sectorsCleared = true;
  ctx.stateChanged = true;
}

ScsiResult Started(DriveContext& ctx, Operation::Kind kind, long realMs, bool immediate) {
  const long ms = StartOperation(ctx.state, kind, Scaled(ctx.state, realMs), ctx.nowMs);
  ctx.stateChanged = true;
  ScsiResult r = ScsiResult::Good();
  if (!immediate) r.delayMs = ms;
  return r;
}

struct FormatRequest {
  std::uint32_t blocks;
  std::uint8_t type;
  std::uint8_t subtype;
  std::uint32_t parameter;
  bool quickCertification;  // DCRT
};

std::optional<SenseCode> FormatDvdRw(DriveContext& ctx, const FormatRequest& f, long& realMs) {
  Disc& d = *LoadedDisc(ctx.state);
  const std::uint32_t cap = Capacity(d);
  const bool restricted = d.kind == MediumKind::DvdRwRestricted;
  if (f.parameter != kDvdEccBlock && !(f.type == 0x00 && f.parameter == 0))
    return sense::kInvalidFieldInParameterList;
  Disc next = BlankDisc(MediumKind::DvdRwRestricted);
  switch (f.type) {
    case 0x00:
    case 0x10:  // full format to the size asked for
      if (f.blocks == 0 || f.blocks > cap) return sense::kInvalidFieldInParameterList;
      next.formattedBlocks = AlignEcc(f.blocks);
      realMs = duration::kFormatDvdRwFull;
      break;
    case 0x13:  // quick grow: the last session grows again sequentially
      if (!restricted || d.intermediate || f.blocks > cap - d.formattedBlocks)
        return sense::kInvalidFieldInParameterList;
      next = d;
      next.formattedBlocks = std::min(cap, AlignEcc(d.formattedBlocks + f.blocks));
      next.intermediate = true;
      realMs = duration::kFormatDvdRwGrow;
      *ctx.state.disc = next;  // the data stays
      ctx.stateChanged = true;
      return std::nullopt;
    case 0x15:  // quick format: a small formatted area that grows as it is written
      if (f.blocks > cap) return sense::kInvalidFieldInParameterList;
      next.formattedBlocks = AlignEcc(f.blocks);
      next.intermediate = true;
      realMs = duration::kFormatDvdRwQuick;
      break;
    default:
      return sense::kInvalidFieldInParameterList;
  }
  Replace(ctx, next);
  return std::nullopt;
}

}  // namespace

ScsiResult Blank(DriveContext& ctx, const Command& cmd) {
  const Disc& d = *LoadedDisc(ctx.state);
  const bool immediate = cmd.byte(1) & 0x10;
  const std::uint8_t type = cmd.byte(1) & 0x07;
  const bool rewritable = d.kind == MediumKind::CdRw || d.kind == MediumKind::DvdRwSequential ||
                          d.kind == MediumKind::DvdRwRestricted;
  if (!rewritable) return ScsiResult::Check(sense::kIncompatibleMedium);
  if (type > 1) return ScsiResult::Check(sense::kInvalidFieldInCdb);  // only whole-disc blanking
  Replace(ctx, BlankDisc(d.kind == MediumKind::CdRw ? MediumKind::CdRw : MediumKind::DvdRwSequential));
  return Started(ctx, Operation::Kind::LongWrite, type == 1 ? duration::kBlankMinimal : duration::kBlankFull,
                 immediate);
}

ScsiResult FormatUnit(DriveContext& ctx, const Command& cmd) {
  Disc& d = *LoadedDisc(ctx.state);
  // MMC drives format only from a parameter list (FmtData with format code 001b).
  if ((cmd.byte(1) & 0x17) != 0x11) return ScsiResult::Check(sense::kInvalidFieldInCdb);
  const std::uint8_t* list = cmd.parameters();
  constexpr std::uint16_t kDescriptorLength = 8;
  if (be16(list + 2) != kDescriptorLength) return ScsiResult::Check(sense::kParameterListLengthError);
  const std::uint8_t flags = list[1];
  const bool optionsValid = flags & 0x80;  // FOV
  const bool immediate = flags & 0x02;
  // DPRY, STPF, IP and try-out are not supported; DCRT only means something with FOV.
  if (list[0] || (flags & 0x5C) || (!optionsValid && (flags & 0x20)))
    return ScsiResult::Check(sense::kInvalidFieldInParameterList);
  const FormatRequest f{be32(list + 4), static_cast<std::uint8_t>(list[8] >> 2),
                        static_cast<std::uint8_t>(list[8] & 0x03), be24(list + 9),
                        optionsValid && (flags & 0x20)};
  if (f.subtype != 0) return ScsiResult::Check(sense::kInvalidFieldInParameterList);

  long realMs = 0;
  std::optional<SenseCode> error;
  switch (d.kind) {
    case MediumKind::DvdPlusRw:
      if (f.type != 0x26 || f.parameter != 0 || (f.blocks > Capacity(d) && f.blocks != 0xFFFFFFFF)) {
        error = sense::kInvalidFieldInParameterList;
        break;
      }
      // Basic format starts in the background; a formatted disc keeps its data.
      if (!d.formatted) {
        d.formatted = true;
        ctx.stateChanged = true;
      }
      realMs = duration::kFormatDvdPlusRw;
      break;
    case MediumKind::DvdRam:
      if (f.type != 0x00 || f.parameter != kBlockSize || f.blocks == 0 || f.blocks > Capacity(d)) {
        error = sense::kInvalidFieldInParameterList;
        break;
      }
      Replace(ctx, BlankDisc(MediumKind::DvdRam));
      realMs = f.quickCertification ? duration::kFormatDvdRamQuick : duration::kFormatDvdRamFull;
      break;
    case MediumKind::DvdRwSequential:
    case MediumKind::DvdRwRestricted:
      error = FormatDvdRw(ctx, f, realMs);
      break;
    default:
      error = sense::kCannotFormatIncompatibleMedium;
  }
  if (error) return ScsiResult::Check(*error);
  return Started(ctx, Operation::Kind::Format, realMs, immediate);
}

}  // namespace kivo::vdrive
