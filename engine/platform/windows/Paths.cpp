// Paths on Windows: both "/" and "\" separate folders; a drive's root ("C:\") has no parent.
#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/platform/Files.h"
#include "engine/platform/PathWithin.h"
#include "engine/platform/SystemError.h"
#include "engine/platform/windows/Win32.h"

namespace kivo::platform {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesW(win32::WidePath(path).c_str()); }

bool IsDirectory(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The length of the part a path cannot lose: "C:\", "\\server\share\", "\" or nothing.
std::size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    const std::size_t server = path.find_first_of("/\\", 2);
    if (server == std::string::npos) return path.size();
    const std::size_t share = path.find_first_of("/\\", server + 1);
    return share == std::string::npos ? path.size() : share + 1;
  }
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

}  // namespace

bool RemoveFile(const std::string& path, std::string* error) {
  return ::DeleteFileW(win32::WidePath(path).c_str()) || ReportPathError(error, path, win32::LastErrno());
}

bool RenameOver(const std::string& from, const std::string& to, std::string* error) {
  return ::MoveFileExW(win32::WidePath(from).c_str(), win32::WidePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
         ReportPathError(error, to, win32::LastErrno());
}

std::string ParentFolder(const std::string& path) {
  const std::size_t root = RootLength(path);
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos || slash + 1 < root) return root > 0 ? path.substr(0, root) : ".";
  return slash + 1 <= root ? path.substr(0, root) : path.substr(0, slash);
}

std::string ResolvedPath(const std::string& path) {
  // The final path of an open handle resolves links and junctions; a name that does not exist
  // yet has its folder resolved.
  const auto resolve = [](const std::string& p) -> std::optional<std::string> {
    const HANDLE handle = ::CreateFileW(win32::WidePath(p).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
      buffer.resize(length + 1);
      length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    ::CloseHandle(handle);
    if (length == 0 || length >= buffer.size()) return std::nullopt;
    std::wstring wide(buffer.data(), length);
    if (wide.starts_with(L"\\\\?\\UNC\\")) {
      wide = L"\\\\" + wide.substr(8);
    } else if (wide.starts_with(L"\\\\?\\")) {
      wide = wide.substr(4);
    }
    return win32::Narrow(wide);
  };
  if (auto real = resolve(path)) return *real;
  std::string name = path;
  while (name.size() > 1 && IsSeparator(name.back())) name.pop_back();
  const std::size_t slash = name.find_last_of("/\\");
  name = slash == std::string::npos ? name : name.substr(slash + 1);
  const auto folder = resolve(ParentFolder(path));
  if (!folder || name.empty() || name == "." || name == "..") return path;
  return IsSeparator(folder->back()) ? *folder + name : *folder + "\\" + name;
}

bool PathIsWithin(const std::string& path, const std::string& folder) {
  const std::wstring inside = win32::WidePath(path);
  std::wstring outer = win32::WidePath(folder);
  if (outer.empty()) return false;
  const auto same = [](std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                          static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
  };
  if (same(inside, outer)) return true;
  if (outer.back() != L'\\') outer.push_back(L'\\');  // a drive's root ends with one
  return inside.size() > outer.size() && same(std::wstring_view(inside).substr(0, outer.size()), outer);
}

bool MakeDirectory(const std::string& path, std::string* error) {
  if (path.empty()) return ReportPathError(error, path, ENOENT);
  // Create each missing level from the top; an existing directory on the way is fine.
  for (std::size_t pos = path.find_first_of("/\\", RootLength(path));; pos = path.find_first_of("/\\", pos + 1)) {
    const std::string prefix = path.substr(0, pos);
    if (!prefix.empty() && !::CreateDirectoryW(win32::WidePath(prefix).c_str(), nullptr)) {
      const DWORD err = ::GetLastError();
      if (err != ERROR_ALREADY_EXISTS && err != ERROR_ACCESS_DENIED) {
        return ReportPathError(error, prefix, win32::ErrnoOf(err));
      }
    }
    if (pos == std::string::npos) break;
  }
  return IsDirectory(path) || ReportPathError(error, path, ENOTDIR);
}

bool MakeFolder(const std::string& path, std::string* error) {
  if (::CreateDirectoryW(win32::WidePath(path).c_str(), nullptr)) return true;
  const DWORD err = ::GetLastError();
  if (err != ERROR_ALREADY_EXISTS) return ReportPathError(error, path, win32::ErrnoOf(err));
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ReportPathError(error, path, win32::LastErrno());
  // A junction or link in the folder's place would lead the writes elsewhere.
  const bool plainFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  return plainFolder || ReportPathError(error, path, ENOTDIR);
}

bool PathTaken(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

std::string ExecutableDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      const std::string exe = win32::Narrow(std::wstring_view(buffer.data(), length));
      const std::size_t slash = exe.find_last_of("/\\");
      return slash == std::string::npos ? std::string() : exe.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace kivo::platform
