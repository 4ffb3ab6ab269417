#include "cli/DiscSession.h"

#include <iostream>
#include <utility>
#include <vector>

#include "cli/CompilationSources.h"
#include "cli/DriveChoice.h"

namespace kivo::cli {

namespace {

constexpr int kLastSession = -1;
// The import names what it leaves out in messages of these types: 3 when the compilation is
// full, 4 for a damaged or hostile tree.
constexpr std::uint8_t kCapacityMessage = 3;
constexpr std::uint8_t kImportFailure = 4;
constexpr int kHighestSession = 127;  // the import takes an 8-bit signed number

}  // namespace

void AddSessionOptions(CLI::App& command, SessionChoice& choice) {
  command.add_option("-d,--device", choice.device, kDeviceOptionHelp);
  command.add_option("--session", choice.session, "the session to read (1 = the first, -1 = the last); default: the last");
}

std::unique_ptr<TZelvoBurner> OpenSession(const SessionChoice& choice, bool* incomplete) {
  if (choice.session != kLastSession && (choice.session < 1 || choice.session > kHighestSession)) {
    std::cerr << "kivoardel-cli: --session must be -1 (the last) or 1 to " << kHighestSession << '\n';
    return nullptr;
  }
  auto burner = OpenDriveComponent<TZelvoBurner>();
  if (!burner || !SelectNamedDrive(*burner, choice.device)) return nullptr;
  // A number the disc does not hold would otherwise read the last session as if it were that one.
  const std::uint32_t sessions = burner->SessionCount();
  if (choice.session > static_cast<int>(sessions)) {
    std::cerr << "kivoardel-cli: the disc in the drive holds " << sessions << (sessions == 1 ? " session" : " sessions")
              << ", not " << choice.session << '\n';
    return nullptr;
  }
  burner->ResetCompilation(kMaxFiles, kMaxDirectories);
  *incomplete = false;
  const TOnDebugMsg report = burner->OnDebugMessage;
  burner->OnDebugMessage = [incomplete, &report](TSCSIDevice* sender, const std::string& message, std::uint8_t type) {
    if (type == kCapacityMessage || type == kImportFailure) *incomplete = true;
    if (report) report(sender, message, type);
  };
  const bool imported = burner->ImportSession(static_cast<std::int8_t>(choice.session), nullptr);
  burner->OnDebugMessage = report;
  if (!imported) {
    std::cerr << "kivoardel-cli: no session could be read from the disc in the drive\n";
    return nullptr;
  }
  return burner;
}

int ReportIncompleteSession(const std::string& command) {
  std::cerr << "kivoardel-cli " << command << ": done, but the session was not read whole (what was left out is named above)\n";
  return kExitSourcesLeftOut;
}

}  // namespace kivo::cli
