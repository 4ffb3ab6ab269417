// The ASPI library's two entry points. The engine loads this library like any ASPI manager and
// finds the virtual recorder as host adapter 0, target 0, LUN 0.
#include <memory>

#include "engine/platform/Aspi.h"
#include "virtualdrive/StateFolder.h"
#include "virtualdrive/aspi/AspiManager.h"

namespace {

kivo::vdrive::AspiManager& Manager() {
  // Created on first use (the folder is read from the environment then) and shut down when
  // the library is unloaded, after finishing the queued requests.
  static kivo::vdrive::AspiManager manager([] {
    std::string error;
    return std::make_unique<kivo::vdrive::VirtualRecorder>(kivo::vdrive::DefaultStateFolder(error));
  }());
  return manager;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) std::uint32_t SendASPI32Command(void* srb) { return Manager().Send(srb); }

__attribute__((visibility("default"))) std::uint32_t GetASPI32SupportInfo() {
  return (std::uint32_t{SS_COMP} << 8) | 1;  // status, one host adapter
}

}  // extern "C"
