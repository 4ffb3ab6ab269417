#include "engine/iso/SourcePaths.h"

#include <vector>

#include "engine/iso/IsoNames.h"

namespace kivo {

namespace {

constexpr char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsNetworkForm(std::string_view path) { return path.starts_with("\\\\"); }

// "\\server\share\dir\" gives "\dir\": the text from the "\" that follows the share's name.
std::string_view WithoutServerAndShare(std::string_view path) {
  const std::size_t serverEnd = path.find('\\', 2);
  if (serverEnd == std::string_view::npos) return "\\";
  const std::size_t shareEnd = path.find('\\', serverEnd + 1);
  if (shareEnd == std::string_view::npos) return "\\";
  return path.substr(shareEnd);
}

std::string PosixKeptPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(CompilationName(part));
    }
    start = slash + 1;
  }
  std::string out = "\\";
  for (const std::string& part : parts) out += part + "\\";
  return out;
}

}  // namespace

bool IsWindowsForm(std::string_view path) {
  return IsNetworkForm(path) || (path.size() >= 2 && path[1] == ':');
}

// Windows takes "/" as a separator too, and users and the engine itself ("folder" + "/") write
// it into Windows paths: both count there.
std::string SourceDirectoryPart(std::string_view fileName) {
  const std::size_t last = IsWindowsForm(fileName) ? fileName.find_last_of("\\/") : fileName.rfind('/');
  return last == std::string_view::npos ? std::string() : std::string(fileName.substr(0, last + 1));
}

std::string KeptPath(std::string_view sourceDirectory) {
  if (!IsWindowsForm(sourceDirectory)) return PosixKeptPath(sourceDirectory);
  // One "\" for every run of separators, past the network form's leading pair.
  std::string path;
  for (std::size_t i = 0; i < sourceDirectory.size(); ++i) {
    const char c = sourceDirectory[i] == '/' ? '\\' : sourceDirectory[i];
    if (c == '\\' && i >= 2 && path.ends_with('\\')) continue;
    path.push_back(c);
  }
  std::string out(IsNetworkForm(path) ? WithoutServerAndShare(path) : std::string_view(path).substr(2));
  if (!out.starts_with('\\')) out.insert(out.begin(), '\\');
  if (!out.ends_with('\\')) out.push_back('\\');
  return out;
}

std::string LastFolderOnly(std::string_view path) {
  while (path.size() > 1 && path.back() == '\\') path.remove_suffix(1);
  const std::size_t last = path.rfind('\\');
  const std::string_view folder = last == std::string_view::npos ? path : path.substr(last + 1);
  return folder.empty() ? "\\" : "\\" + std::string(folder) + "\\";
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*" || mask == "*") return true;
  // Greedy matching with one backtrack point: the last "*" seen.
  std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || Fold(mask[m]) == Fold(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace kivo
