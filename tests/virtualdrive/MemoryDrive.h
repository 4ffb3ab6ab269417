// The drive model without a folder: state, faults and data in memory, and a clock the test
// moves by hand.
#pragma once

#include "MmcHost.h"
#include "virtualdrive/DriveState.h"
#include "virtualdrive/Faults.h"
#include "virtualdrive/Model.h"
#include "virtualdrive/SectorStore.h"

namespace kivo::vdrive::test {

struct MemoryDrive {
  DriveState state;
  Faults faults;
  MemorySectorStore sectors;
  std::int64_t nowMs = 1'000'000;
  Host host{[this](const ScsiRequest& r) {
    DriveContext ctx{state, faults, sectors, nowMs};
    ScsiResult result = ExecuteCommand(ctx, r);
    if (ctx.sectorsCleared) sectors.Clear();
    return result;
  }};

  explicit MemoryDrive(std::optional<MediumKind> kind = std::nullopt, double timeScale = 0) {
    state.timeScale = timeScale;
    if (kind) LoadMedium(state, BlankDisc(*kind));
  }
};

}  // namespace kivo::vdrive::test
