// Console control events: Ctrl-C, Ctrl-Break, a closed console window, logoff and shutdown.
#include "engine/platform/Console.h"

#include <atomic>

#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

std::atomic<void (*)()> catcher{nullptr};

BOOL WINAPI OnControlEvent(DWORD) {
  auto* handler = catcher.load();
  if (handler == nullptr) return FALSE;
  handler();
  return TRUE;
}

}  // namespace

void CatchStopRequests(void (*handler)()) {
  catcher.store(handler);
  ::SetConsoleCtrlHandler(OnControlEvent, TRUE);
}

void RestoreStopRequests() {
  ::SetConsoleCtrlHandler(OnControlEvent, FALSE);
  catcher.store(nullptr);
}

bool ErrorOutputIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace kivo::platform
