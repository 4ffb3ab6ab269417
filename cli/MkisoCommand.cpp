// mkiso: an image file of the sources given, made the way the main window saves an image: a
// fresh compilation, each source added as a ticked row, empty directories pruned, and the
// save, which lays the image out. The quick save writes on this thread; --streamed goes
// through the recording's cache and writer threads. Either way an older file of the output's
// name is replaced only by a complete image.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/CompilationSources.h"
#include "cli/Progress.h"
#include "cli/ShownText.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Files.h"
#include "engine/platform/PathWithin.h"
#include "engine/platform/ReplacementFile.h"

namespace kivo::cli {

namespace {

struct MkisoOptions {
  std::string output;
  bool streamed = false;
  CompilationOptions compilation;
};

// An image over one of its sources, or among the files it is made of, would read itself or
// destroy what it copies: such an output is refused before anything is read or written.
std::string OutputAmongSources(const MkisoOptions& options) {
  const std::string output = platform::ResolvedPath(options.output);
  for (const std::string& source : options.compilation.sources) {
    if (platform::PathIsWithin(output, platform::ResolvedPath(source))) {
      return "the image file " + options.output + " would lie among the sources (" + source +
             "); choose a place outside them";
    }
  }
  return {};
}

// The streamed save writes by name from its own thread; the name it is given is the temporary
// one, which takes the image file's place only once the save has ended well.
int SaveStreamed(TZelvoBurner& burner, const std::string& output, int leftOut) {
  platform::ReplacementFile image;
  if (!image.Create(output, platform::ReplacementFile::Links::Follow)) return CommandFailed("mkiso", image.LastError());
  image.file().Close();
  WriteDoneWait wait(burner);
  // A refusal to start has been logged already and raises no OnWriteDone to wait for.
  if (burner.SaveISO(image.Path(), false) != -1) return 1;
  if (const std::string error = wait.Wait(true); !error.empty()) return CommandFailed("mkiso", error);
  if (!image.Commit()) return CommandFailed("mkiso", image.LastError());
  return ReportLeftOut("mkiso", leftOut);
}

int MakeImage(const MkisoOptions& options) {
  if (const std::string refusal = OutputAmongSources(options); !refusal.empty()) return CommandFailed("mkiso", refusal);
  TZelvoBurner burner;
  burner.OnDebugMessage = [](TSCSIDevice*, const std::string& message, std::uint8_t) {
    std::cerr << Shown(message) << '\n';
  };
  int leftOut = 0;
  if (const std::string error = FillCompilation(burner, options.compilation, 0, &leftOut); !error.empty()) {
    return CommandFailed("mkiso", error);
  }

  if (!options.streamed) {
    std::string writeError;
    burner.OnWriteDone = [&writeError](TZelvoBurner*, const std::string& error) { writeError = error; };
    if (burner.SaveISO(options.output, true) != 1 || !writeError.empty()) return CommandFailed("mkiso", writeError);
    return ReportLeftOut("mkiso", leftOut);
  }
  return SaveStreamed(burner, options.output, leftOut);
}

}  // namespace

void AddMkisoCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<MkisoOptions>();
  auto* command = app.add_subcommand("mkiso", "Save the sources as an ISO 9660 image with a Joliet tree");
  command->add_option("-o,--output", options->output, "Image file to write")->required();
  command->add_flag("--streamed", options->streamed,
                    "Write through the recording's read-ahead cache and writer threads, as a burn does");
  AddCompilationOptions(*command, options->compilation);
  command->callback([options, &exitStatus] { exitStatus = MakeImage(*options); });
}

}  // namespace kivo::cli
