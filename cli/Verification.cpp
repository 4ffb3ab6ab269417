#include "cli/Verification.h"

#include <iostream>

#include "cli/DiscSession.h"
#include "engine/platform/Files.h"

namespace kivo::cli {

std::map<std::string, const TFEntry*> DiscFiles(const TZelvoBurner& session) {
  std::map<std::string, const TFEntry*> files;
  ForEachEntry(session.RootDirectory(), [&files](const TFEntry& entry, const std::string& path) {
    if (entry.IsDirectory()) return;
    const std::string folder = path.substr(0, path.size() - entry.LongName.size());
    files[folder + LocalName(entry.LongName)] = &entry;
  });
  return files;
}

void Verification::Compare(TZelvoBurner& session, const std::string& path, const TFEntry& entry,
                           const std::string& local, std::int64_t changedSince) {
  const FileComparison result = session.CompareFile(entry, local);
  if (result == FileComparison::Same) {
    ++verified_;
    return;
  }
  // A source written to while it was read differs from the disc through no fault of the disc.
  if (changedSince != 0) {
    const auto now = platform::StatPath(local);
    if (now && now->Stamp() > changedSince) {
      std::cout << "changed while it was recorded: " << path << '\n';
      ++changed_;
      return;
    }
  }
  switch (result) {
    case FileComparison::Differs: std::cout << "differs: " << path << '\n'; ++differ_; return;
    case FileComparison::DiscUnreadable: std::cout << "cannot be read from the disc: " << path << '\n'; break;
    default: std::cout << "cannot be read here: " << path << '\n'; break;
  }
  ++unreadable_;
}

void Verification::Missing(const std::string& path) {
  std::cout << "missing from the disc: " << path << '\n';
  ++missing_;
}

void Verification::Extra(const std::string& path) {
  std::cout << "not among the sources: " << path << '\n';
  ++extra_;
}

int Verification::Finish(bool whole) {
  if (differ_ + changed_ + missing_ + extra_ + unreadable_ == 0 && whole) {
    std::cout << "all " << verified_ << " files verified\n";
    return 0;
  }
  std::cout << verified_ << " files verified; " << differ_ << " differ, " << missing_ << " missing from the disc, "
            << extra_ << " not among the sources, " << unreadable_ << " unreadable";
  if (changed_ != 0) std::cout << ", " << changed_ << " changed while recorded";
  std::cout << '\n';
  return 1;
}

int VerifyRecording(const TZelvoBurner& compilation, const std::string& device, std::int64_t startedAt) {
  std::cout << "verifying the session\n" << std::flush;
  bool incomplete = false;
  const auto session = OpenSession({device, -1}, &incomplete);
  if (!session) return 1;
  const auto disc = DiscFiles(*session);
  Verification check;
  ForEachEntry(compilation.RootDirectory(), [&](const TFEntry& entry, const std::string& path) {
    if (!entry.CarriesData()) return;
    const std::string folder = path.substr(0, path.size() - entry.LongName.size());
    const std::string shown = folder + LocalName(entry.LongName);
    const auto found = disc.find(shown);
    if (found == disc.end()) {
      check.Missing(shown);
    } else {
      check.Compare(*session, shown, *found->second, entry.SourcePath, startedAt);
    }
  });
  if (incomplete) std::cout << "the session could not be read whole (named above)\n";
  return check.Finish(!incomplete);
}

}  // namespace kivo::cli
