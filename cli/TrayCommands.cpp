// kivoardel-cli eject | load | ready: the tray and the drive's readiness.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/DriveChoice.h"

namespace kivo::cli {

namespace {

enum class TrayAction { Eject, Load, Ready };

int Run(TrayAction action, const std::string& choice) {
  const auto device = OpenDriveComponent();
  if (!device || !SelectNamedDrive(*device, choice)) return 1;
  device->BeginUserOperation();
  switch (action) {
    case TrayAction::Eject:
    case TrayAction::Load:
      if (device->LoadEject(action == TrayAction::Eject)) return 0;
      std::cerr << "kivoardel-cli: " << device->LastErrorText << '\n';
      return 1;
    case TrayAction::Ready:
      if (device->TestUnitReady(kReadyTimeoutMs)) {
        std::cout << "ready\n";
        return 0;
      }
      std::cout << "not ready: " << device->LastErrorText << '\n';
      return 1;
  }
  return 1;
}

void Add(CLI::App& app, int& exitStatus, const char* name, const char* description, TrayAction action) {
  auto* command = app.add_subcommand(name, description);
  // Kept alive by the callback, which the application owns.
  auto choice = std::make_shared<std::string>();
  command->add_option("-d,--device", *choice, kDeviceOptionHelp);
  command->callback([&exitStatus, choice, action] { exitStatus = Run(action, *choice); });
}

}  // namespace

void AddTrayCommands(CLI::App& app, int& exitStatus) {
  Add(app, exitStatus, "eject", "Open the drive's tray", TrayAction::Eject);
  Add(app, exitStatus, "load", "Close the drive's tray", TrayAction::Load);
  Add(app, exitStatus, "ready", "Tell whether the drive is ready (exit status 0) or not (1)", TrayAction::Ready);
}

}  // namespace kivo::cli
