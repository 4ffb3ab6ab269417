#include <iostream>

#include "cli/Commands.h"
#include "cli/DriveChoice.h"

namespace kivo::cli {

namespace {

int ListDevices() {
  const auto device = OpenDriveComponent();
  if (!device) return 1;
  for (const auto& line : device->DeviceList) std::cout << line << '\n';
  return 0;
}

}  // namespace

void AddDevicesCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("devices", "List the drives that can be used, one line each");
  command->callback([&exitStatus] { exitStatus = ListDevices(); });
}

}  // namespace kivo::cli
