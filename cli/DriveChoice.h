// Reaching a drive from the command line: the transport started as the main window starts it,
// and the drive the user named with -d (a device list line, its address "0:0:0", or the drive's
// label), or the first drive.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/drive/TSCSIDevice.h"

namespace kivo::cli {

inline constexpr const char* kDeviceOptionHelp =
    "the drive: a line of 'devices', its address (0:0:0) or its label; default: the first drive";

// Starts the transport on a component of any kind (the drive component, or the burner that
// derives from it) with engine messages going to standard error; false (with the reason
// printed) when no transport could be loaded.
bool StartTransport(TSCSIDevice& device);

// The drive component or the burner with its transport started; null when that failed.
template <class Component = TSCSIDevice>
std::unique_ptr<Component> OpenDriveComponent() {
  auto component = std::make_unique<Component>();
  if (!StartTransport(*component)) return nullptr;
  return component;
}

// The device list line that choice names; the first line for an empty choice.
std::optional<std::string> FindDeviceLine(const std::vector<std::string>& deviceList, const std::string& choice);

// Selects the named drive; false (with the reason printed) when there is none to select.
bool SelectNamedDrive(TSCSIDevice& device, const std::string& choice);

}  // namespace kivo::cli
