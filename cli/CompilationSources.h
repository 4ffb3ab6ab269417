// The compilation as the commands that make one (mkiso, burn) take it from the command line:
// the volume's options and the sources, added the way the main window adds its ticked rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace kivo {
class TZelvoBurner;
}

namespace kivo::cli {

// The capacities the main window resets its compilation to: every command that fills one, from
// sources or from a session of the disc, takes in as much.
inline constexpr std::int32_t kMaxFiles = 600000;
inline constexpr std::int32_t kMaxDirectories = 20000;

struct CompilationOptions {
  std::string volume;
  bool noJoliet = false;
  std::string bootImage;
  std::string keepPath = "none";
  bool replace = false;
  bool largeFiles = false;
  std::vector<std::string> sources;
};

// Registers --volume, --no-joliet, --boot, --keep-path, --replace, --large-files and SOURCE...
// on a command.
void AddCompilationOptions(CLI::App& command, CompilationOptions& options);

// A fresh compilation of the sources with the options applied and empty directories pruned.
// Returns the reason when a source or the boot image is missing (nothing else is reported
// here: the burner says itself what it could not add).
// importSession: a session of the disc carried over before the sources are added, as the
// main window imports it (0: none), so that a source of the same name meets the imported entry
// and, with --replace, takes it over. A session the disc does not hold, or one that cannot be
// read, is a reason: the burn must not go on without it.
// leftOut, when given, counts the sources the burner reported it could not add (each named in
// its own message).
std::string FillCompilation(TZelvoBurner& burner, const CompilationOptions& options,
                            std::int32_t importSession = 0, int* leftOut = nullptr);

// The exit status of a command that recorded or saved everything it could, but left sources out.
inline constexpr int kExitSourcesLeftOut = 2;
// The line that says so, and the status; ls and extract leave out entries of the disc.
int ReportLeftOut(const std::string& command, int leftOut, const std::string& one = "source",
                  const std::string& many = "sources");

}  // namespace kivo::cli
