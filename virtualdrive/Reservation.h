// RESERVE(6) and RELEASE(6), and what a command from another recorder meets while the drive is
// reserved. Each recorder stands for one initiator (one process in practice).
//
// The reservation is narrower than SPC's: it keeps other initiators from changing the disc or
// the drive's settings, while the commands that only look (identity, disc and track readings,
// READ) still pass, so that another program can show what is on the disc during a recording.
#pragma once

#include <optional>

#include "virtualdrive/Scsi.h"
#include "virtualdrive/StateFolder.h"

namespace kivo::vdrive {

// The answer to RESERVE or RELEASE, or RESERVATION CONFLICT for a command that another
// recorder's reservation keeps out; nullopt when the command goes on to the drive. Call it
// under the folder's lock.
std::optional<ScsiResult> AnswerReservation(StateFolder& folder, const ScsiRequest& request);

}  // namespace kivo::vdrive
