// kivoardel-cli ls: the tree of a session of the disc, one line per entry.
#include <fmt/format.h>

#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/DiscSession.h"
#include "cli/ShownText.h"

namespace kivo::cli {

namespace {

// Size, date and path separated by tabs (a tab in a name is shown escaped); a directory's size is "-" and its path ends with "/".
std::string EntryLine(const TFEntry& entry, const std::string& path) {
  const auto date = DecodeDateTime(entry.DateTime);
  const std::string shownDate = date ? fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", date->year, date->month,
                                                   date->day, date->hour, date->minute, date->second)
                                     : "-";
  if (entry.IsDirectory()) return fmt::format("-\t{}\t{}/", shownDate, Shown(path));
  return fmt::format("{}\t{}\t{}", entry.Size, shownDate, Shown(path));
}

int ListSession(const SessionChoice& choice) {
  bool incomplete = false;
  const auto burner = OpenSession(choice, &incomplete);
  if (!burner) return 1;
  ForEachEntry(burner->RootDirectory(), [](const TFEntry& entry, const std::string& path) {
    std::cout << EntryLine(entry, path) << '\n';
  });
  std::cout << std::flush;
  return incomplete ? ReportIncompleteSession("ls") : 0;
}

}  // namespace

void AddLsCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("ls", "List the files of a session of the disc: size, date and path");
  auto choice = std::make_shared<SessionChoice>();
  AddSessionOptions(*command, *choice);
  command->callback([&exitStatus, choice] { exitStatus = ListSession(*choice); });
}

}  // namespace kivo::cli
