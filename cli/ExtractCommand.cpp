// kivoardel-cli extract: one file of a session, or the whole session's tree, copied from the
// disc to local files.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/CompilationSources.h"
#include "cli/DiscSession.h"
#include "cli/ShownText.h"
#include "engine/iso/LocalNames.h"
#include "engine/iso/TreeExtraction.h"
#include "engine/platform/Files.h"

namespace kivo::cli {

namespace {

struct ExtractOptions {
  SessionChoice choice;
  bool all = false;
  bool overwrite = false;
  std::vector<std::string> paths;  // DISC_PATH DEST, or DEST_DIR with --all
};

// "dir/sub/file.txt" or "\DIR\SUB\FILE.TXT" as the compilation names it: directory and name.
std::pair<std::string, std::string> SplitDiscPath(const std::string& discPath) {
  std::string directory = "\\";
  std::string name;
  std::size_t start = 0;
  while (start <= discPath.size()) {
    std::size_t end = discPath.find_first_of("/\\", start);
    if (end == std::string::npos) end = discPath.size();
    const std::string part = discPath.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    if (!name.empty()) directory += (directory == "\\" ? "" : "\\") + name;
    name = part;
  }
  return {directory, name};
}

void KeptExisting(const std::string& target) {
  std::cerr << "kivoardel-cli: kept the existing " << Shown(target) << " (--overwrite replaces it)\n";
}

// Nothing is asked: a file already there stays unless --overwrite was given, and is named.
bool KeepsExisting(const std::string& target, bool overwrite) {
  if (overwrite || !platform::PathTaken(target)) return false;
  KeptExisting(target);
  return true;
}

int ExtractOne(TZelvoBurner& burner, const std::string& discPath, const std::string& dest, bool overwrite) {
  const auto [directory, name] = SplitDiscPath(discPath);
  const TDEntry* dir = burner.FindDirectory(directory);
  TFEntry* entry = dir == nullptr || name.empty() ? nullptr : burner.FindFileEntry(dir, name);
  // ls shows a name without an extension as the compilation holds it, "README."; the user
  // may well ask for "README".
  if (entry == nullptr && dir != nullptr && !name.empty() && name.find('.') == std::string::npos) {
    entry = burner.FindFileEntry(dir, name + ".");
  }
  if (entry == nullptr) {
    std::cerr << "kivoardel-cli: the session holds no file \"" << Shown(discPath) << "\"\n";
    return 1;
  }
  if (entry->IsDirectory()) {
    std::cerr << "kivoardel-cli: \"" << Shown(discPath) << "\" is a directory (extract --all copies a whole session)\n";
    return 1;
  }
  // Into an existing folder the file goes under its own name, as cp does.
  const auto existing = platform::StatPath(dest);
  const bool intoFolder = existing && (existing->attributes & platform::kAttrDirectory) != 0;
  const std::string localName = LocalName(entry->LongName);
  if (intoFolder && !StaysInside(localName)) {
    std::cerr << "kivoardel-cli: refused to extract a file named \"" << Shown(entry->LongName) << "\"\n";
    return 1;
  }
  const std::string target = intoFolder ? (dest.ends_with('/') ? dest : dest + "/") + localName : dest;
  if (KeepsExisting(target, overwrite)) return kExitSourcesLeftOut;
  return burner.ExtractFile(entry, target) == 1 ? 0 : 1;
}

int ExtractAll(TZelvoBurner& burner, const std::string& destDir, bool overwrite) {
  std::string error;
  if (!platform::MakeDirectory(destDir, &error)) {
    std::cerr << "kivoardel-cli: cannot create " << Shown(error) << '\n';
    return 1;
  }
  TreeExtraction how;
  how.replaceExisting = [overwrite](const std::string&) { return overwrite; };
  how.leftOut = [](const TFEntry& entry, LeftOutReason reason, const std::string& detail) {
    if (reason == LeftOutReason::UnsafeName) {
      std::cerr << "kivoardel-cli: refused to extract an entry named \"" << Shown(entry.LongName) << "\"\n";
    } else if (reason == LeftOutReason::FolderNotMade) {
      std::cerr << "kivoardel-cli: cannot create " << Shown(detail) << '\n';
    } else if (reason == LeftOutReason::ExistingKept) {
      KeptExisting(detail);
    }
  };
  const ExtractionCount count = ExtractTree(burner, *burner.RootDirectory(), destDir, how);
  std::cout << "extracted " << count.files << " files to " << destDir << '\n';
  return ReportLeftOut("extract", count.failed + count.kept, "entry", "entries");
}

int Extract(const ExtractOptions& options) {
  if (options.paths.size() != (options.all ? 1u : 2u)) {
    std::cerr << (options.all ? "kivoardel-cli: extract --all takes one folder\n"
                              : "kivoardel-cli: extract takes a path on the disc and a destination\n");
    return 1;
  }
  bool incomplete = false;
  const auto burner = OpenSession(options.choice, &incomplete);
  if (!burner) return 1;
  const int status = options.all ? ExtractAll(*burner, options.paths[0], options.overwrite)
                                 : ExtractOne(*burner, options.paths[0], options.paths[1], options.overwrite);
  // The files that were never imported are missing from an --all extraction as well.
  return incomplete && options.all && status != 1 ? ReportIncompleteSession("extract") : status;
}

}  // namespace

void AddExtractCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand(
      "extract", "Copy a file of a session from the disc (DISC_PATH DEST), or the whole session (--all DEST_DIR)");
  auto options = std::make_shared<ExtractOptions>();
  AddSessionOptions(*command, options->choice);
  command->add_flag("--all", options->all, "extract every file of the session, recreating its folders");
  command->add_flag("--overwrite", options->overwrite, "replace files that already exist (else they are kept and named)");
  command->add_option("paths", options->paths, "DISC_PATH DEST, or DEST_DIR with --all")->required();
  command->callback([&exitStatus, options] { exitStatus = Extract(*options); });
}

}  // namespace kivo::cli
