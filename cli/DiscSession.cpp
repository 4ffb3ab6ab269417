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

void ForEachEntry(const TDEntry* dir, const std::function<void(const TFEntry& entry, const std::string& path)>& visit) {
  // An explicit stack: a disc's tree may be deeper than is wise to recurse.
  std::vector<std::pair<const TFEntry*, std::string>> pending;  // next entry, its directory's path
  pending.emplace_back(dir->FirstEntry, "");
  while (!pending.empty()) {
    auto& [entry, prefix] = pending.back();
    if (entry == nullptr) {
      pending.pop_back();
      continue;
    }
    const TFEntry& current = *entry;
    entry = entry->Next;
    const std::string path = prefix + current.LongName;
    visit(current, path);
    if (current.DirEntry != nullptr) pending.emplace_back(current.DirEntry->FirstEntry, path + "/");
  }
}

std::string LocalName(const std::string& longName) {
  return longName.size() > 1 && longName.back() == '.' ? longName.substr(0, longName.size() - 1) : longName;
}

}  // namespace kivo::cli
