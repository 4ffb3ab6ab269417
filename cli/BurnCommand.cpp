// burn: the main window's burn without its questions: the sources compiled and laid out for
// the disc in the drive, recorded as a new session, with the progress shown on a terminal.
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/CompilationSources.h"
#include "cli/DriveChoice.h"
#include "cli/Progress.h"
#include "cli/Verification.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::cli {

namespace {

struct BurnOptions {
  std::string device;
  std::string speed = "max";
  bool finalize = false;
  bool testWrite = false;
  bool noOpc = false;
  bool verify = false;
  std::int32_t importSession = 0;
  CompilationOptions compilation;
};

// KB/s; 0 is the drive's maximum.
bool ParseSpeed(const std::string& text, std::uint16_t& speed) {
  if (text == "max") {
    speed = 0;
    return true;
  }
  try {
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used);
    if (used != text.size() || value == 0 || value > 0xFFFF) return false;
    speed = static_cast<std::uint16_t>(value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int Burn(const BurnOptions& options) {
  std::uint16_t speed = 0;
  if (!ParseSpeed(options.speed, speed)) return CommandFailed("burn", "the speed is 'max' or KB/s from 1 to 65535: " + options.speed);
  const auto burner = OpenDriveComponent<TZelvoBurner>();
  if (!burner || !SelectNamedDrive(*burner, options.device)) return 1;
  burner->BeginUserOperation();
  burner->SetCacheSize(kWindowCacheSize);
  burner->FinalizeDisc = options.finalize;
  burner->TestWrite = options.testWrite;
  burner->PerformOPC = !options.noOpc;
  burner->SetWriteSpeed(speed);

  int leftOut = 0;
  if (const std::string error = FillCompilation(*burner, options.compilation, options.importSession, &leftOut);
      !error.empty()) {
    return CommandFailed("burn", error);
  }
  burner->PrepareLayout(false, nullptr);
  burner->BuildHeader(nullptr);

  WriteDoneWait wait(*burner);
  burner->RecordCompilation();
  const std::string error = wait.Wait(true);
  if (!error.empty()) return CommandFailed("burn", error);
  // A test write leaves nothing on the disc to read back.
  if (options.verify && !options.testWrite && VerifyRecording(*burner) != 0) {
    return CommandFailed("burn", "the disc does not hold the sources as they were recorded (named above)");
  }
  return ReportLeftOut("burn", leftOut);
}

}  // namespace

void AddBurnCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<BurnOptions>();
  auto* command = app.add_subcommand("burn", "Record the sources on the disc in the drive as a new session");
  command->add_option("-d,--device", options->device, kDeviceOptionHelp);
  command->add_option("--speed", options->speed, "Write speed: max, or KB/s");
  command->add_flag("--finalize", options->finalize, "Close the disc: no further session can be added");
  command->add_flag("--test-write", options->testWrite, "Simulate the write: the disc stays as it is");
  command->add_flag("--no-opc", options->noOpc, "Skip the power calibration before writing");
  command->add_flag("--verify", options->verify, "Read the session back and compare every file with what was recorded from its source");
  command->add_option("--import-session", options->importSession,
                      "Carry the files of this session of the disc over (1 = first, -1 = last)");
  AddCompilationOptions(*command, options->compilation);
  command->callback([options, &exitStatus] { exitStatus = Burn(*options); });
}

}  // namespace kivo::cli
