// Starting an erase: the drive is loaded and made ready, the write set-up is reset, and the
// erase command goes out with IMMED where the medium has one (BLANK on CD-RW and DVD-RW,
// FORMAT UNIT on DVD+RW and for a full erase of DVD-RAM); a quick DVD-RAM erase only writes
// zeros. The waiting is left to TEraseThread.
#pragma once

#include <cstdint>

#include "engine/record/EraseThread.h"

namespace kivo {

class TSCSIDevice;

// True when the drive took the erase command and the erase thread runs; Done then comes from
// that thread at its end. False after Done(true) when the drive refused the command. False
// without Done when the drive did not become ready, or when an erase or a recording is running
// already (nothing is sent to the drive then).
bool EraseDisc(TSCSIDevice& Device, bool Quick, EraseDoneSink Done);

}  // namespace kivo
