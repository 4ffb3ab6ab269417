// The configuration file as the main window reads it at start-up, as the keep-path box writes it
// and as the settings window saves it: section "KivoArdelOpcije" of KivoArdel.ini.
#pragma once

#include <cstdint>
#include <string>

#include "engine/platform/PrivateProfile.h"

namespace kivo {
class TZelvoBurner;
}

namespace kivo::app {

inline constexpr char kOptionsSection[] = "KivoArdelOpcije";

// The keep-path box's three states.
enum class KeepPath { Unchecked, Checked, Grayed };

// The window's own option fields; everything else lives on the burner.
struct WindowOptions {
  bool ArchiveOnly = false;
  bool EjectWhenDone = false;
  bool ShowFilesBeforeWrite = false;
  bool ImportPreviousSession = false;
  std::int8_t SessionToImport = 0;
  bool QuickSaveISO = false;
  bool VerifyAfterRecording = false;
};

// Reads the sixteen keys, in their order, into the option fields, the keep-path state and the
// burner's properties; a missing key keeps the default (or the burner's current value).
void ReadConfiguration(const platform::PrivateProfile& file, WindowOptions& options, KeepPath& keepPath,
                       TZelvoBurner& burner);

// "Checked", "Grayed" or "Unchecked"; false with file.error() when the file could not be written.
bool WriteKeepPath(platform::PrivateProfile& file, KeepPath keepPath);

// Saves all sixteen keys in one replacement of the file, so that a refused value or a failing
// disk leaves the old settings whole rather than half of the new ones; false with file.error().
bool WriteConfiguration(platform::PrivateProfile& file, const WindowOptions& options, KeepPath keepPath,
                        const TZelvoBurner& burner);

}  // namespace kivo::app
