// What the main window's command files share: the compilation's capacities, megabyte texts and
// the safe way to let the window repaint in the middle of a command.
#pragma once

#include <cstdint>
#include <string>

#include <QApplication>

#include "engine/platform/NumberFormat.h"

namespace kivo::app {

inline constexpr std::int32_t kMaxFiles = 600000;
inline constexpr std::int32_t kMaxDirectories = 20000;

inline std::string Megabytes(double bytes) { return platform::FormatFloat("#,##0.00", bytes / 1048576.0); }
inline std::string SectorsInMegabytes(std::int64_t sectors) { return Megabytes(static_cast<double>(sectors * 2048)); }

// User input stays queued, so that a click cannot start a second command inside the first.
inline void ProcessPendingMessages() { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace kivo::app
