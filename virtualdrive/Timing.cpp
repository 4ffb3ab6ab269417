#include "virtualdrive/Timing.h"

#include <algorithm>
#include <cmath>

namespace kivo::vdrive {

long Scaled(const DriveState& state, long realMs) {
  return static_cast<long>(std::llround(static_cast<double>(realMs) * state.timeScale));
}

long StartOperation(DriveState& state, Operation::Kind kind, long scaledMs, std::int64_t nowMs) {
  if (scaledMs <= 0) {
    state.operation = {};
    return 0;
  }
  state.operation = {kind, nowMs, nowMs + scaledMs};
  return scaledMs;
}

const Operation* RunningOperation(DriveState& state, std::int64_t nowMs) {
  if (state.operation.kind == Operation::Kind::None) return nullptr;
  if (nowMs >= state.operation.endMs) {
    state.operation = {};
    return nullptr;
  }
  return &state.operation;
}

std::uint16_t Progress(const Operation& op, std::int64_t nowMs) {
  const double span = static_cast<double>(std::max<std::int64_t>(1, op.endMs - op.startMs));
  const double done = std::clamp(static_cast<double>(nowMs - op.startMs) / span, 0.0, 1.0);
  return static_cast<std::uint16_t>(std::min(65535.0, done * 65536.0));
}

namespace {

std::uint16_t RoundDown(std::span<const std::uint16_t> speeds, std::uint16_t requested) {
  if (speeds.empty()) return 0;
  std::uint16_t chosen = speeds.front();
  for (auto s : speeds)
    if (s <= requested) chosen = s;
  return chosen;
}

// Bytes per scaled millisecond the drive writes.
double DrainRate(const DriveState& state) {
  const double kbps = EffectiveWriteSpeed(state);
  return kbps <= 0 || state.timeScale <= 0 ? 0 : kbps / state.timeScale;
}

}  // namespace

std::uint16_t EffectiveWriteSpeed(const DriveState& state) {
  if (!state.disc) return Info(MediumKind::CdR).writeSpeeds.back();
  return RoundDown(Info(state.disc->kind).writeSpeeds, state.writeSpeed);
}

std::uint16_t EffectiveReadSpeed(const DriveState& state) {
  const MediumInfo& info = Info(state.disc ? state.disc->kind : MediumKind::CdR);
  // Requests below 1x (0 among them) get the slowest speed the drive spins at.
  const auto slowest = static_cast<std::uint16_t>(info.cd ? kCdSpeed1x : kDvdSpeed1x);
  return std::clamp(state.readSpeed, slowest, info.maxReadSpeed);
}

std::uint64_t BufferFill(const DriveState& state, std::int64_t nowMs) {
  const double rate = DrainRate(state);
  if (rate <= 0) return 0;
  if (nowMs <= state.bufferAtMs) return state.bufferFill;
  const double drained = static_cast<double>(nowMs - state.bufferAtMs) * rate;
  return drained >= static_cast<double>(state.bufferFill)
             ? 0
             : state.bufferFill - static_cast<std::uint64_t>(drained);
}

long AcceptIntoBuffer(DriveState& state, std::uint64_t bytes, std::int64_t nowMs) {
  const double rate = DrainRate(state);
  if (rate <= 0) {
    state.bufferFill = 0;
    state.bufferAtMs = nowMs;
    return 0;
  }
  const std::uint64_t fill = BufferFill(state, nowMs);
  const std::int64_t base = std::max(nowMs, state.bufferAtMs);
  if (fill + bytes <= kDriveBufferBytes) {
    state.bufferFill = fill + bytes;
    state.bufferAtMs = base;
    return static_cast<long>(base - nowMs);
  }
  // The host waits until enough has drained; then the buffer is full.
  const long wait = static_cast<long>(std::ceil(static_cast<double>(fill + bytes - kDriveBufferBytes) / rate));
  state.bufferFill = kDriveBufferBytes;
  state.bufferAtMs = base + wait;
  return static_cast<long>(state.bufferAtMs - nowMs);
}

long DrainBuffer(DriveState& state, std::int64_t nowMs) {
  const double rate = DrainRate(state);
  const std::uint64_t fill = BufferFill(state, nowMs);
  const std::int64_t base = std::max(nowMs, state.bufferAtMs);
  const long ms = rate <= 0 ? 0 : static_cast<long>(std::ceil(static_cast<double>(fill) / rate));
  state.bufferFill = 0;
  state.bufferAtMs = base + ms;
  return static_cast<long>(base + ms - nowMs);
}

}  // namespace kivo::vdrive
