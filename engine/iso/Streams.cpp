#include "engine/iso/Streams.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace kivo {

namespace {

platform::File OpenForStream(const std::string& fileName, std::uint16_t mode) {
  platform::File file;
  if (mode == fmCreate) {
    file.Open(fileName, platform::File::Mode::Create);
  } else {
    // There is no write-only handle here; writing callers get read access along with it.
    const std::uint16_t access = mode & 0x0003;
    file.Open(fileName, access == fmOpenRead ? platform::File::Mode::Read : platform::File::Mode::ReadWrite);
  }
  return file;
}

std::int32_t Moved(std::int64_t transferred) {
  return static_cast<std::int32_t>(std::max<std::int64_t>(transferred, 0));
}

}  // namespace

bool TStreamEx::SetSize(std::int64_t) { return true; }

std::int64_t TStreamEx::Size() {
  const std::int64_t position = Seek(0, soFromCurrent);
  const std::int64_t size = Seek(0, soFromEnd);
  Seek(position, soFromBeginning);
  return size;
}

THandleStreamEx::THandleStreamEx(platform::File file) : file_(std::move(file)) {}

bool THandleStreamEx::SetSize(std::int64_t NewSize) {
  return Seek(NewSize, soFromBeginning) == NewSize && file_.SetSize(NewSize);
}

std::int32_t THandleStreamEx::Read(void* Buffer, std::int32_t Count) {
  if (!file_.IsOpen() || Count <= 0) return 0;
  return Moved(file_.Read(Buffer, Count));
}

std::int64_t THandleStreamEx::ReadScattered(std::span<const std::span<std::uint8_t>> Pieces) {
  if (!file_.IsOpen()) return 0;
  return file_.ReadScattered(Pieces);
}

std::int32_t THandleStreamEx::Write(const void* Buffer, std::int32_t Count) {
  if (!file_.IsOpen() || Count <= 0) return 0;
  return Moved(file_.Write(Buffer, Count));
}

std::int64_t THandleStreamEx::Seek(std::int64_t Offset, std::uint16_t Origin) {
  if (!file_.IsOpen() || Origin > soFromEnd) return -1;
  return file_.Seek(Offset, static_cast<platform::File::Origin>(Origin));
}

bool THandleStreamEx::Close() {
  if (!file_.IsOpen()) return false;
  const bool flushed = file_.Flush();
  return file_.Close() && flushed;
}

TFileStreamEx::TFileStreamEx(const std::string& FileName, std::uint16_t Mode)
    : THandleStreamEx(OpenForStream(FileName, Mode)) {}

bool TMemoryStreamEx::SetSize(std::int64_t NewSize) {
  if (NewSize < 0) return false;
  data_.resize(static_cast<std::size_t>(NewSize));
  position_ = std::min(position_, NewSize);
  return true;
}

std::int32_t TMemoryStreamEx::Read(void* Buffer, std::int32_t Count) {
  const std::int64_t size = static_cast<std::int64_t>(data_.size());
  if (Count <= 0 || position_ >= size) return 0;
  const std::int64_t n = std::min<std::int64_t>(Count, size - position_);
  std::memcpy(Buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return static_cast<std::int32_t>(n);
}

std::int32_t TMemoryStreamEx::Write(const void* Buffer, std::int32_t Count) {
  if (Count <= 0) return 0;
  const std::int64_t end = position_ + Count;
  if (end > static_cast<std::int64_t>(data_.size())) data_.resize(static_cast<std::size_t>(end));
  std::memcpy(data_.data() + position_, Buffer, static_cast<std::size_t>(Count));
  position_ = end;
  return Count;
}

std::int64_t TMemoryStreamEx::Seek(std::int64_t Offset, std::uint16_t Origin) {
  std::int64_t base = 0;
  switch (Origin) {
    case soFromBeginning: base = 0; break;
    case soFromCurrent: base = position_; break;
    case soFromEnd: base = static_cast<std::int64_t>(data_.size()); break;
    default: return -1;
  }
  // A memory stream cannot stand before its start, nor where a write could not extend it to.
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() - std::numeric_limits<std::int32_t>::max();
  if ((Offset < 0 && base + Offset < 0) || (Offset > 0 && Offset > kLimit - base)) return -1;
  position_ = base + Offset;
  return position_;
}

void TMemoryStreamEx::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

}  // namespace kivo
