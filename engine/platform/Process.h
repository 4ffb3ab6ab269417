// The running process as a whole.
#pragma once

namespace kivo::platform {

// Ends the process at once, the way a hard kill from outside would: no handler, no clean-up,
// no flushing. What a test of crash safety wants to see survive must already be on disk.
[[noreturn]] void KillCurrentProcess();

}  // namespace kivo::platform
