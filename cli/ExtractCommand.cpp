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
#include "engine/platform/Files.h"

namespace kivo::cli {

namespace {

struct ExtractOptions {
  SessionChoice choice;
  bool all = false;
  bool overwrite = false;
  std::vector<std::string> paths;  // DISC_PATH DEST, or DEST_DIR with --all
};

// A name that stays inside the folder it is extracted to. The import never gives others;
// this is the last line of defence, as the names come from the disc.
bool StaysInside(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

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

// Nothing is asked: a file already there stays unless --overwrite was given, and is named.
bool KeepsExisting(const std::string& target, bool overwrite) {
  if (overwrite || !platform::PathTaken(target)) return false;
  std::cerr << "kivoardel-cli: kept the existing " << Shown(target) << " (--overwrite replaces it)\n";
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
  int files = 0, leftOut = 0;
  // A folder that could not be made takes its contents with it: they are counted, not tried.
  std::vector<std::string> missingFolders;
  ForEachEntry(burner.RootDirectory(), [&](const TFEntry& entry, const std::string& path) {
    for (const std::string& missing : missingFolders) {
      if (path.starts_with(missing)) {
        ++leftOut;
        return;
      }
    }
    // Folders keep their names (only files were given a "." by the writer).
    const std::string parent = path.substr(0, path.size() - entry.LongName.size());
    const std::string name = entry.IsDirectory() ? entry.LongName : LocalName(entry.LongName);
    const std::string target = destDir + "/" + parent + name;
    if (!StaysInside(name)) {
      std::cerr << "kivoardel-cli: refused to extract an entry named \"" << Shown(entry.LongName) << "\"\n";
      ++leftOut;
    } else if (entry.IsDirectory()) {
      // Each folder is made once, below one made (or checked) just before it: a link found in
      // its place is refused rather than followed out of the destination.
      if (!platform::MakeFolder(target, &error)) {
        std::cerr << "kivoardel-cli: cannot create " << Shown(error) << '\n';
        ++leftOut;
        missingFolders.push_back(path + "/");
      }
    } else if (KeepsExisting(target, overwrite)) {
      ++leftOut;
    } else if (burner.ExtractFile(const_cast<TFEntry*>(&entry), target) == 1) {
      ++files;
    } else {
      ++leftOut;
    }
  });
  std::cout << "extracted " << files << " files to " << destDir << '\n';
  return ReportLeftOut("extract", leftOut, "entry", "entries");
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
