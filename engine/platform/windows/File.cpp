// 64-bit file handles over CreateFileW, ReadFile and WriteFile.
#include <algorithm>
#include <cerrno>

#include "engine/platform/FileTransfer.h"
#include "engine/platform/Files.h"
#include "engine/platform/SystemError.h"
#include "engine/platform/windows/Win32.h"

#include <winioctl.h>

namespace kivo::platform {

using win32::HandleOfInt;

namespace {

// Other programs (and other handles of ours) may read, write, rename and delete the file while
// it is open, as they may on the systems where the engine began.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

OVERLAPPED At(std::int64_t position) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(position & 0xFFFFFFFF);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
  return at;
}

// A sparse file keeps no storage for ranges never written: the extension of SetSize and the
// holes of PunchHole then cost nothing, as on the other systems.
void MakeSparse(HANDLE handle) {
  DWORD returned = 0;
  (void)::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
}

std::int64_t FilePointer(HANDLE handle) {
  LARGE_INTEGER position{};
  return ::SetFilePointerEx(handle, LARGE_INTEGER{}, &position, FILE_CURRENT) ? position.QuadPart : -1;
}

}  // namespace

ReadableFile CheckReadableFile(const std::string& path, std::int64_t* size, std::string* error) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(win32::WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
    ReportPathError(error, path, win32::LastErrno());
    return ReadableFile::Unreadable;
  }
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return ReadableFile::NotRegular;
  // Permissions live in access lists that only an open can judge; a file that cannot be
  // opened is reported by the reader with the same words.
  if (size != nullptr) *size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return ReadableFile::Yes;
}

bool File::Open(const std::string& path, Mode mode) {
  Close();
  path_ = path;
  error_.clear();
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case Mode::Read: access = GENERIC_READ; break;
    case Mode::ReadWrite: break;
    case Mode::Create: disposition = CREATE_ALWAYS; break;
    case Mode::CreateNew: disposition = CREATE_NEW; break;
  }
  const std::wstring wide = win32::WidePath(path);
  const HANDLE handle = ::CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A folder is refused as "access denied", which would send the user after permissions:
    // say what it is, as Linux does.
    if (error == ERROR_ACCESS_DENIED) {
      const DWORD attributes = ::GetFileAttributesW(wide.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Fail(EISDIR);
    }
    return Fail(win32::ErrnoOf(error));
  }
  fd_ = win32::IntOfHandle(handle);
  return true;
}

bool File::Close() {
  if (fd_ < 0) return true;
  const bool closed = ::CloseHandle(HandleOfInt(fd_)) || Fail(win32::LastErrno());
  fd_ = -1;
  return closed;
}

namespace {

// ReadFile and WriteFile as the steps of a transfer; at is null for the file pointer's place.
std::int64_t ReadStep(HANDLE handle, void* into, DWORD count, OVERLAPPED* at) {
  DWORD moved = 0;
  if (::ReadFile(handle, into, count, &moved, at)) return moved;
  const DWORD error = ::GetLastError();
  if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) return 0;
  errno = win32::ErrnoOf(error);
  return -1;
}

std::int64_t WriteStep(HANDLE handle, const void* from, DWORD count, OVERLAPPED* at) {
  DWORD moved = 0;
  if (::WriteFile(handle, from, count, &moved, at)) return moved;
  errno = win32::LastErrno();
  return -1;
}

}  // namespace

std::int64_t File::Read(void* buffer, std::int64_t count) {
  auto* bytes = static_cast<char*>(buffer);
  return Transfer(count, [&](std::int64_t done, DWORD n) { return ReadStep(HandleOfInt(fd_), bytes + done, n, nullptr); });
}

std::int64_t File::ReadScattered(std::span<const std::span<std::uint8_t>> pieces) {
  // The system's scatter read wants unbuffered, page-aligned transfers: the pieces are read in
  // turn, which costs a call each but keeps the cache's read-ahead.
  std::int64_t total = 0;
  for (const auto& piece : pieces) {
    if (piece.empty()) continue;
    const auto size = static_cast<std::int64_t>(piece.size());
    const std::int64_t got = Read(piece.data(), size);
    total += got;
    if (got < size) break;
  }
  return total;
}

std::int64_t File::Write(const void* buffer, std::int64_t count) {
  const auto* bytes = static_cast<const char*>(buffer);
  const std::int64_t done =
      Transfer(count, [&](std::int64_t d, DWORD n) { return WriteStep(HandleOfInt(fd_), bytes + d, n, nullptr); });
  if (done < count && error_.empty()) Fail(EIO);  // no progress without a reason given
  return done;
}

// A positioned transfer on a synchronous handle moves the file pointer as well; it is put back,
// so that these calls leave the pointer as pread and pwrite do.
std::int64_t File::ReadAt(void* buffer, std::int64_t count, std::int64_t position) {
  auto* bytes = static_cast<char*>(buffer);
  const std::int64_t pointer = FilePointer(HandleOfInt(fd_));
  const std::int64_t done = Transfer(count, [&](std::int64_t d, DWORD n) {
    OVERLAPPED at = At(position + d);
    return ReadStep(HandleOfInt(fd_), bytes + d, n, &at);
  });
  if (pointer >= 0) Seek(pointer, Origin::Begin);
  return done;
}

std::int64_t File::WriteAt(const void* buffer, std::int64_t count, std::int64_t position) {
  const auto* bytes = static_cast<const char*>(buffer);
  const std::int64_t pointer = FilePointer(HandleOfInt(fd_));
  const std::int64_t done = Transfer(count, [&](std::int64_t d, DWORD n) {
    OVERLAPPED at = At(position + d);
    return WriteStep(HandleOfInt(fd_), bytes + d, n, &at);
  });
  if (pointer >= 0) Seek(pointer, Origin::Begin);
  if (done < count && error_.empty()) Fail(EIO);
  return done;
}

std::int64_t File::Seek(std::int64_t offset, Origin origin) {
  static constexpr DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  LARGE_INTEGER position{};
  if (!::SetFilePointerEx(HandleOfInt(fd_), distance, &position, kMethod[static_cast<int>(origin)])) {
    Fail(win32::LastErrno());
    return -1;
  }
  return position.QuadPart;
}

std::int64_t File::Size() const {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(HandleOfInt(fd_), &size) ? size.QuadPart : -1;
}

FileVersion File::Version() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(HandleOfInt(fd_), &info)) return {};
  return {(static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
          win32::UnixNanosecondsOf(info.ftLastWriteTime)};
}

bool File::SetSize(std::int64_t size) {
  const HANDLE handle = HandleOfInt(fd_);
  if (size > Size()) MakeSparse(handle);
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = size;
  return ::SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end) || Fail(win32::LastErrno());
}

bool File::PunchHole(std::int64_t position, std::int64_t count) {
  const HANDLE handle = HandleOfInt(fd_);
  MakeSparse(handle);
  FILE_ZERO_DATA_INFORMATION range{};
  range.FileOffset.QuadPart = position;
  range.BeyondFinalZero.QuadPart = position + count;
  DWORD returned = 0;
  return ::DeviceIoControl(handle, FSCTL_SET_ZERO_DATA, &range, sizeof range, nullptr, 0, &returned, nullptr) ||
         Fail(win32::LastErrno());
}

void File::AnnounceRead(std::int64_t) {
  // The cache manager reads ahead of a sequential reader by itself; there is no call that asks
  // it to fetch a range of a file early, so the hint is dropped.
}

bool File::Flush() { return ::FlushFileBuffers(HandleOfInt(fd_)) || Fail(win32::LastErrno()); }

}  // namespace kivo::platform
