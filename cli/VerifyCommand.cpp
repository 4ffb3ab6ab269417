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
#include "cli/Verification.h"
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

int Verify(const VerifyOptions& options) {
  LocalFiles local;
  const bool sourcesWhole = CollectSources(options.sources, local);
  bool incomplete = false;
  const auto burner = OpenSession(options.choice, &incomplete);
  if (!burner) return 1;
  const auto disc = DiscFiles(*burner);

  Verification check;
  for (const auto& [path, localPath] : local) {
    const auto found = disc.find(path);
    if (found == disc.end()) {
      check.Missing(path);
    } else {
      check.Compare(*burner, path, *found->second, localPath);
    }
  }
  for (const auto& [path, entry] : disc) {
    if (!local.contains(path)) check.Extra(path);
  }
  if (incomplete) std::cout << "the session could not be read whole (named above)\n";
  if (!sourcesWhole) std::cout << "the sources could not be read whole (named above)\n";
  return check.Finish(sourcesWhole && !incomplete);
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
