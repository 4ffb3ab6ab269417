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

// The drive component with its transport loaded and engine messages going to standard error;
// null (with the reason printed) when no transport could be loaded.
std::unique_ptr<TSCSIDevice> OpenDriveComponent();

// The device list line that choice names; the first line for an empty choice.
std::optional<std::string> FindDeviceLine(const std::vector<std::string>& deviceList, const std::string& choice);

// Selects the named drive; false (with the reason printed) when there is none to select.
bool SelectNamedDrive(TSCSIDevice& device, const std::string& choice);

}  // namespace kivo::cli
