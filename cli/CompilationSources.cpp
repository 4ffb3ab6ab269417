#include "cli/CompilationSources.h"

#include <filesystem>
#include <iostream>

#include <fmt/format.h>

#include "engine/iso/TZelvoBurner.h"

namespace kivo::cli {

namespace {

constexpr std::int32_t kAllAttributes = 63;

// An absolute path without a trailing "/", so that kept paths come out the same however the
// source was typed.
std::string SourcePath(const std::string& source) {
  std::string path = std::filesystem::absolute(source).lexically_normal().string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

void AddCompilationOptions(CLI::App& command, CompilationOptions& options) {
  command.add_option("--volume", options.volume, "Volume identifier");
  command.add_flag("--no-joliet", options.noJoliet, "Write the ISO 9660 tree only");
  command.add_option("--boot", options.bootImage, "Boot image (floppy or hard-disk image) to make the image bootable");
  command
      .add_option("--keep-path", options.keepPath,
                  "How much of each source's path to recreate: none, full, or the last folder only")
      ->check(CLI::IsMember({"none", "full", "last"}));
  command.add_flag("--replace", options.replace, "A later file of the same name replaces an earlier one");
  command.add_flag("--large-files", options.largeFiles,
                   "Record files of 4 GiB or more in several extents (ISO 9660 level 3; old readers see parts)");
  command.add_option("SOURCE", options.sources, "Files, and directories whose contents are added")->required();
}

std::string FillCompilation(TZelvoBurner& burner, const CompilationOptions& options, std::int32_t importSession,
                            int* leftOut) {
  burner.ResetCompilation(kMaxFiles, kMaxDirectories);
  burner.ReplaceFile = options.replace;
  // -1 asks for the last session if there is one: a blank disc has nothing to carry over.
  const std::uint32_t sessions = importSession != 0 ? burner.SessionCount() : 0;
  if (importSession != 0 && !(importSession == -1 && sessions == 0)) {
    // A session recorded without the import would hide every earlier file for good on a
    // write-once disc: an import that cannot be done stops the burn.
    if (sessions == 0) return "--import-session: the disc in the drive holds no session";
    if (importSession != -1 && (importSession < 1 || importSession > static_cast<std::int32_t>(sessions))) {
      return fmt::format("--import-session must be -1 (the last) or 1 to {}", sessions);
    }
    if (!burner.ImportSession(static_cast<std::int8_t>(importSession), nullptr)) {
      return fmt::format("session {} could not be imported; nothing was written", importSession);
    }
  }
  burner.IdVolume = options.volume;
  burner.JolietFileSystem = !options.noJoliet;
  burner.ReplaceFile = options.replace;
  burner.LargeFiles = options.largeFiles;
  if (!options.bootImage.empty()) {
    // The layout would quietly drop a boot image it cannot find; asked for one, the user
    // should hear about it.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(options.bootImage, ec)) return "no boot image file: " + options.bootImage;
    burner.Bootable = true;
    burner.BootImage = options.bootImage;
  }
  // The burner names every source it cannot add in a message of type 4.
  constexpr std::uint8_t kAddingFailure = 4;
  int refused = 0;
  const TOnDebugMsg report = burner.OnDebugMessage;
  burner.OnDebugMessage = [&refused, &report](TSCSIDevice* sender, const std::string& message, std::uint8_t type) {
    if (type == kAddingFailure) ++refused;
    if (report) report(sender, message, type);
  };
  // A name too long for a Joliet record arrives already skipped, and the burner says nothing of
  // it: it is named here.
  burner.OnAddFile = [&refused](TZelvoBurner*, const std::string& fullPath, std::string&, std::string&, TDateTime&,
                                std::int32_t, std::int64_t, bool& skip) {
    if (!skip) return;
    ++refused;
    std::cerr << "left out, its name is too long for the disc: " << fullPath << '\n';
  };
  struct Restore {
    TZelvoBurner& burner;
    const TOnDebugMsg& report;
    ~Restore() {
      burner.OnDebugMessage = report;
      burner.OnAddFile = nullptr;
    }
  } restore{burner, report};
  const bool keepPath = options.keepPath != "none";
  burner.KeepLastFolderOnly = options.keepPath == "last";

  for (const std::string& source : options.sources) {
    const std::string path = SourcePath(source);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return "no such file or directory: " + source;
    if (std::filesystem::is_directory(status)) {
      burner.AddDirectory(burner.RootDirectory(), path == "/" ? path : path + "/", false, keepPath, true,
                          kAllAttributes, "*.*");
    } else {
      burner.AddFile("\\", path, keepPath);
    }
  }
  burner.RemoveEmptyDirectories();
  if (leftOut != nullptr) *leftOut = refused;
  return {};
}

int ReportLeftOut(const std::string& command, int leftOut, const std::string& one, const std::string& many) {
  if (leftOut == 0) return 0;
  std::cerr << "kivoardel-cli " << command << ": done, but " << leftOut << ' '
            << (leftOut == 1 ? one + " was" : many + " were") << " left out (named above)\n";
  return kExitSourcesLeftOut;
}

}  // namespace kivo::cli
