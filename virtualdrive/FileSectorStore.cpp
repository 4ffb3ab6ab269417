#include "virtualdrive/FileSectorStore.h"

#include <cstring>

#include "virtualdrive/Cdb.h"

namespace kivo::vdrive {

FileSectorStore::FileSectorStore(std::string path, bool readOnly) : path_(std::move(path)), readOnly_(readOnly) {}

void FileSectorStore::Reopen() { file_.Close(); }

bool FileSectorStore::EnsureOpen() {
  if (file_.IsOpen()) return true;
  if (file_.Open(path_, readOnly_ ? platform::File::Mode::Read : platform::File::Mode::ReadWrite)) return true;
  if (!readOnly_ && !platform::StatPath(path_) && file_.Open(path_, platform::File::Mode::Create)) return true;
  error_ = file_.LastError();
  return false;
}

bool FileSectorStore::Read(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
  const std::int64_t length = std::int64_t{count} * kBlockSize;
  if (!EnsureOpen()) {
    // A recordable disc whose data file was never created reads as zeros.
    if (readOnly_) return false;
    std::memset(out, 0, static_cast<std::size_t>(length));
    return true;
  }
  const std::int64_t got = file_.ReadAt(out, length, std::int64_t{lba} * kBlockSize);
  if (got < 0 || !file_.LastError().empty()) {
    error_ = file_.LastError();
    return false;
  }
  // Past the end of a sparse file (or a pressed disc's last partial block): zeros.
  std::memset(out + got, 0, static_cast<std::size_t>(length - got));
  return true;
}

bool FileSectorStore::Write(std::uint32_t lba, std::uint32_t count, const std::uint8_t* data) {
  if (readOnly_) return false;
  if (!EnsureOpen()) return false;
  const std::int64_t length = std::int64_t{count} * kBlockSize;
  // Zeros are kept as a hole: erasing overwrites a whole DVD with zeros, which must not cost
  // gigabytes of the user's disk. Where holes cannot be made, the zeros are written.
  // Compared as one block, not byte by byte: a full erase sends gigabytes of them.
  const bool zeros = length > 0 && data[0] == 0 && std::memcmp(data, data + 1, static_cast<std::size_t>(length - 1)) == 0;
  if (zeros && file_.PunchHole(std::int64_t{lba} * kBlockSize, length)) return true;
  if (file_.WriteAt(data, length, std::int64_t{lba} * kBlockSize) != length) {
    error_ = file_.LastError();
    return false;
  }
  return true;
}

bool FileSectorStore::Clear() {
  if (readOnly_) return false;
  if (!EnsureOpen() || !file_.SetSize(0)) {
    error_ = file_.LastError();
    return false;
  }
  return true;
}

}  // namespace kivo::vdrive
