// Thread priorities and names through the system's own thread calls.
#include "engine/platform/Threads.h"

#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

int SystemPriorityOf(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Idle: return THREAD_PRIORITY_IDLE;
    case ThreadPriority::Lowest: return THREAD_PRIORITY_LOWEST;
    case ThreadPriority::BelowNormal: return THREAD_PRIORITY_BELOW_NORMAL;
    case ThreadPriority::Normal: return THREAD_PRIORITY_NORMAL;
    case ThreadPriority::TimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}

}  // namespace

// Windows lets a thread return to a higher priority within its process's class without any
// privilege, so every change is made as asked. A refusal only costs speed: not reported.
void SetCurrentThreadPriority(ThreadPriority priority) {
  (void)::SetThreadPriority(::GetCurrentThread(), SystemPriorityOf(priority));
}

void SetCurrentThreadName(const char* name) {
  // SetThreadDescription came with Windows 10; on older systems the thread stays unnamed.
  using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  static const auto setDescription = reinterpret_cast<SetDescription>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
  if (setDescription != nullptr) (void)setDescription(::GetCurrentThread(), win32::Wide(name).c_str());
}

}  // namespace kivo::platform
