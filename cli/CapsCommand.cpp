// kivoardel-cli caps: what the drive reads and writes, its speeds and its buffer.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/DriveChoice.h"
#include "engine/drive/Capabilities.h"

namespace kivo::cli {

namespace {

struct NamedCapability {
  std::uint32_t bit;
  const char* name;
};

constexpr NamedCapability kCapabilities[] = {
    {kReadsCdR, "reads CD-R"},
    {kReadsCdRw, "reads CD-RW"},
    {kReadsMode2Form2, "reads Mode 2 Form 2"},
    {kReadsDvdRom, "reads DVD-ROM"},
    {kReadsDvdR, "reads DVD-R"},
    {kReadsDvdRw, "reads DVD-RW"},
    {kReadsDvdRam, "reads DVD-RAM"},
    {kReadsDvdPlusR, "reads DVD+R"},
    {kReadsDvdPlusRDl, "reads DVD+R DL"},
    {kReadsDvdPlusRw, "reads DVD+RW"},
    {kWritesCdR, "writes CD-R"},
    {kWritesCdRw, "writes CD-RW"},
    {kTestWrite, "test write"},
    {kWritesDvdR, "writes DVD-R"},
    {kWritesDvdRw, "writes DVD-RW"},
    {kWritesDvdRam, "writes DVD-RAM"},
    {kWritesDvdPlusR, "writes DVD+R"},
    {kWritesDvdPlusRDl, "writes DVD+R DL"},
    {kWritesDvdPlusRw, "writes DVD+RW"},
    {kUnderrunProtection, "buffer underrun protection"},
};

int ShowCapabilities(const std::string& choice) {
  const auto device = OpenDriveComponent();
  if (!device || !SelectNamedDrive(*device, choice)) return 1;
  // Selection has read the capabilities.
  std::cout << "drive: " << device->DeviceId << '\n';
  const std::uint32_t capabilities = device->Capabilities.load();
  for (const auto& capability : kCapabilities) {
    std::cout << capability.name << ": " << ((capabilities & capability.bit) ? "yes" : "no") << '\n';
  }
  std::cout << "maximum read speed: " << device->DeviceMaxReadSpeed.load() << " KB/s\n";
  std::cout << "maximum write speed: " << device->DeviceMaxWriteSpeed.load() << " KB/s\n";
  std::uint32_t length = 0, free = 0;
  if (device->ReadBufferCapacity(length, free)) {
    std::cout << "buffer size: " << length << " bytes\n";
  } else {
    std::cout << "buffer size: unknown (" << device->LastErrorText << ")\n";
  }
  return 0;
}

}  // namespace

void AddCapsCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("caps", "Show what the drive reads and writes, its speeds and its buffer");
  // Kept alive by the callback, which the application owns.
  auto choice = std::make_shared<std::string>();
  command->add_option("-d,--device", *choice, kDeviceOptionHelp);
  command->callback([&exitStatus, choice] { exitStatus = ShowCapabilities(*choice); });
}

}  // namespace kivo::cli
