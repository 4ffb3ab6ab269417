#include "cli/DriveChoice.h"

#include <iostream>

#include "cli/ShownText.h"
#include "cli/Strings.h"

namespace kivo::cli {

namespace {

constexpr const char* kNoDrives = "kivoardel-cli: no CD or DVD drive was found.";
constexpr const char* kNoSuchDrive = "kivoardel-cli: no drive matches \"";
constexpr const char* kNotSelected = "kivoardel-cli: the drive could not be selected: ";
constexpr std::size_t kAddressLength = 5;  // "0:0:0"

// "0:0:0,sr0: vendor ..." -> "sr0"
std::string LabelOf(const std::string& line) {
  const auto comma = line.find(',');
  if (comma == std::string::npos) return {};
  const auto colon = line.find(':', comma + 1);
  if (colon == std::string::npos) return {};
  return line.substr(comma + 1, colon - comma - 1);
}

}  // namespace

bool StartTransport(TSCSIDevice& device) {
  // Engine messages are diagnostics: they must not mix with a command's output.
  device.OnDebugMessage = [](TSCSIDevice*, const std::string& message, std::uint8_t) {
    std::cerr << Shown(message) << '\n';  // names from a disc or the user's folders in it
  };
  // As the main window starts: the built-in pass-through preferred, no library path.
  if (!device.InitializeTransport(true, "")) {
    std::cerr << text::kNoDriveAccess << '\n';
    return false;
  }
  return true;
}

std::optional<std::string> FindDeviceLine(const std::vector<std::string>& deviceList, const std::string& choice) {
  if (deviceList.empty()) return std::nullopt;
  if (choice.empty()) return deviceList.front();
  for (const auto& line : deviceList) {
    if (line == choice) return line;
  }
  for (const auto& line : deviceList) {
    if (choice.size() == kAddressLength && line.compare(0, kAddressLength, choice) == 0) return line;
  }
  for (const auto& line : deviceList) {
    if (LabelOf(line) == choice) return line;
  }
  return std::nullopt;
}

bool SelectNamedDrive(TSCSIDevice& device, const std::string& choice) {
  const auto line = FindDeviceLine(device.DeviceList, choice);
  if (!line) {
    if (device.DeviceList.empty()) {
      std::cerr << kNoDrives << '\n';
    } else {
      std::cerr << kNoSuchDrive << choice << "\". Drives:\n";
      for (const auto& known : device.DeviceList) std::cerr << "  " << known << '\n';
    }
    return false;
  }
  device.SelectDevice(*line);
  if (device.HostAdapter == kNoDevice) {
    std::cerr << kNotSelected << *line << '\n';
    return false;
  }
  return true;
}

}  // namespace kivo::cli
