// mkiso: an image file of the sources given, made the way the main window saves an image: a
// fresh compilation, each source added as a ticked row, empty directories pruned, and the quick
// save, which lays the image out.
#include <filesystem>
#include <memory>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::cli {

namespace {

// The capacities the main window resets its compilation to.
constexpr std::int32_t kMaxFiles = 600000;
constexpr std::int32_t kMaxDirectories = 20000;
constexpr std::int32_t kAllAttributes = 63;

struct MkisoOptions {
  std::string output;
  std::string volume;
  bool noJoliet = false;
  std::string bootImage;
  std::string keepPath = "none";
  bool replace = false;
  std::vector<std::string> sources;
};

// An absolute path without a trailing "/", so that kept paths come out the same however the
// source was typed.
std::string SourcePath(const std::string& source) {
  std::string path = std::filesystem::absolute(source).lexically_normal().string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

int Fail(const std::string& text) {
  std::cerr << "kivoardel-cli mkiso: " << text << '\n';
  return 1;
}

int MakeImage(const MkisoOptions& options) {
  TZelvoBurner burner;
  burner.OnDebugMessage = [](TSCSIDevice*, const std::string& message, std::uint8_t) {
    std::cerr << message << '\n';
  };
  std::string writeError;
  burner.OnWriteDone = [&writeError](TZelvoBurner*, const std::string& error) { writeError = error; };

  burner.ResetCompilation(kMaxFiles, kMaxDirectories);
  burner.IdVolume = options.volume;
  burner.JolietFileSystem = !options.noJoliet;
  burner.ReplaceFile = options.replace;
  if (!options.bootImage.empty()) {
    // The layout would quietly drop a boot image it cannot find; asked for one, the user
    // should hear about it.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(options.bootImage, ec)) return Fail("no boot image file: " + options.bootImage);
    burner.Bootable = true;
    burner.BootImage = options.bootImage;
  }
  const bool keepPath = options.keepPath != "none";
  burner.KeepLastFolderOnly = options.keepPath == "last";

  for (const std::string& source : options.sources) {
    const std::string path = SourcePath(source);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return Fail("no such file or directory: " + source);
    if (std::filesystem::is_directory(status)) {
      burner.AddDirectory(burner.RootDirectory(), path == "/" ? path : path + "/", false, keepPath, true,
                          kAllAttributes, "*.*");
    } else {
      burner.AddFile("\\", path, keepPath);
    }
  }
  burner.RemoveEmptyDirectories();
  // The save lays the image out itself; the main window's earlier layout only shows the size.
  if (burner.SaveISO(options.output, true) != 1 || !writeError.empty()) return Fail(writeError);
  return 0;
}

}  // namespace

void AddMkisoCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<MkisoOptions>();
  auto* command = app.add_subcommand("mkiso", "Save the sources as an ISO 9660 image with a Joliet tree");
  command->add_option("-o,--output", options->output, "Image file to write")->required();
  command->add_option("--volume", options->volume, "Volume identifier");
  command->add_flag("--no-joliet", options->noJoliet, "Write the ISO 9660 tree only");
  command->add_option("--boot", options->bootImage, "Boot image (floppy or hard-disk image) to make the image bootable");
  command->add_option("--keep-path", options->keepPath,
                      "How much of each source's path to recreate: none, full, or the last folder only")
      ->check(CLI::IsMember({"none", "full", "last"}));
  command->add_flag("--replace", options->replace, "A later file of the same name replaces an earlier one");
  command->add_option("SOURCE", options->sources, "Files, and directories whose contents are added")->required();
  command->callback([options, &exitStatus] { exitStatus = MakeImage(*options); });
}

}  // namespace kivo::cli
