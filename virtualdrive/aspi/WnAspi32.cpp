// The ASPI library's two entry points. The engine loads this library like any ASPI manager and
// finds the virtual recorder as host adapter 0, target 0, LUN 0.
#include <memory>

#include "engine/platform/Aspi.h"
#include "virtualdrive/StateFolder.h"
#include "virtualdrive/aspi/AspiManager.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::unique_ptr<kivo::vdrive::VirtualRecorder> MakeRecorder() {
  std::string error;
  return std::make_unique<kivo::vdrive::VirtualRecorder>(kivo::vdrive::DefaultStateFolder(error));
}

#ifdef _WIN32
// Windows cannot stop the manager's worker thread while a DLL is unloaded (a thread that ends
// needs the loader's lock, which the unloading thread holds), nor join it once the process ends
// (the system has ended it already). So the library stays loaded from its first request until
// the process ends, a FreeLibrary of the engine's only drops its own reference, a reload finds
// the same manager, and the manager is never destroyed: every command's effect is on disk
// before the command completes, so nothing is lost with it.
kivo::vdrive::AspiManager& Manager() {
  static kivo::vdrive::AspiManager* const manager = [] {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&MakeRecorder), &self);
    return new kivo::vdrive::AspiManager(MakeRecorder());
  }();
  return *manager;
}
#else
kivo::vdrive::AspiManager& Manager() {
  // Created on first use (the folder is read from the environment then) and shut down when
  // the library is unloaded, after finishing the queued requests.
  static kivo::vdrive::AspiManager manager(MakeRecorder());
  return manager;
}
#endif

}  // namespace

// The two names the engine looks up, undecorated: WNASPI32.DLL's exports on Windows, the
// shared library's only visible symbols elsewhere.
#ifdef _WIN32
#define KIVO_ASPI_ENTRY __declspec(dllexport)
#else
#define KIVO_ASPI_ENTRY __attribute__((visibility("default")))
#endif

extern "C" {

KIVO_ASPI_ENTRY std::uint32_t SendASPI32Command(void* srb) { return Manager().Send(srb); }

KIVO_ASPI_ENTRY std::uint32_t GetASPI32SupportInfo() {
  return (std::uint32_t{SS_COMP} << 8) | 1;  // status, one host adapter
}

}  // extern "C"
