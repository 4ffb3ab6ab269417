#include "virtualdrive/vrctl/Status.h"

#include <fmt/format.h>

#include "virtualdrive/DiscLayout.h"
#include "virtualdrive/Strings.h"

namespace kivo::vdrive {
namespace {

std::string Line(std::string_view format, auto&&... args) {
  return fmt::format(fmt::runtime(format), std::forward<decltype(args)>(args)...) + "\n";
}

std::string_view DiscCondition(const Disc& d) {
  const DiscSummary s = Summarize(d);
  if (InfoOf(d).model == WriteModel::Overwrite) {
    if (s.status == 0) return text::kStateUnformatted;
    return s.status == 1 ? text::kStateGrowing : text::kStateOverwritable;
  }
  switch (s.status) {
    case 0: return text::kStateEmpty;
    case 1: return text::kStateAppendable;
    default: return text::kStateClosed;
  }
}

std::string DescribeAnswer(const CommandFault& f) {
  switch (f.kind) {
    case CommandFault::Kind::Busy: return fmt::format(fmt::runtime(text::kFaultBusy), f.opcode, f.count);
    case CommandFault::Kind::NotReady: return fmt::format(fmt::runtime(text::kFaultNotReady), f.opcode, f.count);
    case CommandFault::Kind::Sense:
      return fmt::format(fmt::runtime(text::kFaultSense), f.code.key, f.code.asc, f.code.ascq, f.opcode, f.count);
    case CommandFault::Kind::Kill: return fmt::format(fmt::runtime(text::kFaultKill), f.opcode);
    case CommandFault::Kind::Ignore: return fmt::format(fmt::runtime(text::kFaultIgnore), f.opcode, f.count);
  }
  return {};
}

std::string DescribeFault(const CommandFault& f) {
  return DescribeAnswer(f) + (f.skip > 0 ? fmt::format(fmt::runtime(text::kFaultAfter), f.skip) : "");
}

}  // namespace

std::string DescribeDrive(const DriveState& state, const Faults& faults, std::int64_t nowMs) {
  std::string out;
  if (!state.disc) {
    out += Line(text::kStatusNoMedium, state.trayOpen ? text::kTrayOpen : text::kTrayClosed);
  } else {
    const Disc& d = *state.disc;
    out += Line(text::kStatusMedium, InfoOf(d).displayName);
    out += Line(text::kStatusTray, state.trayOpen ? text::kTrayOpen : text::kTrayClosed);
    out += Line(text::kStatusDisc, DiscCondition(d));
    out += Line(text::kStatusCapacity, Capacity(d));
    if (InfoOf(d).model == WriteModel::Sequential) {
      out += Line(text::kStatusSessions, d.closedSessions);
      for (const auto& t : d.tracks) {
        const std::string_view condition =
            t.closed ? text::kTrackComplete : t.reserved ? text::kTrackReserved : text::kTrackOpen;
        out += Line(text::kStatusTrack, t.number, t.session, t.start, t.reserved ? t.reserved : t.written, condition);
      }
      const auto invisible = InvisibleTrack(d);
      out += invisible ? Line(text::kStatusNextWritable, invisible->nextWritable)
                       : Line(text::kStatusNoNextWritable);
    } else if (d.kind == MediumKind::DvdRwRestricted) {
      out += Line(text::kStatusFormatted, d.formattedBlocks);
      if (d.intermediate) out += Line(text::kStatusNextWritable, d.formattedBlocks);
    }
  }
  if (state.operation.kind != Operation::Kind::None && state.operation.endMs > nowMs) {
    const auto name = state.operation.kind == Operation::Kind::Format ? text::kOperationFormat
                                                                      : text::kOperationLongWrite;
    out += Line(text::kStatusBusy, name, state.operation.endMs - nowMs);
  }
  out += Line(text::kStatusTimeScale, state.timeScale);
  for (const auto& f : faults.commands) out += Line(text::kStatusFault, DescribeFault(f));
  for (const auto& c : faults.corruptions)
    out += Line(text::kStatusFault, fmt::format(fmt::runtime(text::kFaultCorrupt), c.count, c.lba));
  for (const auto& m : faults.mediumErrors)
    out += Line(text::kStatusFault, fmt::format(fmt::runtime(text::kFaultMediumError), m.lba, m.count));
  if (faults.noCapabilitiesPage) out += Line(text::kStatusFault, text::kFaultNoCapabilities);
  if (faults.blockDescriptor) out += Line(text::kStatusFault, text::kFaultBlockDescriptor);
  if (faults.noGetConfiguration) out += Line(text::kStatusFault, text::kFaultNoGetConfiguration);
  if (faults.inquiryVendor || faults.inquiryProduct)
    out += Line(text::kStatusFault, fmt::format(fmt::runtime(text::kFaultIdentity), faults.inquiryVendor.value_or(""),
                                                faults.inquiryProduct.value_or("")));
  return out;
}

}  // namespace kivo::vdrive
