// The choice between the system's pass-through calls and a test's replacements.
#include <atomic>

#include "engine/platform/ScsiPassThrough.h"

namespace kivo::platform {

namespace {

std::atomic<ScsiDeviceOps*> installed{nullptr};

}  // namespace

ScsiDeviceOps& CurrentScsiDeviceOps() {
  ScsiDeviceOps* ops = installed.load();
  return ops != nullptr ? *ops : SystemScsiDeviceOps();
}

void InstallScsiDeviceOps(ScsiDeviceOps* replacement) { installed.store(replacement); }

}  // namespace kivo::platform
