// The user's folders on Windows: the local application data folder, and the roaming one that
// holds the settings file.
#include "engine/platform/Files.h"
#include "engine/platform/PrivateProfile.h"
#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

// A folder named by an environment variable, without a separator at its end; empty when unset.
std::string FolderFromEnvironment(const wchar_t* variable) {
  wchar_t folder[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(variable, folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path = win32::Narrow(std::wstring_view(folder, length));
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

}  // namespace

std::string UserDataFolder() { return FolderFromEnvironment(L"LOCALAPPDATA"); }

std::string ConfigFilePath() {
  const std::string folder = FolderFromEnvironment(L"APPDATA");
  return folder.empty() ? folder : folder + "\\KivoArdel.ini";
}

}  // namespace kivo::platform
