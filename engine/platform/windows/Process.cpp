#include "engine/platform/Process.h"

#include <cstdlib>

#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

void KillCurrentProcess() {
  // The exit code a shell reports for a process killed with signal 9.
  constexpr UINT kKilledExitCode = 137;
  ::TerminateProcess(::GetCurrentProcess(), kKilledExitCode);
  std::abort();  // not reached: the call does not return for the current process
}

}  // namespace kivo::platform
