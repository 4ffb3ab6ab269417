// The drive: one command in, status and sense out. Works on a state held by the caller, so
// the same model serves the persistent recorder and in-memory tests and fuzzing.
#pragma once

#include "virtualdrive/Command.h"

namespace kivo::vdrive {

ScsiResult ExecuteCommand(DriveContext& context, const ScsiRequest& request);

}  // namespace kivo::vdrive
