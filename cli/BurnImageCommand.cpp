// burn-image: the main window's record-image command: an existing image file recorded sector
// for sector from the disc's start, with the progress shown on a terminal, and read back when
// asked.
#include <fmt/format.h>

#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/DriveChoice.h"
#include "cli/Progress.h"
#include "cli/Strings.h"
#include "cli/Verification.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/record/ImageDifference.h"

namespace kivo::cli {

namespace {

constexpr const char* kMaxSpeed = "max";

struct BurnImageOptions {
  std::string device;
  std::string speed = kMaxSpeed;
  bool testWrite = false;
  bool verify = false;
  std::string image;
};

void PrintRange(std::string_view format, const SectorRange& range) {
  std::cout << fmt::format(fmt::runtime(format), range.First, range.First + range.Count - 1);
}

// The disc read back against the fingerprint taken while the image was recorded; where they
// differ, the image is read again to name the first sectors that do.
int VerifyImage(TZelvoBurner& burner, const std::string& image) {
  const auto checked = CheckLastRecording(burner, text::kVerifyingImage);
  if (!checked) return 1;
  const auto& [content, check] = *checked;
  if (check.Passed()) {
    std::cout << fmt::format(fmt::runtime(text::kImageVerified), content->StreamBytes / 2048);
    return 0;
  }
  for (const SectorRange& range : check.UnreadableStructures) PrintRange(text::kImageUnreadable, range);
  if (!check.UnreadableStructures.empty()) return 1;
  std::string error;
  if (const auto range = FirstDifference(burner, content->StartSector, image, error)) {
    PrintRange(text::kImageDiffers, *range);
  } else if (!error.empty()) {
    std::cout << fmt::format(fmt::runtime(text::kImageNotReadAgain), error);
  } else {
    // The disc holds the image as it is now, not as it was read: it was written to meanwhile.
    std::cout << text::kImageChanged;
  }
  return 1;
}

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
  if (!error.empty()) {
    std::cerr << "kivoardel-cli burn-image: " << error << '\n';
    return 1;
  }
  // A test write leaves nothing on the disc to read back.
  return options.verify && !options.testWrite ? VerifyImage(*burner, options.image) : 0;
}

}  // namespace

void AddBurnImageCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<BurnImageOptions>();
  auto* command = app.add_subcommand("burn-image", "Record an image file on the disc in the drive, from its start");
  command->add_option("-d,--device", options->device, kDeviceOptionHelp);
  command->add_option("--speed", options->speed, "Write speed: max, or KB/s")
      ->check(CLI::IsMember({kMaxSpeed}) | CLI::Range(1, 0xFFFF));
  command->add_flag("--test-write", options->testWrite, "Simulate the write: the disc stays as it is");
  command->add_flag("--verify", options->verify, "Read the disc back and compare it with the image");
  command->add_option("IMAGE", options->image, "The image file (.iso)")->required();
  command->callback([options, &exitStatus] { exitStatus = BurnImage(*options); });
}

}  // namespace kivo::cli
