#include <iostream>

#include "cli/Commands.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo::cli {

namespace {

constexpr const char* kNoTransport =
    "kivoardel-cli: no drive access. No /dev/sr* drive could be opened (a drive the user may not "
    "open is usually fixed by joining the 'cdrom' group), and no ASPI library (libwnaspi32.so, "
    "the virtual recorder) was found beside the program or on the library path.";

int ListDevices() {
  TSCSIDevice device;
  // Engine messages are diagnostics: they must not mix with the list on standard output.
  device.OnDebugMessage = [](TSCSIDevice*, const std::string& message, std::uint8_t) {
    std::cerr << message << '\n';
  };
  // As the main window starts: the built-in pass-through preferred, no library path.
  if (!device.InitializeTransport(true, "")) {
    std::cerr << kNoTransport << '\n';
    return 1;
  }
  for (const auto& line : device.DeviceList) std::cout << line << '\n';
  return 0;
}

}  // namespace

void AddDevicesCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("devices", "List the drives that can be used, one line each");
  command->callback([&exitStatus] { exitStatus = ListDevices(); });
}

}  // namespace kivo::cli
