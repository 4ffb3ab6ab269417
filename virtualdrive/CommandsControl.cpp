// Readiness, the tray, speeds and the buffer.
#include <algorithm>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/Command.h"
#include "virtualdrive/Sense.h"
#include "virtualdrive/Timing.h"

namespace kivo::vdrive {

ScsiResult TestUnitReady(DriveContext&, const Command&) { return ScsiResult::Good(); }

ScsiResult RezeroUnit(DriveContext&, const Command&) { return ScsiResult::Good(); }

// With autosense every failure's sense already reached the host; what remains to report is the
// drive's standing condition: a running operation with its progress, or a missing medium.
ScsiResult RequestSense(DriveContext& ctx, const Command& cmd) {
  SenseData data = MakeSense(sense::kNoSense);
  if (const Operation* op = RunningOperation(ctx.state, ctx.nowMs)) {
    data = MakeSense(op->kind == Operation::Kind::Format ? sense::kFormatInProgress : sense::kLongWriteInProgress,
                     Progress(*op, ctx.nowMs));
  } else if (!LoadedDisc(ctx.state)) {
    data = NoMedium(ctx.state).sense;
  }
  return cmd.Reply({data.begin(), data.end()});
}

ScsiResult StartStopUnit(DriveContext& ctx, const Command& cmd) {
  const bool loadEject = cmd.byte(4) & 0x02;
  const bool start = cmd.byte(4) & 0x01;
  if (!loadEject) return LoadedDisc(ctx.state) || !start ? ScsiResult::Good() : NoMedium(ctx.state);
  if (start) {
    if (ctx.state.trayOpen) {
      ctx.state.trayOpen = false;
      ctx.stateChanged = true;
    }
    return ScsiResult::Good();
  }
  if (ctx.state.preventRemoval) return ScsiResult::Check(sense::kRemovalPrevented);
  if (!ctx.state.trayOpen) {
    ctx.state.trayOpen = true;
    ctx.state.simulatedBlocks = 0;
    ctx.stateChanged = true;
  }
  return ScsiResult::Good();
}

ScsiResult PreventAllowRemoval(DriveContext& ctx, const Command& cmd) {
  const bool prevent = cmd.byte(4) & 0x01;
  if (ctx.state.preventRemoval != prevent) {
    ctx.state.preventRemoval = prevent;
    ctx.stateChanged = true;
  }
  return ScsiResult::Good();
}

ScsiResult SetCdSpeed(DriveContext& ctx, const Command& cmd) {
  ctx.state.readSpeed = be16(cmd.bytes() + 2);
  ctx.state.writeSpeed = be16(cmd.bytes() + 4);
  ctx.stateChanged = true;
  return ScsiResult::Good();
}

ScsiResult SetStreaming(DriveContext& ctx, const Command& cmd) {
  constexpr std::uint32_t kDescriptorLength = 28;
  if (cmd.cdb.transferLength != kDescriptorLength) return ScsiResult::Check(sense::kParameterListLengthError);
  const std::uint8_t* d = cmd.parameters();
  if ((d[0] & 0xE0) || d[1] || d[2] || d[3]) return ScsiResult::Check(sense::kInvalidFieldInParameterList);
  const std::uint32_t startLba = be32(d + 4);
  const std::uint32_t endLba = be32(d + 8);
  const std::uint32_t readSize = be32(d + 12), readTime = be32(d + 16);
  const std::uint32_t writeSize = be32(d + 20), writeTime = be32(d + 24);
  if (startLba > endLba || readTime == 0 || writeTime == 0)
    return ScsiResult::Check(sense::kInvalidFieldInParameterList);
  auto speed = [](std::uint32_t size, std::uint32_t time) {
    const std::uint64_t kbps = std::uint64_t{size} * 1000 / time;
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(kbps, 0xFFFF));
  };
  ctx.state.readSpeed = speed(readSize, readTime);
  ctx.state.writeSpeed = speed(writeSize, writeTime);
  ctx.stateChanged = true;
  return ScsiResult::Good();
}

ScsiResult ReadBufferCapacity(DriveContext& ctx, const Command& cmd) {
  const bool inBlocks = cmd.byte(1) & 0x01;
  const std::uint64_t free = kDriveBufferBytes - BufferFill(ctx.state, ctx.nowMs);
  std::vector<std::uint8_t> reply(12, 0);
  put16(&reply[0], 10);
  if (inBlocks) {
    reply[7] = 0x01;
    put32(&reply[8], static_cast<std::uint32_t>(free / kBlockSize));
  } else {
    put32(&reply[4], static_cast<std::uint32_t>(kDriveBufferBytes));
    put32(&reply[8], static_cast<std::uint32_t>(free));
  }
  return cmd.Reply(reply);
}

}  // namespace kivo::vdrive
