#include "virtualdrive/Model.h"

#include <algorithm>
#include <cstring>

#include "virtualdrive/Sense.h"
#include "virtualdrive/Timing.h"

namespace kivo::vdrive {
namespace {

struct Dispatch {
  std::uint8_t opcode;
  Handler handler;
  bool needsMedium;
  bool duringOperation;  // answered while a long operation runs
};

constexpr Dispatch kDispatch[] = {
    {op::kTestUnitReady, TestUnitReady, true, false},
    {op::kRezeroUnit, RezeroUnit, true, false},
    {op::kRequestSense, RequestSense, false, true},
    {op::kFormatUnit, FormatUnit, true, false},
    {op::kInquiry, Inquiry, false, true},
    {op::kStartStopUnit, StartStopUnit, false, false},
    {op::kPreventAllowRemoval, PreventAllowRemoval, false, false},
    {op::kReadFormatCapacities, ReadFormatCapacities, true, false},
    {op::kReadCapacity, ReadCapacity, true, false},
    {op::kRead10, Read10, true, false},
    {op::kWrite10, Write10, true, false},
    {op::kSynchronizeCache, SynchronizeCache, true, false},
    {op::kReadToc, ReadToc, true, false},
    {op::kGetConfiguration, GetConfiguration, false, true},
    {op::kReadDiscInformation, ReadDiscInformation, true, false},
    {op::kReadTrackInformation, ReadTrackInformation, true, false},
    {op::kReserveTrack, ReserveTrack, true, false},
    {op::kSendOpcInformation, SendOpcInformation, true, false},
    {op::kModeSelect10, ModeSelect, false, false},
    {op::kModeSense10, ModeSense, false, true},
    {op::kCloseTrackSession, CloseTrackSession, true, false},
    {op::kReadBufferCapacity, ReadBufferCapacity, false, true},
    {op::kBlank, Blank, true, false},
    {op::kSetStreaming, SetStreaming, false, false},
    {op::kSetCdSpeed, SetCdSpeed, false, false},
    {op::kSendDvdStructure, SendDvdStructure, true, false},
};

const Dispatch* FindDispatch(std::uint8_t opcode) {
  for (const auto& d : kDispatch)
    if (d.opcode == opcode) return &d;
  return nullptr;
}

ScsiResult Failed(SenseCode code) { return ScsiResult::Check(code); }

ScsiResult FaultAnswer(DriveContext& ctx, const CommandFault& fault) {
  switch (fault.kind) {
    case CommandFault::Kind::Busy: return ScsiResult::Busy();
    case CommandFault::Kind::NotReady: return ScsiResult::Check(sense::kNotReady);
    case CommandFault::Kind::Sense: return ScsiResult::Check(fault.code);
    case CommandFault::Kind::Ignore: return ScsiResult::Good(0);
    case CommandFault::Kind::Kill: break;
  }
  ctx.killSender = true;
  return ScsiResult::Busy();  // never seen: the sender is gone
}

}  // namespace

ScsiResult NoMedium(const DriveState& state) {
  return ScsiResult::Check(state.trayOpen ? sense::kNoMediumTrayOpen : sense::kNoMediumTrayClosed);
}

ScsiResult Command::Reply(const std::vector<std::uint8_t>& data) const {
  const std::size_t n = std::min<std::size_t>(data.size(), cdb.transferLength);
  if (n) std::memcpy(request.data, data.data(), n);
  return ScsiResult::Good(n);
}

ScsiResult ExecuteCommand(DriveContext& ctx, const ScsiRequest& request) {
  const std::uint8_t opcode = request.cdb && request.cdbLength ? request.cdb[0] : 0;
  if (request.cdb && request.cdbLength) {
    // A skipped command changes the fault script too.
    const std::vector<CommandFault> before = ctx.faults.commands;
    const auto fault = ctx.faults.TakeCommandFault(opcode);
    if (ctx.faults.commands != before) ctx.faultsChanged = true;
    if (fault) return FaultAnswer(ctx, *fault);
  }
  if (opcode == op::kGetConfiguration && ctx.faults.noGetConfiguration && request.cdbLength)
    return Failed(sense::kInvalidOpcode);

  const DecodeResult decoded = DecodeCdb(request);
  if (!decoded.cdb) return Failed(decoded.error);
  const Dispatch* dispatch = FindDispatch(decoded.cdb->rule->opcode);

  const bool hadOperation = ctx.state.operation.kind != Operation::Kind::None;
  const Operation* running = RunningOperation(ctx.state, ctx.nowMs);
  if (hadOperation && !running) ctx.stateChanged = true;
  if (running && !dispatch->duringOperation) {
    const SenseCode code = running->kind == Operation::Kind::Format ? sense::kFormatInProgress
                                                                    : sense::kLongWriteInProgress;
    return ScsiResult::Check(code, Progress(*running, ctx.nowMs));
  }
  if (dispatch->needsMedium && !LoadedDisc(ctx.state)) return NoMedium(ctx.state);

  const Command command{*decoded.cdb, request};
  return dispatch->handler(ctx, command);
}

}  // namespace kivo::vdrive
