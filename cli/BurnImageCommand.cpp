// burn-image: the main window's record-image command: an existing image file recorded sector
// for sector from the disc's start, with the progress shown on a terminal.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/DriveChoice.h"
#include "cli/Progress.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::cli {

namespace {

// The main window's default cache.
constexpr std::int32_t kWindowCacheSize = 8392704;
constexpr const char* kMaxSpeed = "max";

struct BurnImageOptions {
  std::string device;
  std::string speed = kMaxSpeed;
  bool testWrite = false;
  std::string image;
};

int BurnImage(const BurnImageOptions& options) {
  const auto burner = OpenDriveComponent<TZelvoBurner>();
  if (!burner || !SelectNamedDrive(*burner, options.device)) return 1;
  burner->BeginUserOperation();
  burner->SetCacheSize(kWindowCacheSize);
  burner->TestWrite = options.testWrite;
  // The option's check has admitted nothing else.
  burner->SetWriteSpeed(options.speed == kMaxSpeed ? 0 : static_cast<std::uint16_t>(std::stoul(options.speed)));

  WriteDoneWait wait(*burner);
  // A recording that cannot start at all reports no end to wait for.
  bool ended = false;
  burner->OnWriteDone = [&ended, report = burner->OnWriteDone](TZelvoBurner* sender, const std::string& error) {
    ended = true;
    report(sender, error);
  };
  if (!burner->RecordImageFile(options.image) && !ended) return 1;
  const std::string error = wait.Wait(true);
  if (error.empty()) return 0;
  std::cerr << "kivoardel-cli burn-image: " << error << '\n';
  return 1;
}

}  // namespace

void AddBurnImageCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<BurnImageOptions>();
  auto* command = app.add_subcommand("burn-image", "Record an image file on the disc in the drive, from its start");
  command->add_option("-d,--device", options->device, kDeviceOptionHelp);
  command->add_option("--speed", options->speed, "Write speed: max, or KB/s")
      ->check(CLI::IsMember({kMaxSpeed}) | CLI::Range(1, 0xFFFF));
  command->add_flag("--test-write", options->testWrite, "Simulate the write: the disc stays as it is");
  command->add_option("IMAGE", options->image, "The image file (.iso)")->required();
  command->callback([options, &exitStatus] { exitStatus = BurnImage(*options); });
}

}  // namespace kivo::cli
