#include "cli/DiscSession.h"

#include <iostream>
#include <utility>
#include <vector>

#include "cli/DriveChoice.h"

namespace kivo::cli {

namespace {

// What the disc browser asks of the compilation: room for any session.
constexpr std::int32_t kBrowseFiles = 65535;
constexpr std::int32_t kBrowseDirectories = 8191;
constexpr int kLastSession = -1;
constexpr int kHighestSession = 127;  // the import takes an 8-bit signed number

}  // namespace

void AddSessionOptions(CLI::App& command, SessionChoice& choice) {
  command.add_option("-d,--device", choice.device, kDeviceOptionHelp);
  command.add_option("--session", choice.session, "the session to read (1 = the first, -1 = the last); default: the last");
}

std::unique_ptr<TZelvoBurner> OpenSession(const SessionChoice& choice) {
  if (choice.session != kLastSession && (choice.session < 1 || choice.session > kHighestSession)) {
    std::cerr << "kivoardel-cli: --session must be -1 (the last) or 1 to " << kHighestSession << '\n';
    return nullptr;
  }
  auto burner = OpenDriveComponent<TZelvoBurner>();
  if (!burner || !SelectNamedDrive(*burner, choice.device)) return nullptr;
  burner->ResetCompilation(kBrowseFiles, kBrowseDirectories);
  if (!burner->ImportSession(static_cast<std::int8_t>(choice.session), nullptr)) {
    std::cerr << "kivoardel-cli: no session could be read from the disc in the drive\n";
    return nullptr;
  }
  return burner;
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

}  // namespace kivo::cli
