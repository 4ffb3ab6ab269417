// kivoardel-cli info: the loaded disc as the disc information window shows it: medium, state,
// sessions, and the used, free and total space.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DriveChoice.h"
#include "engine/drive/DiscInformation.h"
#include "engine/drive/MediaKinds.h"
#include "engine/iso/SessionSummaries.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/NumberFormat.h"

namespace kivo::cli {

namespace {

constexpr const char* kNoDisc = "kivoardel-cli info: no disc can be read in the drive: ";
constexpr const char* kDiscStates[] = {"empty", "open", "closed", "other"};
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

std::string Space(std::uint32_t sectors) {
  return std::to_string(sectors) + " sectors (" +
         platform::FormatFloat("#,##0.0 MB", sectors * double{kLogicalBlockSize} / kBytesPerMegabyte) + ")";
}

void ShowSessions(TZelvoBurner& burner) {
  const std::vector<SessionSummary> sessions = ReadSessionSummaries(burner);
  std::cout << "sessions: " << sessions.size() << '\n';
  for (const SessionSummary& session : sessions) {
    std::cout << "session " << session.number << ": ";
    if (!session.found) {
      std::cout << "no data track found\n";
      continue;
    }
    std::cout << "start " << session.start << ", size " << session.size << " sectors";
    if (!session.created.empty()) std::cout << ", created " << session.created;
    if (session.files >= 0) std::cout << ", " << session.files << (session.files == 1 ? " file" : " files");
    std::cout << '\n';
  }
}

int ShowDiscInfo(const std::string& choice) {
  // A burner, not a bare drive: the sessions' files are counted by importing them.
  const auto device = OpenDriveComponent<TZelvoBurner>();
  if (!device || !SelectNamedDrive(*device, choice)) return 1;
  // A freshly loaded disc first answers with a unit attention; the second asking is the real one.
  if (!device->TestUnitReady(kReadyTimeoutMs) && !device->TestUnitReady(kReadyTimeoutMs)) {
    std::cerr << kNoDisc << device->LastErrorText << '\n';
    return 1;
  }
  const int status = device->DiscStatus();
  if (status < 0) {
    std::cerr << kNoDisc << device->LastErrorText << '\n';
    return 1;
  }
  // The readings below ask for tracks and capacities a disc may not have; those refusals are
  // expected, so they are not described on standard error.
  device->ErrorLogLatch = true;

  const std::uint16_t kind = device->MediaKind();
  std::cout << "medium: " << MediaNames[kind] << '\n';
  std::cout << "disc status: " << kDiscStates[status] << '\n';
  std::cout << "erasable: " << (device->DiscErasable() ? "yes" : "no") << '\n';
  ShowSessions(*device);
  std::cout << "used: " << Space(device->UsedSectors()) << '\n';
  std::cout << "free: " << Space(device->FreeSectors()) << '\n';
  std::cout << "total: " << Space(device->DiscCapacity()) << '\n';
  return 0;
}

}  // namespace

void AddInfoCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("info", "Show the loaded disc: medium, state, sessions and space");
  // Kept alive by the callback, which the application owns.
  auto choice = std::make_shared<std::string>();
  command->add_option("-d,--device", *choice, kDeviceOptionHelp);
  command->callback([&exitStatus, choice] { exitStatus = ShowDiscInfo(*choice); });
}

}  // namespace kivo::cli
