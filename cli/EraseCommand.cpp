// erase: the main window's quick or full erase without its questions, waiting for the erase
// thread with the estimated progress shown on a terminal.
#include <fmt/format.h>

#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/DriveChoice.h"
#include "cli/Progress.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/record/EraseThread.h"

namespace kivo::cli {

namespace {

struct EraseOptions {
  std::string device;
  bool quick = false;
  bool full = false;
};

int Erase(const EraseOptions& options) {
  const auto burner = OpenDriveComponent<TZelvoBurner>();
  if (!burner || !SelectNamedDrive(*burner, options.device)) return 1;
  burner->BeginUserOperation();
  bool done = false;
  bool withError = false;
  burner->OnEraseDone = [&](TZelvoBurner*, bool error) {
    done = true;
    withError = error;
  };
  if (!burner->StartErase(options.quick)) {
    if (done) return CommandFailed("erase", "the drive refused the erase: " + burner->LastErrorText);
    return CommandFailed("erase", "the drive is not ready or busy: " + burner->LastErrorText);
  }
  WaitHooks hooks;
  hooks.done = [&done] { return done; };
  hooks.progress = [&burner] { return fmt::format("erasing: {}%", burner->ErasePercent()); };
  WaitOnMainThread(hooks);
  // The thread may still be leaving; the drive component must outlive it.
  WaitForEraseThread(-1);
  if (withError) return CommandFailed("erase", "the erase did not finish");
  return 0;
}

}  // namespace

void AddEraseCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<EraseOptions>();
  auto* command = app.add_subcommand("erase", "Erase the rewritable disc in the drive");
  command->add_option("-d,--device", options->device, kDeviceOptionHelp);
  auto* mode = command->add_option_group("mode", "How much to erase");
  mode->add_flag("--quick", options->quick, "Erase the disc's table of contents only");
  mode->add_flag("--full", options->full, "Erase the whole disc (takes much longer)");
  mode->require_option(1);
  command->callback([options, &exitStatus] { exitStatus = Erase(*options); });
}

}  // namespace kivo::cli
