// kivoardel-cli verify: a session of the disc against local files and folders, as a recursive
// compare would do it: files missing from the disc, files on the disc that are not among the
// sources, and files whose bytes differ, each by its path on the disc. This is how a disc
// recorded long ago, by this system or any other, is checked against the files it should hold.
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DiscSession.h"
#include "engine/platform/Files.h"

namespace kivo::cli {

namespace {

struct VerifyOptions {
  SessionChoice choice;
  std::vector<std::string> sources;
};

// Local files by their path on the disc ("/" between names) to their path here.
using LocalFiles = std::map<std::string, std::string>;

// A folder's files, at the disc path prefix; false (with the reason printed) when a folder
// cannot be read, since its files could then be neither found missing nor compared.
bool CollectFolder(const std::string& folder, const std::string& prefix, LocalFiles& files) {
  const platform::DirListing listing = platform::ListDirectory(folder);
  if (!listing.ok()) {
    std::cerr << "kivoardel-cli verify: cannot read " << listing.error << '\n';
    return false;
  }
  bool whole = true;
  for (const platform::DirEntry& entry : listing.entries) {
    const std::string local = folder + "/" + entry.name;
    // Only files and folders are recorded; anything else is no part of the comparison.
    if (entry.kind == platform::SourceKind::Directory) {
      whole = CollectFolder(local, prefix + entry.name + "/", files) && whole;
    } else if (entry.kind == platform::SourceKind::Regular) {
      files[prefix + entry.name] = local;
    }
  }
  return whole;
}

// As burn takes its sources: a folder's contents go to the disc's root, a file by its name.
bool CollectSources(const std::vector<std::string>& sources, LocalFiles& files) {
  bool whole = true;
  for (const std::string& source : sources) {
    std::string error;
    const auto entry = platform::StatPath(source, &error);
    if (!entry) {
      std::cerr << "kivoardel-cli verify: cannot read " << error << '\n';
      whole = false;
    } else if (entry->kind == platform::SourceKind::Directory) {
      whole = CollectFolder(source, "", files) && whole;
    } else {
      files[entry->name] = source;
    }
  }
  return whole;
}

std::map<std::string, const TFEntry*> DiscFiles(const TZelvoBurner& burner) {
  std::map<std::string, const TFEntry*> files;
  ForEachEntry(burner.RootDirectory(), [&files](const TFEntry& entry, const std::string& path) {
    if (entry.IsDirectory()) return;
    const std::string folder = path.substr(0, path.size() - entry.LongName.size());
    files[folder + LocalName(entry.LongName)] = &entry;
  });
  return files;
}

struct Tally {
  int verified = 0, differ = 0, missing = 0, extra = 0, unreadable = 0;
  int Bad() const { return differ + missing + extra + unreadable; }
};

void Compare(TZelvoBurner& burner, const std::string& path, const TFEntry& entry, const std::string& local, Tally& tally) {
  switch (burner.CompareFile(entry, local)) {
    case FileComparison::Same: ++tally.verified; return;
    case FileComparison::Differs: std::cout << "differs: " << path << '\n'; ++tally.differ; return;
    case FileComparison::DiscUnreadable: std::cout << "cannot be read from the disc: " << path << '\n'; break;
    case FileComparison::LocalUnreadable: std::cout << "cannot be read here: " << path << '\n'; break;
  }
  ++tally.unreadable;
}

int Verify(const VerifyOptions& options) {
  LocalFiles local;
  const bool sourcesWhole = CollectSources(options.sources, local);
  bool incomplete = false;
  const auto burner = OpenSession(options.choice, &incomplete);
  if (!burner) return 1;
  const auto disc = DiscFiles(*burner);

  Tally tally;
  for (const auto& [path, localPath] : local) {
    const auto found = disc.find(path);
    if (found == disc.end()) {
      std::cout << "missing from the disc: " << path << '\n';
      ++tally.missing;
    } else {
      Compare(*burner, path, *found->second, localPath, tally);
    }
  }
  for (const auto& [path, entry] : disc) {
    if (local.contains(path)) continue;
    std::cout << "not among the sources: " << path << '\n';
    ++tally.extra;
  }
  if (tally.Bad() == 0 && sourcesWhole && !incomplete) {
    std::cout << "all " << tally.verified << " files verified\n";
    return 0;
  }
  std::cout << tally.verified << " files verified; " << tally.differ << " differ, " << tally.missing
            << " missing from the disc, " << tally.extra << " not among the sources, " << tally.unreadable
            << " unreadable\n";
  if (incomplete) std::cout << "the session could not be read whole (named above)\n";
  if (!sourcesWhole) std::cout << "the sources could not be read whole (named above)\n";
  return 1;
}

}  // namespace

void AddVerifyCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand(
      "verify", "Compare a session of the disc with files and folders: missing, extra and differing files by name");
  auto options = std::make_shared<VerifyOptions>();
  AddSessionOptions(*command, options->choice);
  command->add_option("SOURCE", options->sources, "Files, and folders whose contents the session should hold")
      ->required();
  command->callback([&exitStatus, options] { exitStatus = Verify(*options); });
}

}  // namespace kivo::cli
