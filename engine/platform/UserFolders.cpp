// The user's folders on Linux: the data folder and the XDG configuration folder, both in the
// home folder.
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "engine/platform/Files.h"
#include "engine/platform/PrivateProfile.h"

namespace kivo::platform {

namespace {

std::string HomeFolder() {
  if (const char* home = ::getenv("HOME"); home && *home) return home;
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

}  // namespace

std::string UserDataFolder() {
  const std::string home = HomeFolder();
  return home.empty() ? home : home + "/.local/share";
}

std::string ConfigFilePath() {
  std::string folder;
  // A relative value is ignored, as the variable's convention demands: it would depend on the
  // folder the program was started from.
  if (const char* config = ::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    folder = config;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    folder = home + "/.config";
  }
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder + "/KivoArdel.ini";
}

}  // namespace kivo::platform
